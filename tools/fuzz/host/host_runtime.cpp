// The one runtime service the text commands ask for on the host: result
// blocks, from malloc. Everything a fuzz input made is freed after the input.
#include <cstdlib>
#include <vector>
#include "commands/core_library.h"
#include "runtime/runtime_services.h"

namespace velmora {
namespace {

std::vector<void*>& Blocks() {
    static std::vector<void*> blocks;
    return blocks;
}

int32_t Services(int32_t service, uint32_t parameter1, uint32_t) {
    if (service != Service::Allocate) std::abort();
    void* block = std::malloc(parameter1 ? parameter1 : 1);
    Blocks().push_back(block);
    return static_cast<int32_t>(reinterpret_cast<uintptr_t>(block));
}

}  // namespace

RuntimeServiceEntry CoreRuntimeServices() { return Services; }

void FreeHostBlocks() {
    for (void* block : Blocks()) std::free(block);
    Blocks().clear();
}

}  // namespace velmora
