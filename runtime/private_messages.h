// The runtime's own window messages, in the application's range (WM_APP and up) so no
// control of the platform's answers them by accident.
#pragma once
#include <windows.h>

namespace velmora {

// To the units of a new window: link to each other, then the window lays out.
constexpr UINT MessageLinkSetup = 0x806F;
constexpr UINT MessageLayout = 0x8004;
// To the units once their window is whole.
constexpr UINT MessageCreated = 0x8076;
// To the hidden window: another thread's exit, run on the main thread.
constexpr UINT ExitOnMainThreadMessage = 0x83E7;
// To the hidden window: unit work marshalled from another thread.
constexpr UINT RunOnMainThreadMessage = 0x83E8;
// To the hidden window: work posted from another thread, nobody waiting for it.
constexpr UINT RunPostedOnMainThreadMessage = 0x83EA;
// To a program window, posted when it is activated or restored: the
// program's message boxes in front of it (wParam: activate them too).
constexpr UINT MessageBoxesToFront = 0x83E9;

}  // namespace velmora
