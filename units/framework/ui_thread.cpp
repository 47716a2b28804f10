#include "units/framework/ui_thread.h"
#include <windows.h>
#include <memory>
#include <utility>
#include "runtime/private_messages.h"
#include "runtime/runtime_app.h"

namespace velmora {

void RunOnWindowThread(const std::function<void()>& work) {
    RuntimeApp& app = App();
    if (app.mainThreadId == 0 || GetCurrentThreadId() == app.mainThreadId || !app.hiddenWindow) {
        work();
        return;
    }
    // Once the window is closed the window thread no longer takes work (its
    // units are gone); a worker that still asks waits here until the process ends.
    DWORD_PTR refused = 1;
    if (app.exiting || app.quitting ||
        !SendMessageTimeoutW(app.hiddenWindow, RunOnMainThreadMessage, 0, reinterpret_cast<LPARAM>(&work), SMTO_BLOCK,
                             INFINITE, &refused) ||
        refused)
        WaitForProgramEnd();
}

void PostToWindowThread(std::function<void()> work) {
    RuntimeApp& app = App();
    if (app.mainThreadId == 0 || GetCurrentThreadId() == app.mainThreadId || !app.hiddenWindow) {
        work();
        return;
    }
    if (app.exiting || app.quitting) return;
    auto* posted = new std::function<void()>(std::move(work));
    if (!PostMessageW(app.hiddenWindow, RunPostedOnMainThreadMessage, 0, reinterpret_cast<LPARAM>(posted))) delete posted;
}

void RunPostedWork(void* work) {
    std::unique_ptr<std::function<void()>> posted(static_cast<std::function<void()>*>(work));
    if (!App().exiting && !App().quitting) (*posted)();
}

bool RunMarshalledWork(void* work) {
    if (App().exiting || App().quitting) return false;
    (*static_cast<const std::function<void()>*>(work))();
    return true;
}

}  // namespace velmora
