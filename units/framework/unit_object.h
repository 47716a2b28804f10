// Unit objects and the operations a unit type offers through its interface
// function. A unit object lives from its type's create operation until its
// window is destroyed.
#pragma once
#include <windows.h>
#include <cstdint>
#include <vector>
#include "runtime/value.h"
#include "units/framework/dpi.h"
#include "units/framework/unit_type.h"

namespace velmora {

class WindowKeyboard;

struct CreateParams {
    const uint8_t* stream;
    uint32_t streamLength;
    uint32_t style;
    HWND parent;
    int32_t childId;
    HMENU menu;
    int32_t left, top, width, height;  // pixels at `dpi`
    uint32_t windowId;
    uint32_t unitId;
    UINT dpi = TemplateDpi;  // what the unit's fonts and drawing scale to
};

class UnitObject {
public:
    virtual ~UnitObject() = default;
    HWND Window() const { return window_; }
    uint32_t WindowId() const { return windowId_; }
    uint32_t UnitId() const { return unitId_; }

    // Notifications the parent reflects to the unit that sent them.
    virtual bool OnCommand(WORD) { return false; }
    virtual bool OnDrawItem(DRAWITEMSTRUCT*) { return false; }
    virtual HBRUSH OnControlColour(HDC) { return nullptr; }
    virtual bool OnNotify(NMHDR*, LRESULT&) { return false; }
    // Messages to a subclassed platform control before its own procedure; true
    // when handled, with the result.
    virtual bool OnMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }
    // The unit's window lost activation: children never see WM_ACTIVATE, so
    // the window tells its units (a hot button must cool down).
    virtual void OnWindowDeactivated() {}
    // How a window unit is first shown (start position minimised, maximised, normal).
    virtual int ShowCommand() const { return SW_SHOW; }
    // The window now shows at another DPI: fonts and sizes made for the old
    // one are made anew (the framework moves and sizes the unit itself).
    virtual void OnDpiChanged() {}
    // A top-level window unit's keyboard interface (units/framework/keyboard.h).
    virtual WindowKeyboard* Keyboard() { return nullptr; }

    UINT Dpi() const { return dpi_; }
    void SetDpi(UINT dpi) {
        dpi_ = dpi ? dpi : TemplateDpi;
        OnDpiChanged();
    }
    int Scaled(int value) const { return ScaleToDpi(value, dpi_); }

    void Attach(HWND window, uint32_t windowId, uint32_t unitId) {
        window_ = window;
        windowId_ = windowId;
        unitId_ = unitId;
    }

    // The DPI a unit is made at, before anything is made.
    void InitDpi(UINT dpi) { dpi_ = dpi ? dpi : TemplateDpi; }

private:
    HWND window_ = nullptr;
    uint32_t windowId_ = 0;
    uint32_t unitId_ = 0;
    UINT dpi_ = TemplateDpi;
};

// Unit interface services.
enum UnitService : int32_t {
    UnitServiceCreate = 1,
    UnitServiceSetProperty = 4,
    UnitServiceSave = 5,
    UnitServiceGetProperty = 6,
};

using CreateOperation = UnitObject* (*)(const CreateParams& params);
// Answers 1 when the unit must be re-created for the change to take effect.
using SetPropertyOperation = int32_t (*)(const ValueRecord& value, UnitObject* unit, int32_t number);
// The unit's current property stream.
using SaveOperation = std::vector<uint8_t> (*)(UnitObject* unit);
using GetPropertyOperation = int32_t (*)(UnitObject* unit, int32_t number, uint32_t raw[2]);

// Descriptor flag bits the framework reads.
enum UnitTypeFlag : uint32_t {
    TypeNeverRecreated = 0x0010,
    TypeRaisesEvents = 0x0040,
    TypeEventsOld = 0x0004,
    TypeMovesChildren = 0x0080,
    TypePagedContainer = 0x0100,
    TypeWindowless = 0x8000,
    TypeNotifyParent = 0x00100000,
};

// The descriptor of a type key (library << 16 | type), or null.
const UnitTypeDescriptor* FindUnitType(uint32_t typeKey);
template <class Operation>
Operation UnitOperation(const UnitTypeDescriptor* type, UnitService service) {
    return type && type->interfaceFunction ? reinterpret_cast<Operation>(type->interfaceFunction(service)) : nullptr;
}

// The unit object kept with a unit's window handle, for reflection. Whoever
// binds a window unbinds it when the window is destroyed: a later window may
// be given the same handle.
UnitObject* UnitOfWindow(HWND window);
void BindUnitToWindow(HWND window, UnitObject* unit);
// Clears the unit's record when it still holds this object (its window is gone).
void ForgetUnit(UnitObject* unit);

}  // namespace velmora
