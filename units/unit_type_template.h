// What every unit type's interface does the same way: read the property
// stream into the unit's settings (refusing a version newer than the type
// knows), save the settings back as a stream, and map service numbers to
// the type's operations.
#pragma once
#include <memory>
#include <vector>
#include "units/framework/unit_object.h"
#include "units/stream_codec.h"

namespace velmora {

// Unit: a UnitObject with `settings` (a version field and Fields(codec))
// and bool Create(const CreateParams&).
template <class Unit, uint32_t NewestVersion>
UnitObject* CreateFromStream(const CreateParams& params) {
    auto unit = std::make_unique<Unit>();
    StreamReader version(params.stream, params.streamLength);
    version.Dword(unit->settings.version);
    if (!version.Ok() || unit->settings.version > NewestVersion) return nullptr;
    StreamReader fields(params.stream, params.streamLength);
    unit->settings.Fields(fields);
    unit->InitDpi(params.dpi);
    if (!unit->Create(params)) return nullptr;
    return unit.release();
}

template <class Unit>
std::vector<uint8_t> SaveSettings(UnitObject* unit) {
    StreamWriter writer;
    static_cast<Unit*>(unit)->settings.Fields(writer);
    return writer.bytes;
}

template <CreateOperation create, SetPropertyOperation set, SaveOperation save, GetPropertyOperation get>
void* UnitInterface(int32_t service) {
    switch (service) {
        case UnitServiceCreate: return reinterpret_cast<void*>(create);
        case UnitServiceSetProperty: return reinterpret_cast<void*>(set);
        case UnitServiceSave: return reinterpret_cast<void*>(save);
        case UnitServiceGetProperty: return reinterpret_cast<void*>(get);
        default: return nullptr;
    }
}

}  // namespace velmora
