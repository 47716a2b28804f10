// The core library: text, conversion, file and system commands and the
// standard unit types, indexed by the core command number.
#pragma once
#include "runtime/program_header.h"

namespace velmora {

extern const LibraryDescriptor coreLibrary;
constexpr int32_t CoreCommandCount = 39;
constexpr int32_t CoreTypeCount = 51;

// The runtime-service entry handed over at start-up.
RuntimeServiceEntry CoreRuntimeServices();

}  // namespace velmora
