#include <windows.h>
#include "runtime/libraries.h"
#include "units/framework/unit_object.h"
#include "units/framework/window_map.h"

namespace velmora {
namespace {
constexpr const wchar_t* unitProperty = L"VelmoraUnit";
}

const UnitTypeDescriptor* FindUnitType(uint32_t typeKey) {
    uint32_t library = typeKey >> 16, type = typeKey & 0xFFFF;
    const LibraryDescriptor* descriptor = LibraryAt(library);
    if (!descriptor || type == 0 || static_cast<int32_t>(type) > descriptor->typeCount || !descriptor->types) return nullptr;
    const UnitTypeDescriptor* unitType = &descriptor->types[type - 1];
    return unitType->interfaceFunction ? unitType : nullptr;
}

UnitObject* UnitOfWindow(HWND window) { return window ? static_cast<UnitObject*>(GetPropW(window, unitProperty)) : nullptr; }

void ForgetUnit(UnitObject* unit) {
    WindowTemplate* window = ProgramWindows().Find(unit->WindowId());
    if (!window) return;
    int32_t index = window->IndexOf(unit->UnitId());
    UnitRecordRef record;
    if (index >= 0 && window->Record(static_cast<uint32_t>(index), record) && !record.layout.menuItem &&
        record.Object() == unit)
        record.SetObject(nullptr);
}

void BindUnitToWindow(HWND window, UnitObject* unit) {
    if (unit)
        SetPropW(window, unitProperty, unit);
    else
        RemovePropW(window, unitProperty);
}

}  // namespace velmora
