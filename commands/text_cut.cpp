// Measuring, cutting and making texts. Cuts count plain bytes and may split
// a double-byte character.
#include <string>
#include "commands/command_args.h"
#include "commands/core_commands.h"

namespace velmora::commands {

void TextLength(ValueRecord* result, int32_t count, ValueRecord* arguments) {
    SetInt(result, static_cast<int32_t>(Args(count, arguments).Text(0).size()));
}

void LeftText(ValueRecord* result, int32_t count, ValueRecord* arguments) {
    Args args(count, arguments);
    std::string_view text = args.Text(0);
    int32_t n = args.Int(1);
    if (n <= 0) return;
    SetText(result, text.substr(0, static_cast<size_t>(n)));
}

void RightText(ValueRecord* result, int32_t count, ValueRecord* arguments) {
    Args args(count, arguments);
    std::string_view text = args.Text(0);
    int32_t n = args.Int(1);
    if (n <= 0) return;
    size_t take = static_cast<size_t>(n) < text.size() ? static_cast<size_t>(n) : text.size();
    SetText(result, text.substr(text.size() - take));
}

void MidText(ValueRecord* result, int32_t count, ValueRecord* arguments) {
    Args args(count, arguments);
    std::string_view text = args.Text(0);
    int64_t position = args.Int(1);
    int32_t n = args.Int(2);
    if (position < 1 || position > static_cast<int64_t>(text.size()) || n <= 0) return;
    SetText(result, text.substr(static_cast<size_t>(position - 1), static_cast<size_t>(n)));
}

void CharFromCode(ValueRecord* result, int32_t count, ValueRecord* arguments) {
    char code = static_cast<char>(Args(count, arguments)[0].low & 0xFF);
    if (code != 0) SetText(result, std::string_view(&code, 1));
}

void BlankText(ValueRecord* result, int32_t count, ValueRecord* arguments) {
    int32_t n = Args(count, arguments).Int(0);
    if (n < 1) return;
    auto* block = static_cast<char*>(AllocResult(static_cast<uint32_t>(n) + 1));
    std::memset(block, ' ', static_cast<size_t>(n));
    block[n] = '\0';
    result->low = reinterpret_cast<uint32_t>(block);
}

}  // namespace velmora::commands
