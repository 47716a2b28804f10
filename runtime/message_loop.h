// The main thread's message loop: idle hooks, and the rule that ends the
// loop when the program's last window is gone.
#pragma once
#include <windows.h>
#include <cstddef>
#include <cstdint>

namespace velmora {

void RunMessageLoop();
bool AnyProgramWindowOpen();
// Final clean-up of a destroyed program window: ends the loop after the last one.
void OnProgramWindowDestroyed(uint32_t windowId);

// A routine the loop calls whenever its queue runs empty, for as long as its
// window lives (a hook of a destroyed window is dropped). Main thread only.
using IdleRoutine = void (*)(uint32_t parameter);
void AddIdleHook(HWND window, IdleRoutine routine, uint32_t parameter);
size_t IdleHookCount();
void ClearIdleHooks();

}  // namespace velmora
