// The thin application framework the runtime stands on: one application
// object with initialise/exit hooks and a message pump with idle processing.
#pragma once
#include <windows.h>

namespace velmora::framework {

class Application {
public:
    Application();
    virtual ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // The whole program runs inside InitInstance; its result is not an exit code.
    virtual int InitInstance() = 0;
    // Runs after InitInstance returns; the result is the process exit code.
    virtual int ExitInstance() = 0;
    // Called while the queue is empty; false ends the idle state until the next message.
    virtual bool OnIdle(long idleCount);
    // Keyboard pre-translation for the program's windows; true swallows the message.
    virtual bool PreTranslateMessage(MSG* message);

    // Retrieves and dispatches one message; false when it was the quit message.
    bool PumpMessage();
    // Whether the last pumped message should restart idle processing.
    bool IsIdleMessage(const MSG& message);
    const MSG& CurrentMessage() const { return current_; }

    static Application* Current();

private:
    MSG current_{};
    POINT lastMousePosition_{-1, -1};
    UINT lastMouseMessage_ = 0;
};

// The body of the program's WinMain: initialise, run, exit.
int RunApplication();

}  // namespace velmora::framework
