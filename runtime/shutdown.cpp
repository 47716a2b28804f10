// ExitProgram and the shutdown sequence.
#include <windows.h>
#include <objbase.h>
#include <atomic>
#include "runtime/dll_commands.h"
#include "runtime/libraries.h"
#include "runtime/message_loop.h"
#include "runtime/private_messages.h"
#include "runtime/runtime_app.h"
#include "units/framework/unit_events.h"
#include "units/framework/window_map.h"

namespace velmora {
namespace {

constexpr UINT MainThreadShutdownWaitMilliseconds = 5000;

// Exit code asked for by ExitProgram on another thread; wins over the main thread's.
std::atomic<bool> exitCodeRequested{false};
std::atomic<int32_t> requestedExitCode{0};

}  // namespace

int32_t ExitCodeOr(int32_t code) { return exitCodeRequested ? requestedExitCode.load() : code; }

void RunShutdownSequence(int32_t code) {
    RuntimeApp& app = App();
    HoldEvents();
    if (app.mainThreadId != 0 && GetCurrentThreadId() != app.mainThreadId) {
        // Library notifications, window release and the cleanup routine belong
        // to the main thread; this thread only asks for them and ends the process.
        requestedExitCode = code;
        exitCodeRequested = true;
        // The wait is bounded: the main thread may itself be waiting for
        // this thread (a cleanup routine that needs a lock this thread holds),
        // and then the process ends without its shutdown rather than never.
        DWORD_PTR ignored = 0;
        if (app.hiddenWindow)
            SendMessageTimeoutW(app.hiddenWindow, ExitOnMainThreadMessage, static_cast<WPARAM>(code), 0, SMTO_NORMAL,
                                MainThreadShutdownWaitMilliseconds, &ignored);
        ExitProcess(static_cast<UINT>(code));
    }
    // A second request on the main thread (an exit from inside the shutdown)
    // must not run the steps again.
    if (app.exiting.exchange(true)) return;
    ClearIdleHooks();

    ProgramWindows().Clear();

    if (ProgramRoutine cleanup = app.cleanupRoutine) {
        app.cleanupRoutine = nullptr;
        cleanup();
    }

    ShutDownLibraries();

    ReleaseDllCommands();

    if (app.hiddenWindow) {
        DestroyWindow(app.hiddenWindow);
        app.hiddenWindow = nullptr;
    }
    if (app.oleInitialised) {
        CoUninitialize();
        app.oleInitialised = false;
    }
}

void ExitProgram(int32_t code) {
    RunShutdownSequence(code);
    // An exit asked for by another thread decides the code, even when the main
    // thread was already on its way out.
    int32_t finalCode = ExitCodeOr(code);
    ExitProcess(static_cast<UINT>(finalCode));
}

}  // namespace velmora
