// ShowOnTaskbar (window reference, state, done, total), core command 38: the
// run's progress on the window's taskbar button (units/framework/taskbar.h),
// made on the window thread whichever thread asks, without waiting for it.
// A window that is gone takes nothing.
#include "commands/command_args.h"
#include "commands/core_commands.h"
#include "units/framework/taskbar.h"
#include "units/framework/ui_thread.h"
#include "units/framework/window_map.h"

namespace velmora::commands {

void ShowOnTaskbar(ValueRecord*, int32_t count, ValueRecord* arguments) {
    Args args(count, arguments);
    int32_t state = args.Int(1);
    if (state < static_cast<int32_t>(TaskbarState::Cleared) || state > static_cast<int32_t>(TaskbarState::Attention))
        return;
    auto done = static_cast<uint32_t>(args.Int(2)), total = static_cast<uint32_t>(args.Int(3));
    uint32_t windowId = args[0].low;
    // Posted: a worker never waits for the window thread to show its progress,
    // and the calls keep the order they were made in.
    PostToWindowThread([=] {
        WindowTemplate* window = ProgramWindows().Find(windowId);
        if (window && window->window && IsWindow(window->window))
            velmora::ShowOnTaskbar(window->window, static_cast<TaskbarState>(state), done, total);
    });
}

}  // namespace velmora::commands
