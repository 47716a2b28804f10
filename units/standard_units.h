// The standard unit types of the core library, and what their files share.
#pragma once
#include <vector>
#include "units/framework/unit_object.h"
#include "units/framework/unit_properties.h"
#include "units/framework/unit_type.h"

namespace velmora {

extern const UnitTypeDescriptor windowType;   // core type 1
extern const UnitTypeDescriptor editBoxType;  // core type 5
extern const UnitTypeDescriptor labelType;    // core type 10
extern const UnitTypeDescriptor buttonType;   // core type 11
extern const UnitTypeDescriptor listBoxType;  // core type 15

// The eight properties every unit has.
#define COMMON_PROPERTIES                                                                                      \
    {{}, DataPosition, 0xE000, 0}, {{}, DataPosition, 0xE000, 0}, {{}, DataPosition, 0xE000, 0},             \
        {{}, DataPosition, 0xE000, 0}, {{}, DataText, 0xE000, 0}, {{}, DataLogical, 0xE000, 0},               \
        {{}, DataLogical, 0xE000, 0}, {                                                                        \
        {}, DataMousePointer, 0xE000, 0                                                                        \
    }

// A platform control's window procedure once it is a unit's: it forwards
// notifications the parent reflects and tells the framework when the window
// is destroyed. The control's own procedure is kept in a table of the
// process, not in window properties: the platform's subclassing keeps its
// chain there and Wine asks its server for them on every message (about
// 170 microseconds a message, on every message of every control).
LRESULT CALLBACK ControlUnitProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The control's own procedure, for a unit that handles a message around it.
LRESULT CallControlProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// WM_SETCURSOR: over its own client area a unit shows its record's cursor
// (common property 7); true when it did, else the class cursor applies.
bool ShowUnitCursor(const UnitObject* unit, WPARAM wParam, LPARAM lParam);

// Registers a unit type's own window class (double clicks, redrawn when
// resized, the arrow cursor) unless a class of that name exists; true when
// the class is the type's: registered now, or before with `procedure`.
bool RegisterUnitClass(const char* name, WNDPROC procedure);
// Units with a class of their own (the window, the label) pass themselves as
// CreateWindowEx's creation parameter; their class procedure calls this at
// WM_NCCREATE, so the messages of creation reach the unit.
void BindAtCreation(HWND window, LPARAM createStruct);
// After CreateWindowEx: a unit that was not bound at creation (another
// procedure owns its class's name) is bound now and subclassed with
// `procedure`; answers the procedure replaced, null when none was.
WNDPROC BindAfterCreation(UnitObject* unit, HWND window, WNDPROC procedure);

// Creates a platform control (class "BUTTON", "EDIT", "LISTBOX") for a unit
// at the template's place: attached to the unit, subclassed so its messages
// reach the unit, with the unit's font. Null when the platform refuses.
class UnitFont;
HWND CreateControlUnit(UnitObject* unit, const char* className, const char* text, DWORD style,
                       const CreateParams& params, UnitFont& font, const std::vector<uint8_t>& fontDescription,
                       int height, DWORD exStyle = 0);

// A font property write: a 60-byte description replaces the unit's font, made
// at the unit's DPI, and the window is told (window may be null for units
// that paint themselves).
void ApplyFontProperty(const ValueRecord& value, std::vector<uint8_t>& description, UnitFont& font, HWND window,
                       UINT dpi);

// The parent side: hands WM_COMMAND, colour, draw and notify messages to the
// unit that sent them; true when that unit answered.
bool ReflectToChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

}  // namespace velmora
