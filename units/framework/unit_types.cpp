#include <windows.h>
#include <unordered_map>
#include "runtime/libraries.h"
#include "runtime/srw_locks.h"
#include "units/framework/unit_object.h"
#include "units/framework/window_map.h"

namespace velmora {
namespace {
// Which unit a window is: a table of the process rather than a window
// property, which Wine asks its server for (about 50 microseconds), and the
// procedures ask on every message. Every window is unbound when destroyed.
SRWLOCK unitsLock = SRWLOCK_INIT;
// Never destroyed: a window may still take a message while the process ends.
std::unordered_map<HWND, UnitObject*>& unitsOfWindows = *new std::unordered_map<HWND, UnitObject*>;
}  // namespace

const UnitTypeDescriptor* FindUnitType(uint32_t typeKey) {
    uint32_t library = typeKey >> 16, type = typeKey & 0xFFFF;
    const LibraryDescriptor* descriptor = LibraryAt(library);
    if (!descriptor || type == 0 || static_cast<int32_t>(type) > descriptor->typeCount || !descriptor->types) return nullptr;
    const UnitTypeDescriptor* unitType = &descriptor->types[type - 1];
    return unitType->interfaceFunction ? unitType : nullptr;
}

UnitObject* UnitOfWindow(HWND window) {
    if (!window) return nullptr;
    SharedLock held(unitsLock);
    auto found = unitsOfWindows.find(window);
    return found == unitsOfWindows.end() ? nullptr : found->second;
}

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
    ExclusiveLock held(unitsLock);
    if (unit)
        unitsOfWindows[window] = unit;
    else
        unitsOfWindows.erase(window);
}

}  // namespace velmora
