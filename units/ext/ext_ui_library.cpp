#include "units/ext/ext_ui_library.h"
#include <iterator>
#include "units/ext/super_button.h"
#include "units/framework/unit_type.h"

namespace velmora {
namespace {

RuntimeServiceEntry runtimeServices = nullptr;

int32_t ExtUiNotify(int32_t code, uint32_t parameter1, uint32_t) {
    if (code != NotifyStartup) return -1;
    runtimeServices = reinterpret_cast<RuntimeServiceEntry>(parameter1);
    return 0;
}

// Nine types; the program uses the first, the others are all-zero (no interface function).
const UnitTypeDescriptor extUiTypes[] = {
    superButtonType,  // 1
    {}, {}, {}, {}, {}, {}, {}, {},
};
static_assert(std::size(extUiTypes) == 9);

}  // namespace

const LibraryDescriptor extUiLibrary = {
    LibrarySignature, "3B9E0D47C2A85F16E7D43A90B1C6F528", "扩展界面库二",
    std::size(extUiTypes), extUiTypes,
    0,                nullptr,
    ExtUiNotify,
};

}  // namespace velmora
