// The super button unit type of the extended UI library.
#pragma once
#include "units/framework/unit_type.h"

namespace velmora {
extern const UnitTypeDescriptor superButtonType;  // library 4, type 1
}
