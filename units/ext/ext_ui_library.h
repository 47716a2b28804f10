// The extended UI library no. 2: the super button.
#pragma once
#include "runtime/program_header.h"

namespace velmora {
extern const LibraryDescriptor extUiLibrary;
}
