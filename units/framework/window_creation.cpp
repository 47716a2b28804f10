#include "units/framework/window_creation.h"
#include <vector>
#include "runtime/error_report.h"
#include "runtime/message_loop.h"
#include "runtime/private_messages.h"
#include "runtime/runtime_app.h"
#include "runtime/runtime_services.h"
#include "units/framework/dpi.h"
#include "units/framework/keyboard.h"
#include "units/framework/pictures.h"
#include "units/framework/unit_events.h"
#include "units/framework/unit_object.h"
#include "units/framework/window_map.h"

namespace velmora {
namespace {

constexpr uint32_t StyleDisabled = 0x08000000, StyleTabStop = 0x00010000;

// Event delivery stays off from CreationBegins until CreationEnds, whatever path ends creation.
struct CreationPhase {
    CreationPhase() { RuntimeService(Service::CreationBegins, 0, 0); }
    ~CreationPhase() { RuntimeService(Service::CreationEnds, 0, 0); }
};

HWND UnitWindow(WindowTemplate& window, uint32_t index) {
    UnitRecordRef record;
    if (!window.Record(index, record) || record.layout.menuItem) return nullptr;
    UnitObject* unit = record.Object();
    return unit ? unit->Window() : nullptr;
}

// Index 0, then the last record down to 1.
std::vector<uint32_t> CreationOrder(uint32_t count) {
    std::vector<uint32_t> order{0};
    for (uint32_t i = count; i-- > 1;) order.push_back(i);
    return order;
}

// A unit's template rectangle at a DPI.
RECT ScaledRect(const UnitRecordRef& record, UINT dpi) {
    int left = ScaleToDpi(record.Rect(0), dpi), top = ScaleToDpi(record.Rect(1), dpi);
    return {left, top, left + ScaleToDpi(record.Rect(2), dpi), top + ScaleToDpi(record.Rect(3), dpi)};
}

bool CreateUnits(WindowTemplate& window, uint32_t windowId, HWND owner, std::vector<bool>& visible) {
    int32_t childId = 100;
    // The window is made at the screen's DPI; its units at the DPI it then shows at.
    UINT dpi = SystemDpi();
    for (uint32_t index : CreationOrder(window.unitCount)) {
        UnitRecordRef record;
        window.Record(index, record);
        if (record.layout.menuItem) continue;
        const UnitTypeDescriptor* type = FindUnitType(record.TypeKey());
        auto create = UnitOperation<CreateOperation>(type, UnitServiceCreate);
        if (!create) return false;
        uint32_t style = 0;
        if (type->flags & TypeWindowless) {
            visible[index] = false;
        } else {
            visible[index] = record.Flags() & UnitVisible;
            if (record.Flags() & UnitDisabled) style |= StyleDisabled;
            if (record.Flags() & UnitTabStop) style |= StyleTabStop;
        }
        RECT rect = ScaledRect(record, dpi);
        CreateParams params{record.Stream(), record.StreamLength(), style,
                            index == 0 ? owner : window.window, index == 0 ? 0 : childId,
                            nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                            windowId, record.id, dpi};
        if (index != 0) childId += 10;
        UnitObject* unit = create(params);
        if (!unit) return false;
        window.Record(index, record);  // creation may not move the table, but re-read to be safe
        record.SetObject(unit);
        if (index == 0) {
            window.window = unit->Window();
            // On a monitor of another DPI than the screen's (Windows 10), the window follows that one.
            UINT shown = WindowDpi(window.window);
            if (shown != dpi) {
                dpi = shown;
                unit->SetDpi(dpi);
                // About its middle, so a window centred on the screen stays centred.
                RECT outer;
                GetWindowRect(window.window, &outer);
                int width = ScaleToDpi(record.Rect(2), dpi), height = ScaleToDpi(record.Rect(3), dpi);
                SetWindowPos(window.window, nullptr, (outer.left + outer.right - width) / 2,
                             (outer.top + outer.bottom - height) / 2, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
            }
        }
    }
    return true;
}

void ParentAndOrder(WindowTemplate& window) {
    std::vector<std::pair<uint32_t, HWND>> lastOfContainer;
    for (uint32_t index = 1; index < window.unitCount; ++index) {
        UnitRecordRef record;
        window.Record(index, record);
        HWND unit = UnitWindow(window, index);
        if (!unit) continue;
        uint32_t container = record.ContainerId();
        HWND parent = window.window;
        if (container != 0) {
            int32_t containerIndex = window.IndexOf(container);
            if (containerIndex > 0)
                if (HWND containerWindow = UnitWindow(window, static_cast<uint32_t>(containerIndex))) parent = containerWindow;
        }
        if (GetParent(unit) != parent) SetParent(unit, parent);
        HWND after = HWND_TOP;
        for (auto& [id, previous] : lastOfContainer)
            if (id == container) after = previous;
        SetWindowPos(unit, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        bool found = false;
        for (auto& entry : lastOfContainer)
            if (entry.first == container) entry.second = unit, found = true;
        if (!found) lastOfContainer.emplace_back(container, unit);
    }
}

void SendToAll(WindowTemplate& window, UINT message) {
    for (uint32_t index = window.unitCount; index-- > 0;)
        if (HWND unit = UnitWindow(window, index)) SendMessageW(unit, message, 0, 0);
}

void FireFocusEvent(WindowTemplate& window, uint32_t windowId) {
    HWND focus = GetFocus();
    if (!focus || (focus != window.window && !IsChild(window.window, focus))) return;
    for (uint32_t index = 0; index < window.unitCount; ++index)
        if (UnitWindow(window, index) == focus) {
            RaiseUnitEvent(windowId, window.RecordId(index), -7);
            return;
        }
    RaiseUnitEvent(windowId, window.RecordId(0), -7);
}

}  // namespace

bool CreateWindowFromTemplate(WindowTemplate& window, bool modal, HWND owner) {
    if (window.window && IsWindow(window.window)) {
        if (IsIconic(window.window))
            ShowWindow(window.window, SW_RESTORE);
        else
            SetActiveWindow(window.window);
        return true;
    }
    if (modal) owner = nullptr;
    else if (owner && !IsWindow(owner)) return false;

    uint32_t windowId = 0;
    for (size_t i = 0; i < ProgramWindows().ids.size(); ++i)
        if (ProgramWindows().templates[i].get() == &window) windowId = ProgramWindows().ids[i];
    std::vector<bool> visible(window.unitCount, false);
    {
        CreationPhase phase;
        window.storedTable = window.unitTable;
        if (!CreateUnits(window, windowId, owner, visible)) {
            if (window.window) DestroyWindow(window.window);
            window.window = nullptr;
            return false;
        }
        ParentAndOrder(window);
        for (uint32_t index = 0; index < window.unitCount; ++index) {
            UnitRecordRef record;
            window.Record(index, record);
            if (record.layout.menuItem) continue;
            uint32_t size = 0;
            const uint8_t* pointer = record.MousePointer(size);
            // A pointer written while the window was closed already made one.
            if (HCURSOR written = record.Cursor()) DestroyCursor(written);
            record.SetCursor(MakeUnitCursor(pointer, size));
        }
        // Focus rectangles and access keys show once the keyboard is used, as in the platform's dialogs.
        HideKeyboardCues(window.window);
        SendToAll(window, MessageLinkSetup);
        SendMessageW(window.window, MessageLayout, 0, 0);
        for (uint32_t index = 1; index < window.unitCount; ++index)
            if (HWND unit = UnitWindow(window, index)) ShowWindow(unit, visible[index] ? SW_SHOWNA : SW_HIDE);
    }
    for (int32_t event : {0, 3, 4})
        if (window.window && IsWindow(window.window)) RaiseUnitEvent(windowId, window.RecordId(0), event);
    if (!window.window || !IsWindow(window.window)) return true;
    if (visible[0]) {
        UnitObject* unit = UnitOfWindow(window.window);
        ShowWindow(window.window, unit ? unit->ShowCommand() : SW_SHOW);
        FireFocusEvent(window, windowId);
    }
    HWND focus = GetFocus();
    SendToAll(window, MessageCreated);
    if (GetFocus() != focus && focus) SetFocus(focus);
    window.created = true;
    return true;
}

void LoadStartupWindow(uint32_t windowId) {
    WindowTemplate* window = ProgramWindows().Find(windowId);
    if (!window || !CreateWindowFromTemplate(*window, false, nullptr)) ReportFatalError(FatalMessage::StartupWindow, 0);
}

void RescaleWindow(uint32_t windowId, UINT dpi, const RECT* suggested) {
    WindowTemplate* window = ProgramWindows().Find(windowId);
    if (!window || !window->window || !dpi) return;
    for (uint32_t index = 0; index < window->unitCount; ++index) {
        UnitRecordRef record;
        if (!window->Record(index, record) || record.layout.menuItem) continue;
        UnitObject* unit = record.Object();
        if (!unit || !unit->Window()) continue;
        if (index == 0) {
            RECT outer;
            GetWindowRect(unit->Window(), &outer);
            RECT target = suggested ? *suggested
                                    : RECT{outer.left, outer.top, outer.left + ScaleToDpi(record.Rect(2), dpi),
                                           outer.top + ScaleToDpi(record.Rect(3), dpi)};
            SetWindowPos(unit->Window(), nullptr, target.left, target.top, target.right - target.left,
                         target.bottom - target.top, SWP_NOZORDER | SWP_NOACTIVATE);
        } else {
            RECT rect = ScaledRect(record, dpi);
            SetWindowPos(unit->Window(), nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
        }
        // After the move, so a unit that keeps a size of its own (an edit box's line) sees its new one.
        unit->SetDpi(dpi);
    }
    InvalidateRect(window->window, nullptr, TRUE);
}

void FinishWindowCleanup(uint32_t windowId) {
    if (WindowTemplate* window = ProgramWindows().Find(windowId)) {
        for (uint32_t index = 0; index < window->unitCount; ++index) {
            UnitRecordRef record;
            if (!window->Record(index, record) || record.layout.menuItem) continue;
            if (HCURSOR cursor = record.Cursor()) DestroyCursor(cursor);
            record.SetCursor(nullptr);
        }
    }
    OnProgramWindowDestroyed(windowId);
}

}  // namespace velmora
