// RuntimeApp: the one application object that owns all runtime state.
#pragma once
#include <windows.h>
#include <atomic>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>
#include "runtime/framework/application.h"
#include "runtime/program_header.h"

namespace velmora {

using ProgramRoutine = void (*)();
using ErrorHandler = int32_t (*)(int32_t code, const char* message);
using MessageBoxFunction = int (WINAPI*)(HWND, LPCSTR, LPCSTR, UINT);

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
    std::vector<std::pair<uintptr_t, uintptr_t>> constantRanges;  // {start, end}
    std::atomic<int32_t> eventSuppression{0};
    std::atomic<bool> exiting{false};
    // Set when the last program window is gone and the loop is ending.
    std::atomic<bool> quitting{false};
    ProgramRoutine cleanupRoutine = nullptr;
    ErrorHandler errorHandler = nullptr;
    bool loopEntered = false;
    bool oleInitialised = false;
    bool socketsInitialised = false;
    std::vector<HMODULE> furtherModules;

    // Exit code asked for by ExitProgram on another thread; wins over the main thread's.
    std::atomic<bool> exitCodeRequested{false};
    std::atomic<int32_t> requestedExitCode{0};

    // Seam: how message boxes are shown (tests read the box instead of waiting on it).
    MessageBoxFunction showMessageBox = ::MessageBoxA;
};

// The one RuntimeApp of the process.
RuntimeApp& App();
// The same, or null before it is made (static initialisers run before it).
RuntimeApp* AppIfCreated();

// Runtime start-up and the pieces of the loop and shutdown other code calls.
void InitializeRuntime();
[[noreturn]] void ExitProgram(int32_t code);
void RunShutdownSequence(int32_t code);
// For a worker that asks the runtime for something while the program ends:
// it waits here for the process end instead of finding the runtime gone.
[[noreturn]] inline void WaitForProgramEnd() {
    for (;;) Sleep(INFINITE);
}


}  // namespace velmora
