// RunMessageLoop, idle hooks and the rule that ends the loop.
#include "runtime/runtime_app.h"
#include "runtime/runtime_services.h"
#include "units/window_map.h"

namespace velmora {
namespace {

void RunIdleHooks(RuntimeApp& app) {
    for (size_t i = app.idleHooks.size(); i-- > 0;) {
        IdleHook hook = app.idleHooks[i];
        if (IsWindow(hook.window))
            hook.routine(hook.parameter);
        else
            app.idleHooks.erase(app.idleHooks.begin() + static_cast<ptrdiff_t>(i));
    }
}

}  // namespace

bool AnyProgramWindowOpen() {
    for (const auto& window : ProgramWindows().templates)
        if (window && window->window && IsWindow(window->window)) return true;
    return false;
}

void OnProgramWindowDestroyed(uint32_t windowId) {
    RuntimeService(Service::WindowCleanedUp, windowId, 0);
    // Closing the last window ends the loop, but only a loop that was entered:
    // a window closed during start-up must not leave a quit message behind.
    if (!AnyProgramWindowOpen() && App().loopEntered) {
        App().quitting = true;
        PostQuitMessage(0);
    }
}

void RunMessageLoop() {
    RuntimeApp& app = App();
    app.loopEntered = true;
    if (!AnyProgramWindowOpen()) return;
    bool idle = true;
    long idleCount = 0;
    MSG peeked;
    for (;;) {
        while (idle && !PeekMessageA(&peeked, nullptr, 0, 0, PM_NOREMOVE)) {
            RunIdleHooks(app);
            if (!app.OnIdle(idleCount++)) idle = false;
        }
        do {
            if (!app.PumpMessage()) return;
            if (app.IsIdleMessage(app.CurrentMessage())) {
                idle = true;
                idleCount = 0;
            }
        } while (PeekMessageA(&peeked, nullptr, 0, 0, PM_NOREMOVE));
    }
}

}  // namespace velmora
