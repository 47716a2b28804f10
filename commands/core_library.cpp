#include "commands/core_library.h"
#include <iterator>
#include "units/framework/unit_type.h"
#include "units/standard_units.h"

namespace velmora {

extern const Command coreCommandTable[CoreCommandCount];

namespace {

RuntimeServiceEntry runtimeServices = nullptr;

int32_t CoreNotify(int32_t code, uint32_t parameter1, uint32_t) {
    if (code != NotifyStartup) return -1;
    runtimeServices = reinterpret_cast<RuntimeServiceEntry>(parameter1);
    return 0;
}

// By type number - 1; the types this program does not use are all zero.
const UnitTypeDescriptor coreTypes[] = {
    windowType,   // 1
    {}, {}, {},
    editBoxType,  // 5
    {}, {}, {}, {},
    labelType,    // 10
    buttonType,   // 11
    {}, {}, {},
    listBoxType,  // 15
    // 16-51
    {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {},
    {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {},
    {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {},
};
static_assert(std::size(coreTypes) == CoreTypeCount);

}  // namespace

RuntimeServiceEntry CoreRuntimeServices() { return runtimeServices; }

const LibraryDescriptor coreLibrary = {
    LibrarySignature, "5A0C93E1B7F24D6A8E1C07B3F9D2A641", "核心命令库",
    CoreTypeCount,    coreTypes,
    CoreCommandCount, coreCommandTable,
    CoreNotify,
};

}  // namespace velmora
