// RuntimeApp: the one application object and the state that is the whole
// application's (its header, where it runs, its threads' and exit's flags).
// Tables live with the modules that own them: DLL commands, the window map,
// idle hooks, libraries, constant ranges, the message-box seam.
#pragma once
#include <windows.h>
#include <atomic>
#include <cstdint>
#include <string>
#include "runtime/framework/application.h"
#include "runtime/program_header.h"

namespace velmora {

using ProgramRoutine = void (*)();
using ErrorHandler = int32_t (*)(int32_t code, const char* message);

class RuntimeApp : public framework::Application {
public:
    RuntimeApp(const ProgramHeader* header, int (*programEntry)());
    ~RuntimeApp() override;

    int InitInstance() override;
    int ExitInstance() override;
    bool PreTranslateMessage(MSG* message) override;

    const ProgramHeader* header;
    int (*programEntry)();

    HANDLE heap = nullptr;
    uint32_t runMode = 0;
    uint32_t reserved = 0;
    uint32_t serial = 0;
    std::string programDirectory;
    std::string programFileName;
    HWND hiddenWindow = nullptr;
    DWORD mainThreadId = 0;
    std::atomic<bool> exiting{false};
    // Set when the last program window is gone and the loop is ending.
    std::atomic<bool> quitting{false};
    ProgramRoutine cleanupRoutine = nullptr;
    ErrorHandler errorHandler = nullptr;
    bool loopEntered = false;
    bool oleInitialised = false;
};

// The one RuntimeApp of the process.
RuntimeApp& App();
// The same, or null before it is made (static initialisers run before it).
RuntimeApp* AppIfCreated();

// Runtime start-up and the pieces of the loop and shutdown other code calls.
void InitializeRuntime();
[[noreturn]] void ExitProgram(int32_t code);
void RunShutdownSequence(int32_t code);
// The exit code another thread's ExitProgram asked for, else `code`.
int32_t ExitCodeOr(int32_t code);
// For a worker that asks the runtime for something while the program ends:
// it waits here for the process end instead of finding the runtime gone.
[[noreturn]] inline void WaitForProgramEnd() {
    for (;;) Sleep(INFINITE);
}

}  // namespace velmora
