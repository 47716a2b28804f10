// Unit type descriptors: the only way the runtime reaches a unit type.
#pragma once
#include <cstdint>

namespace velmora {

struct PropertyDescriptor {
    uint32_t reserved[3];
    uint16_t dataType;
    uint16_t flags;
    uint32_t reserved2;
};
static_assert(sizeof(PropertyDescriptor) == 20);

// Maps a unit interface service number to the operation's entry point.
using UnitInterfaceFunction = void* (*)(int32_t service);

struct UnitTypeDescriptor {
    const char* name;
    const char* englishName;
    uint32_t reserved[3];
    uint32_t flags;
    uint32_t reserved2[3];
    int32_t propertyCount;
    const PropertyDescriptor* properties;
    UnitInterfaceFunction interfaceFunction;  // null for types not present
    uint32_t reserved3[2];
};
static_assert(sizeof(UnitTypeDescriptor) == 56);

}  // namespace velmora
