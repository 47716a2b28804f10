// RunMessageLoop, idle hooks and the rule that ends the loop.
#include "runtime/message_loop.h"
#include <vector>
#include "runtime/runtime_app.h"
#include "runtime/runtime_services.h"
#include "units/framework/window_map.h"

namespace velmora {
namespace {

struct IdleHook {
    HWND window;
    IdleRoutine routine;
    uint32_t parameter;
};
// Main thread only.
std::vector<IdleHook> idleHooks;

void RunIdleHooks() {
    for (size_t i = idleHooks.size(); i-- > 0;) {
        IdleHook hook = idleHooks[i];
        if (IsWindow(hook.window))
            hook.routine(hook.parameter);
        else
            idleHooks.erase(idleHooks.begin() + static_cast<ptrdiff_t>(i));
    }
}

}  // namespace

void AddIdleHook(HWND window, IdleRoutine routine, uint32_t parameter) {
    idleHooks.push_back({window, routine, parameter});
}
size_t IdleHookCount() { return idleHooks.size(); }
void ClearIdleHooks() { idleHooks.clear(); }

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
        while (idle && !PeekMessageW(&peeked, nullptr, 0, 0, PM_NOREMOVE)) {
            RunIdleHooks();
            if (!app.OnIdle(idleCount++)) idle = false;
        }
        do {
            if (!app.PumpMessage()) return;
            if (app.IsIdleMessage(app.CurrentMessage())) {
                idle = true;
                idleCount = 0;
            }
        } while (PeekMessageW(&peeked, nullptr, 0, 0, PM_NOREMOVE));
    }
}

}  // namespace velmora
