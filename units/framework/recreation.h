// Re-creating a unit whose property change needs a new platform window: the
// unit saves its stream, a new one is made from it in the old one's place,
// z-order, state and focus, and the old one goes.
#pragma once
#include <cstdint>
#include "units/framework/unit_object.h"

namespace velmora {

void Recreate(uint32_t windowId, uint32_t unitId, const UnitTypeDescriptor* type);

}  // namespace velmora
