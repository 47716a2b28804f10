#include "units/ui_thread.h"
#include <windows.h>
#include "runtime/runtime_app.h"

namespace velmora {

void RunOnWindowThread(const std::function<void()>& work) {
    RuntimeApp& app = App();
    if (app.mainThreadId == 0 || GetCurrentThreadId() == app.mainThreadId || !app.hiddenWindow) {
        work();
        return;
    }
    // Once the program is ending the window thread no longer takes work; a
    // worker that still asks waits here until the process ends.
    if (app.exiting || !SendMessageTimeoutA(app.hiddenWindow, RunOnMainThreadMessage, 0,
                                            reinterpret_cast<LPARAM>(&work), SMTO_BLOCK, INFINITE, nullptr))
        Sleep(INFINITE);
}

void RunMarshalledWork(void* work) { (*static_cast<const std::function<void()>*>(work))(); }

}  // namespace velmora
