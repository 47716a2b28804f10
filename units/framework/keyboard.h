// The program windows' keyboard interface, as the platform's dialogs have it.
// The tab stops of a window are its units with the tab-stop flag, visited in
// reading order (top to bottom, then left to right) and round again: Tab and
// Shift+Tab move between them, Enter presses the focused button or else the
// window's default button, Space presses the focused button (the platform's
// buttons do that themselves). The focus starts on the default button: the
// first tab stop that asks to be the default, else the first push button.
//
// Focus cues (the dotted focus rectangle) are hidden until the keyboard is
// used, unless the user asked the system to always show them.
#pragma once
#include <windows.h>

namespace velmora {

// The state a top-level window keeps for its keyboard interface.
class WindowKeyboard {
public:
    // WM_ACTIVATE: the focus is kept when the window is deactivated and given
    // back when it is activated, and a message box of the program's is put in
    // front of it; true when the focus was placed (the message is then handled).
    bool OnActivate(HWND window, WPARAM wParam);
    // The window was restored from its minimised state.
    void OnRestored(HWND window);
    // A unit of the window lost the focus to `gaining` (null: to nothing).
    void OnFocusLost(HWND unit, HWND gaining);
    // A unit of the window was enabled or disabled. The focus of a unit being
    // disabled goes to the previous enabled tab stop (where Shift+Tab goes),
    // and comes back when the unit is enabled again if it is still there.
    void OnEnabled(HWND window, HWND unit, bool enabled);

private:
    HWND saved_ = nullptr;      // the focus while the window is inactive
    HWND lostToNone_ = nullptr;  // a unit whose focus went nowhere (the platform's doing, when it is disabled)
    HWND displaced_ = nullptr;   // the unit whose focus a disabling moved
    HWND movedTo_ = nullptr;     // where it went
};

// The window's keyboard state, when `window` lies in a program window.
WindowKeyboard* KeyboardOf(HWND window);
// The focus a window starts with: its default button, else its first tab stop.
HWND FirstFocus(HWND window);
// Hides the focus cues of a new window (and its units) unless the system shows them always.
void HideKeyboardCues(HWND window);
// The message loop's pre-translation: the keys above for a program window.
// True when the key was handled and must not be dispatched.
bool TranslateWindowKey(const MSG& message);
// Message boxes of this process, put in front of the window (and activated
// when `activate`). A box is shown without an owner, so the window is never
// disabled by it; taken on as owned here, it stays in front of the window
// for the platform, and the window stays usable.
void BringMessageBoxesToFront(HWND window, bool activate);

}  // namespace velmora
