// Byte-set commands: measure, make, cut and search.
#include "commands/command_args.h"
#include "commands/core_commands.h"

namespace velmora::commands {

void ByteSetLength(ValueRecord* result, int32_t count, ValueRecord* arguments) {
    SetInt(result, static_cast<int32_t>(ByteSetLengthOrZero(Args(count, arguments).ByteSet(0))));
}

void BlankByteSet(ValueRecord* result, int32_t count, ValueRecord* arguments) {
    int32_t n = Args(count, arguments).Int(0);
    if (n <= 0) return;
    auto* block = static_cast<ByteSetBlock*>(AllocResult(8 + static_cast<uint32_t>(n)));
    block->dimensions = 1;
    block->length = static_cast<uint32_t>(n);
    std::memset(block->data(), 0, static_cast<size_t>(n));
    result->low = reinterpret_cast<uint32_t>(block);
}

void LeftBytes(ValueRecord* result, int32_t count, ValueRecord* arguments) {
    Args args(count, arguments);
    int32_t n = args.Int(1);
    if (n <= 0) return;
    SetByteSet(result, args.Bytes(0).substr(0, static_cast<size_t>(n)));
}

void FindBytes(ValueRecord* result, int32_t count, ValueRecord* arguments) {
    Args args(count, arguments);
    std::string_view bytes = args.Bytes(0);
    std::string_view sought = args.Bytes(1);
    int64_t start = args.Given(2) ? args.Int(2) - 1LL : 0;
    if (start < 0) start = 0;
    SetInt(result, -1);
    if (start >= static_cast<int64_t>(bytes.size()) || sought.empty()) return;
    size_t found = bytes.find(sought, static_cast<size_t>(start));
    if (found != std::string_view::npos) SetInt(result, static_cast<int32_t>(found + 1));
}

}  // namespace velmora::commands
