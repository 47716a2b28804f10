// A program window's taskbar button: a run's progress where the user looks
// when the window is not in front, red once something failed, and a flash
// when a run ends behind other windows. The taskbar's interface is
// single-threaded: everything here runs on the window thread.
#pragma once
#include <windows.h>
#include <cstdint>

namespace velmora {

enum class TaskbarState : int32_t {
    Cleared = 0,    // no progress shown
    Progress = 1,   // done / total
    Failed = 2,     // done / total, in the error state
    Attention = 3,  // the button flashes until the window is activated, when it is not in front
};

// The calls the button takes: the platform's by default.
struct TaskbarCalls {
    void (*state)(HWND window, TaskbarState state);  // Cleared, Progress or Failed
    void (*progress)(HWND window, uint32_t done, uint32_t total);
    void (*flash)(HWND window);
};
// Replaces the calls (a test's recorder; null: the default ones); answers
// the replacement before, null when there was none.
const TaskbarCalls* SetTaskbarCalls(const TaskbarCalls* calls);

// Shows the state on the window's button; called on the window thread.
void ShowOnTaskbar(HWND window, TaskbarState state, uint32_t done, uint32_t total);

}  // namespace velmora
