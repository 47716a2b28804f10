#include "units/framework/recreation.h"
#include <vector>
#include "runtime/private_messages.h"
#include "units/framework/unit_events.h"
#include "units/framework/unit_object.h"
#include "units/framework/unit_properties.h"
#include "units/framework/window_map.h"

namespace velmora {
namespace {

void PumpPending() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// The record's object slot, found afresh: the unit table may have moved.
void StoreUnitObject(uint32_t windowId, uint32_t unitId, UnitObject* object) {
    WindowTemplate* window = ProgramWindows().Find(windowId);
    int32_t index = window ? window->IndexOf(unitId) : -1;
    UnitRecordRef record;
    if (index >= 0 && window->Record(static_cast<uint32_t>(index), record) && !record.layout.menuItem)
        record.SetObject(object);
}

void Rebuild(UnitObject* old, const UnitTypeDescriptor* type) {
    HWND oldWindow = old->Window();
    HWND focus = GetFocus();
    bool hadFocus = focus == oldWindow || IsChild(oldWindow, focus);
    auto save = UnitOperation<SaveOperation>(type, UnitServiceSave);
    auto create = UnitOperation<CreateOperation>(type, UnitServiceCreate);
    if (!save || !create) return;
    std::vector<uint8_t> stream = save(old);
    RECT rect;
    GetWindowRect(oldWindow, &rect);
    HWND parent = GetParent(oldWindow);
    if (parent) MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    uint32_t style = GetWindowLongW(oldWindow, GWL_STYLE) & (WS_DISABLED | WS_TABSTOP);
    uint32_t windowId = old->WindowId(), unitId = old->UnitId();
    CreateParams params{stream.data(), static_cast<uint32_t>(stream.size()), style, parent, GetDlgCtrlID(oldWindow),
                        nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, windowId, unitId,
                        old->Dpi()};
    UnitObject* fresh = create(params);
    if (!fresh) return;
    HWND freshWindow = fresh->Window();
    if (type->flags & TypeMovesChildren)
        for (HWND child = GetWindow(oldWindow, GW_CHILD); child; child = GetWindow(oldWindow, GW_CHILD))
            SetParent(child, freshWindow);
    bool wasVisible = IsWindowVisible(oldWindow);
    StoreUnitObject(windowId, unitId, fresh);
    SetWindowPos(freshWindow, oldWindow, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SendMessageW(freshWindow, MessageLinkSetup, 0, 0);
    SendMessageW(freshWindow, MessageCreated, 0, 0);
    if ((type->flags & TypeNotifyParent) && parent) SendMessageW(parent, MessageLayout, 0, 0);
    if (wasVisible) ShowWindow(freshWindow, SW_SHOWNA);
    DestroyWindow(oldWindow);  // deletes `old`
    StoreUnitObject(windowId, unitId, fresh);
    if (hadFocus)
        SetFocus(freshWindow);
    else if (focus && IsWindow(focus))
        SetFocus(focus);
}

}  // namespace

// Work from other threads runs in the pumps (and the user may close the
// window there): it can move the unit table or destroy the unit, so the unit
// is looked up afresh after the pump and nothing read before it is kept.
void Recreate(uint32_t windowId, uint32_t unitId, const UnitTypeDescriptor* type) {
    if (type->flags & TypeNeverRecreated) return;
    PumpPending();
    HoldEvents();
    if (UnitObject* old = LiveUnit(windowId, unitId)) Rebuild(old, type);
    PumpPending();
    ReleaseEvents();
}

}  // namespace velmora
