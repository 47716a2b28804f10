#include "commands/command_args.h"
#include "commands/core_library.h"
#include "runtime/runtime_services.h"

namespace velmora::commands {

void* AllocResult(uint32_t byteCount) {
    return reinterpret_cast<void*>(CoreRuntimeServices()(Service::Allocate, byteCount, 0));
}

void SetText(ValueRecord* result, std::string_view text) {
    if (text.empty()) return;
    auto* block = static_cast<char*>(AllocResult(static_cast<uint32_t>(text.size()) + 1));
    std::memcpy(block, text.data(), text.size());
    block[text.size()] = '\0';
    result->low = reinterpret_cast<uint32_t>(block);
}

void SetByteSet(ValueRecord* result, std::string_view bytes) {
    if (bytes.empty()) return;
    auto* block = static_cast<ByteSetBlock*>(AllocResult(8 + static_cast<uint32_t>(bytes.size())));
    block->dimensions = 1;
    block->length = static_cast<uint32_t>(bytes.size());
    std::memcpy(block->data(), bytes.data(), bytes.size());
    result->low = reinterpret_cast<uint32_t>(block);
}

}  // namespace velmora::commands
