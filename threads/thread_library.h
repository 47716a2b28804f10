// The multithreading library: threads and registered critical sections.
#pragma once
#include "runtime/program_header.h"

namespace velmora {
extern const LibraryDescriptor threadLibrary;
}
