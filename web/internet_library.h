// The internet library: the HTTP file fetch used by the download workers.
#pragma once
#include "runtime/program_header.h"

namespace velmora {
extern const LibraryDescriptor internetLibrary;
}
