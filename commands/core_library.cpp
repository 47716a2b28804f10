#include "commands/core_library.h"
#include "units/unit_type.h"

namespace velmora {
namespace {

RuntimeServiceEntry runtimeServices = nullptr;

int32_t CoreNotify(int32_t code, uint32_t parameter1, uint32_t) {
    if (code != NotifyStartup) return -1;
    runtimeServices = reinterpret_cast<RuntimeServiceEntry>(parameter1);
    return 0;
}

const UnitTypeDescriptor coreTypes[CoreTypeCount] = {};

// Indexed by the core command number; entries are filled as the commands arrive.
const Command coreCommands[CoreCommandCount] = {};

}  // namespace

RuntimeServiceEntry CoreRuntimeServices() { return runtimeServices; }

const LibraryDescriptor coreLibrary = {
    LibrarySignature, "5A0C93E1B7F24D6A8E1C07B3F9D2A641", "核心命令库",
    CoreTypeCount,    coreTypes,
    CoreCommandCount, coreCommands,
    CoreNotify,
};

}  // namespace velmora
