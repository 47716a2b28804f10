#include <windows.h>
#include <commctrl.h>
#include <cstdint>
#include <unordered_map>
#include <utility>
#include "runtime/platform_text.h"
#include "runtime/srw_locks.h"
#include "units/framework/keyboard.h"
#include "units/standard_units.h"
#include "units/unit_support.h"

namespace velmora {
namespace {

// The control this thread is making: its unit, until the platform announces
// its window, and whether the creation has ended (a control that fails while
// being made leaves its unit to the creator).
struct ControlBeingMade {
    UnitObject* awaited = nullptr;
    const UnitObject* unfinished = nullptr;
    int childId = 0;
    HWND parent = nullptr;
    HWND caught = nullptr;  // the window bound at its announcement
};
thread_local ControlBeingMade controlBeingMade;

// Each subclassed control's own procedure (its unit is the window's binding).
SRWLOCK subclassLock = SRWLOCK_INIT;
// Never destroyed: a window may still take a message while the process ends.
std::unordered_map<HWND, WNDPROC>& originals = *new std::unordered_map<HWND, WNDPROC>;

WNDPROC OriginalProcedure(HWND window) {
    SharedLock held(subclassLock);
    auto found = originals.find(window);
    return found == originals.end() ? nullptr : found->second;
}

// The control becomes the unit's: attached, bound and subclassed.
void TakeControl(HWND window, UnitObject* unit) {
    unit->Attach(window, unit->WindowId(), unit->UnitId());
    BindUnitToWindow(window, unit);
    // Setting the procedure sends no message, so none arrives before the table has it.
    auto original = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ControlUnitProcedure)));
    ExclusiveLock held(subclassLock);
    originals[window] = original;
}

// Neither table names the window any more (a later window may get its handle).
void ReleaseControl(HWND window) {
    {
        ExclusiveLock held(subclassLock);
        originals.erase(window);
    }
    BindUnitToWindow(window, nullptr);
}

// The platform's controls have their own class procedure: the unit binds and
// subclasses the control when the platform announces its window, before
// WM_NCCREATE, so the messages of creation reach the unit too.
LRESULT CALLBACK CatchControlCreation(int code, WPARAM wParam, LPARAM lParam) {
    ControlBeingMade& made = controlBeingMade;
    if (code == HCBT_CREATEWND && made.awaited) {
        const CREATESTRUCTW* created = reinterpret_cast<const CBT_CREATEWNDW*>(lParam)->lpcs;
        // The platform may make windows of its own first (an input method's): the control is the child asked for.
        if (reinterpret_cast<intptr_t>(created->hMenu) == made.childId && created->hwndParent == made.parent) {
            made.caught = reinterpret_cast<HWND>(wParam);
            TakeControl(made.caught, std::exchange(made.awaited, nullptr));
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The hook for one control's creation; what an outer creation on this thread
// was waiting for comes back when it ends.
class CreationHook {
public:
    CreationHook(UnitObject* unit, const CreateParams& params) : outer_(controlBeingMade) {
        controlBeingMade = {unit, unit, params.childId, params.parent};
        hook_ = SetWindowsHookExW(WH_CBT, CatchControlCreation, nullptr, GetCurrentThreadId());
    }
    ~CreationHook() {
        if (hook_) UnhookWindowsHookEx(hook_);
        controlBeingMade = outer_;
    }
    CreationHook(const CreationHook&) = delete;
    CreationHook& operator=(const CreationHook&) = delete;

private:
    ControlBeingMade outer_;
    HHOOK hook_ = nullptr;
};

}  // namespace

LRESULT CallControlProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC original = OriginalProcedure(window);
    return original ? CallWindowProcW(original, window, message, wParam, lParam)
                    : DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK ControlUnitProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC original = OriginalProcedure(window);
    if (!original) return DefWindowProcW(window, message, wParam, lParam);
    UnitObject* unit = UnitOfWindow(window);
    if (!unit) return CallWindowProcW(original, window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        LRESULT ignored = 0;
        unit->OnMessage(message, wParam, lParam, ignored);
        ReleaseControl(window);
        // A control that failed while being made leaves its unit to the creator.
        if (unit != controlBeingMade.unfinished) {
            ForgetUnit(unit);
            delete unit;
        }
        return CallWindowProcW(original, window, message, wParam, lParam);
    }
    if (message == WM_SETCURSOR && ShowUnitCursor(unit, wParam, lParam)) return TRUE;
    // Read before the unit handles the message: a handler of its events may re-create or destroy it.
    bool own = unit->Window() == window;
    HWND top = GetAncestor(window, GA_ROOT);
    LRESULT result = 0;
    bool handled = unit->OnMessage(message, wParam, lParam, result);
    if (!handled) result = CallWindowProcW(original, window, message, wParam, lParam);
    // The window's keyboard interface follows the focus of a unit that is disabled and enabled.
    if ((message == WM_KILLFOCUS || message == WM_ENABLE) && own && IsWindow(window) && UnitOfWindow(window) == unit)
        if (WindowKeyboard* keyboard = KeyboardOf(top)) {
            if (message == WM_KILLFOCUS)
                keyboard->OnFocusLost(window, reinterpret_cast<HWND>(wParam));
            else
                keyboard->OnEnabled(top, window, wParam != 0);
        }
    return result;
}

bool ShowUnitCursor(const UnitObject* unit, WPARAM wParam, LPARAM lParam) {
    // Borders keep their sizing cursors, and a parent asked about its child leaves it to the child.
    if (reinterpret_cast<HWND>(wParam) != unit->Window() || LOWORD(lParam) != HTCLIENT) return false;
    HCURSOR cursor = UnitCursor(unit);
    if (!cursor) return false;
    SetCursor(cursor);
    return true;
}

bool RegisterUnitClass(const char* name, WNDPROC procedure) {
    std::wstring className = WideFromText(name);
    WNDCLASSW existing;
    if (GetClassInfoW(GetModuleHandleW(nullptr), className.c_str(), &existing)) return existing.lpfnWndProc == procedure;
    WNDCLASSW unitClass{};
    unitClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    unitClass.lpfnWndProc = procedure;
    unitClass.hInstance = GetModuleHandleW(nullptr);
    unitClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    unitClass.lpszClassName = className.c_str();
    return RegisterClassW(&unitClass) != 0;
}

void BindAtCreation(HWND window, LPARAM createStruct) {
    auto* unit = static_cast<UnitObject*>(reinterpret_cast<const CREATESTRUCTW*>(createStruct)->lpCreateParams);
    if (!unit) return;
    unit->Attach(window, unit->WindowId(), unit->UnitId());
    BindUnitToWindow(window, unit);
}

WNDPROC BindAfterCreation(UnitObject* unit, HWND window, WNDPROC procedure) {
    if (unit->Window() == window) return nullptr;
    unit->Attach(window, unit->WindowId(), unit->UnitId());
    BindUnitToWindow(window, unit);
    return reinterpret_cast<WNDPROC>(SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)));
}

HWND CreateControlUnit(UnitObject* unit, const char* className, const char* text, DWORD style,
                       const CreateParams& params, UnitFont& font, const std::vector<uint8_t>& fontDescription,
                       int height, DWORD exStyle) {
    unit->Attach(nullptr, params.windowId, params.unitId);
    HWND window = nullptr;
    HWND caught = nullptr;
    {
        CreationHook hook(unit, params);
        window = CreateWindowExW(exStyle, WideFromText(className).c_str(), WideFromText(text).c_str(), style, params.left,
                                 params.top, params.width, height, params.parent,
                                 reinterpret_cast<HMENU>(static_cast<intptr_t>(params.childId)),
                                 GetModuleHandleW(nullptr), nullptr);
        caught = controlBeingMade.caught;
    }
    if (!window) {
        // Refused before its first message (another creation hook): the platform freed
        // the window without WM_NCDESTROY, so the tables still name it.
        if (caught && UnitOfWindow(caught) == unit) ReleaseControl(caught);
        return nullptr;
    }
    if (UnitOfWindow(window) != unit) TakeControl(window, unit);  // no hook caught it
    font.Set(fontDescription, unit->Dpi());
    SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
    return window;
}

void ApplyFontProperty(const ValueRecord& value, std::vector<uint8_t>& description, UnitFont& font, HWND window,
                       UINT dpi) {
    if (value.high != 60) return;
    const auto* data = reinterpret_cast<const uint8_t*>(value.low);
    description.assign(data, data + 60);
    font.Set(description, dpi);
    if (window) SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
}

bool ReflectToChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_COMMAND:
            if (UnitObject* unit = UnitOfWindow(reinterpret_cast<HWND>(lParam)))
                return unit->OnCommand(HIWORD(wParam)) && (result = 0, true);
            return false;
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
            if (UnitObject* unit = UnitOfWindow(reinterpret_cast<HWND>(lParam)))
                if (HBRUSH brush = unit->OnControlColour(reinterpret_cast<HDC>(wParam))) {
                    result = reinterpret_cast<LRESULT>(brush);
                    return true;
                }
            return false;
        case WM_DRAWITEM: {
            auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
            if (UnitObject* unit = UnitOfWindow(item->hwndItem))
                if (unit->OnDrawItem(item)) return result = TRUE, true;
            return false;
        }
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            if (UnitObject* unit = UnitOfWindow(header->hwndFrom)) return unit->OnNotify(header, result);
            return false;
        }
        default:
            return false;
    }
}

}  // namespace velmora
