#include "units/framework/keyboard.h"
#include <algorithm>
#include <vector>
#include "runtime/private_messages.h"
#include "units/framework/unit_object.h"

namespace velmora {
namespace {

// A unit's own window, not a part a unit made beside it (an edit box's arrows).
bool IsUnitWindow(HWND window) {
    UnitObject* unit = UnitOfWindow(window);
    return unit && unit->Window() == window;
}

struct Stop {
    HWND window;
    RECT rect;
};

// Shown, as the unit's own style says: a window being shown for the first
// time is activated before the platform calls it visible.
bool Shown(HWND window) { return GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE; }

BOOL CALLBACK CollectStop(HWND child, LPARAM list) {
    if (IsUnitWindow(child) && Shown(child) && (GetWindowLongW(child, GWL_STYLE) & WS_TABSTOP)) {
        RECT rect;
        GetWindowRect(child, &rect);
        reinterpret_cast<std::vector<Stop>*>(list)->push_back({child, rect});
    }
    return TRUE;
}

// The tab stops of a window in reading order, enabled or not.
std::vector<HWND> TabStops(HWND window) {
    std::vector<Stop> stops;
    EnumChildWindows(window, CollectStop, reinterpret_cast<LPARAM>(&stops));
    std::stable_sort(stops.begin(), stops.end(), [](const Stop& a, const Stop& b) {
        return a.rect.top != b.rect.top ? a.rect.top < b.rect.top : a.rect.left < b.rect.left;
    });
    std::vector<HWND> order;
    for (const Stop& stop : stops) order.push_back(stop.window);
    return order;
}

UINT DialogCode(HWND window, const MSG* message = nullptr) {
    return static_cast<UINT>(SendMessageW(window, WM_GETDLGCODE, message ? message->wParam : 0,
                                          reinterpret_cast<LPARAM>(message)));
}

bool CanTakeFocus(HWND window) { return window && IsWindow(window) && IsWindowEnabled(window) && Shown(window); }

HWND DefaultButton(HWND window) {
    HWND pushButton = nullptr;
    for (HWND stop : TabStops(window)) {
        UINT code = DialogCode(stop);
        if (code & DLGC_DEFPUSHBUTTON) return stop;
        if ((code & DLGC_UNDEFPUSHBUTTON) && !pushButton) pushButton = stop;
    }
    return pushButton;
}

// The unit of the window that holds `focus` (a unit's own part counts as the unit).
HWND FocusedStop(HWND window, HWND focus, const std::vector<HWND>& stops) {
    for (HWND at = focus; at && at != window; at = GetParent(at))
        if (std::find(stops.begin(), stops.end(), at) != stops.end()) return at;
    return nullptr;
}

// The next (or previous) tab stop that can take the focus, round the window;
// from outside the order, the first (or the last).
HWND NextStop(HWND window, HWND from, bool backwards) {
    std::vector<HWND> stops = TabStops(window);
    auto count = static_cast<int>(stops.size());
    if (count == 0) return nullptr;
    auto at = std::find(stops.begin(), stops.end(), from);
    int start = at == stops.end() ? (backwards ? 0 : count - 1) : static_cast<int>(at - stops.begin());
    for (int step = 1; step <= count; ++step) {
        HWND candidate = stops[static_cast<size_t>(((start + (backwards ? -step : step)) % count + count) % count)];
        if (candidate != from && CanTakeFocus(candidate)) return candidate;
    }
    return nullptr;
}

void FocusStop(HWND stop) {
    SetFocus(stop);
    // An edit box entered from the keyboard has its text selected, ready to be replaced.
    if (DialogCode(stop) & DLGC_HASSETSEL) SendMessageW(stop, EM_SETSEL, 0, -1);
}

void ShowKeyboardCues(HWND window) {
    if (SendMessageW(window, WM_QUERYUISTATE, 0, 0) & (UISF_HIDEFOCUS | UISF_HIDEACCEL))
        SendMessageW(window, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
}

void Press(HWND button) {
    if (CanTakeFocus(button)) SendMessageW(button, BM_CLICK, 0, 0);
}

bool InWindow(HWND window, HWND focus) { return focus && (focus == window || IsChild(window, focus)); }

struct BoxSearch {
    DWORD process;
    HWND window;
    bool activate;
};

BOOL CALLBACK BringBoxToFront(HWND top, LPARAM parameter) {
    const auto& search = *reinterpret_cast<const BoxSearch*>(parameter);
    DWORD process = 0;
    GetWindowThreadProcessId(top, &process);
    wchar_t className[16] = {};
    if (process != search.process || top == search.window || !IsWindowVisible(top) ||
        !GetClassNameW(top, className, 16) || lstrcmpW(className, L"#32770") != 0)
        return TRUE;
    // Owned by the window it stays in front of it, whatever raises the window
    // later; the window is not disabled, so it stays usable.
    if (!GetWindow(top, GW_OWNER)) SetWindowLongPtrW(top, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(search.window));
    SetWindowPos(top, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | (search.activate ? 0 : SWP_NOACTIVATE));
    if (search.activate) SetForegroundWindow(top);
    return TRUE;
}

}  // namespace

WindowKeyboard* KeyboardOf(HWND window) {
    UnitObject* top = window ? UnitOfWindow(GetAncestor(window, GA_ROOT)) : nullptr;
    return top ? top->Keyboard() : nullptr;
}

HWND FirstFocus(HWND window) {
    HWND button = DefaultButton(window);
    return CanTakeFocus(button) ? button : NextStop(window, nullptr, false);
}

void HideKeyboardCues(HWND window) {
    BOOL alwaysShown = FALSE;
    SystemParametersInfoW(SPI_GETKEYBOARDCUES, 0, &alwaysShown, 0);
    if (!alwaysShown) SendMessageW(window, WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
}

bool WindowKeyboard::OnActivate(HWND window, WPARAM wParam) {
    if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (InWindow(window, focus) && focus != window) saved_ = focus;
        return false;
    }
    // Once the activation is over: a box put in front now would go behind the window again.
    PostMessageW(window, MessageBoxesToFront, LOWORD(wParam) == WA_ACTIVE, 0);
    if (HIWORD(wParam)) return false;  // minimised: the focus waits for the restore
    HWND target = CanTakeFocus(saved_) && IsChild(window, saved_) ? saved_ : FirstFocus(window);
    if (!target) return false;
    SetFocus(target);
    return true;
}

void WindowKeyboard::OnRestored(HWND window) { PostMessageW(window, MessageBoxesToFront, TRUE, 0); }

void WindowKeyboard::OnFocusLost(HWND unit, HWND gaining) { lostToNone_ = gaining ? nullptr : unit; }

void WindowKeyboard::OnEnabled(HWND window, HWND unit, bool enabled) {
    HWND focus = GetFocus();
    bool active = GetActiveWindow() == window;
    if (!enabled) {
        // The platform takes the focus from a unit it disables: it has gone nowhere by now.
        bool hadFocus = focus == unit || (lostToNone_ == unit && (!focus || focus == window)) ||
                        (!active && saved_ == unit);
        if (!hadFocus) return;
        lostToNone_ = nullptr;
        HWND next = NextStop(window, unit, true);
        // Disabling where the focus was sent last keeps the first unit it came from.
        if (!(displaced_ && unit == movedTo_)) displaced_ = unit;
        movedTo_ = next;
        if (active)
            SetFocus(next ? next : window);
        else
            saved_ = next;
        return;
    }
    if (unit != displaced_) return;
    displaced_ = nullptr;
    // Back to the unit, unless the user has put the focus elsewhere meanwhile.
    bool untouched = active ? (!focus || focus == window || focus == movedTo_) : (!saved_ || saved_ == movedTo_);
    movedTo_ = nullptr;
    if (!untouched) return;
    if (active)
        SetFocus(unit);
    else
        saved_ = unit;
}

bool TranslateWindowKey(const MSG& message) {
    if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) return false;
    HWND window = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    if (!window || !KeyboardOf(window)) return false;
    ShowKeyboardCues(window);
    if (message.message != WM_KEYDOWN) return false;
    bool control = GetKeyState(VK_CONTROL) < 0, alt = GetKeyState(VK_MENU) < 0;
    HWND focus = GetFocus();
    // A unit that asks for the key keeps it (a multi-line edit box wants Tab and Enter).
    UINT wanted = focus && InWindow(window, focus) ? DialogCode(focus, &message) : 0;
    if (wanted & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) return false;
    if (message.wParam == VK_TAB && !control && !alt) {
        if (wanted & DLGC_WANTTAB) return false;
        std::vector<HWND> stops = TabStops(window);
        HWND next = NextStop(window, FocusedStop(window, focus, stops), GetKeyState(VK_SHIFT) < 0);
        if (next) FocusStop(next);
        return true;
    }
    if (message.wParam == VK_RETURN && !alt) {
        // The focused button, else the default one: pressed as a click presses it.
        Press(focus && InWindow(window, focus) && (DialogCode(focus) & DLGC_BUTTON) ? focus : DefaultButton(window));
        return true;
    }
    return false;
}

void BringMessageBoxesToFront(HWND window, bool activate) {
    BoxSearch search{GetCurrentProcessId(), window, activate};
    EnumWindows(BringBoxToFront, reinterpret_cast<LPARAM>(&search));
}

}  // namespace velmora
