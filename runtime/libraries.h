// The command libraries the program links, as its header lists them: started
// with the runtime's service entry, told of the shutdown, and asked for the
// unit types they carry.
#pragma once
#include <cstdint>
#include "runtime/program_header.h"

namespace velmora {

void StartLibraries(const ProgramHeader& header);
// Tells every library of the shutdown, then forgets them.
void ShutDownLibraries();
// Library `number` (from 1) of the header; null for none.
const LibraryDescriptor* LibraryAt(uint32_t number);

}  // namespace velmora
