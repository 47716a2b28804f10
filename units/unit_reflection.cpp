#include <windows.h>
#include <commctrl.h>
#include "units/standard_units.h"

namespace velmora {

LRESULT CALLBACK ChildUnitProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                    DWORD_PTR data) {
    auto* unit = reinterpret_cast<UnitObject*>(data);
    if (message == WM_NCDESTROY) {
        LRESULT ignored = 0;
        unit->OnMessage(message, wParam, lParam, ignored);
        RemoveWindowSubclass(window, ChildUnitProcedure, id);
        BindUnitToWindow(window, nullptr);
        ForgetUnit(unit);
        delete unit;
        return DefSubclassProc(window, message, wParam, lParam);
    }
    LRESULT result = 0;
    if (unit->OnMessage(message, wParam, lParam, result)) return result;
    return DefSubclassProc(window, message, wParam, lParam);
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
