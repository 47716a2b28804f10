// SplitText: cuts a text at a delimiter into a new text array.
#include <vector>
#include "commands/command_args.h"
#include "commands/core_commands.h"

namespace velmora::commands {
namespace {

char* NewText(std::string_view part) {
    if (part.empty()) return nullptr;
    auto* block = static_cast<char*>(AllocResult(static_cast<uint32_t>(part.size()) + 1));
    std::memcpy(block, part.data(), part.size());
    block[part.size()] = '\0';
    return block;
}

void SetTextArray(ValueRecord* result, const std::vector<char*>& elements) {
    auto count = static_cast<uint32_t>(elements.size());
    auto* block = static_cast<uint32_t*>(AllocResult(8 + 4 * count));
    block[0] = 1;
    block[1] = count;
    if (count) std::memcpy(block + 2, elements.data(), 4 * count);
    result->low = reinterpret_cast<uint32_t>(block);
}

}  // namespace

void SplitText(ValueRecord* result, int32_t count, ValueRecord* arguments) {
    Args args(count, arguments);
    std::string_view text = args.Text(0);
    std::string_view delimiter = args.Given(1) ? args.Text(1) : std::string_view(",");
    bool limited = args.Given(2);
    int64_t maximum = limited ? args.Int(2) : 0;
    if (maximum < 0) maximum = 0;

    std::vector<char*> elements;
    if (text.empty() || (limited && maximum == 0)) return SetTextArray(result, elements);
    if (delimiter.empty()) {
        elements.push_back(NewText(text));
        return SetTextArray(result, elements);
    }

    const char* data = text.data();
    const size_t length = text.size();
    const size_t delimiterLength = delimiter.size();
    const char first = delimiter[0];
    const uint32_t spread = SpreadByte(first);
    size_t partStart = 0;
    size_t i = 0;
    bool full = false;
    while (length - i >= delimiterLength) {
        if (length - i >= delimiterLength + 3 && FourPlainBytesWithout(data + i, spread)) {
            i += 4;
            continue;
        }
        if (data[i] == first && std::memcmp(data + i, delimiter.data(), delimiterLength) == 0) {
            elements.push_back(NewText(text.substr(partStart, i - partStart)));
            i += delimiterLength;
            partStart = i;
            if (limited && static_cast<int64_t>(elements.size()) == maximum) {
                full = true;
                break;
            }
            continue;
        }
        if (IsLeadByte(data[i])) {
            if (i + 1 >= length) break;  // a lone lead byte ends the walk
            i += 2;
        } else {
            i += 1;
        }
    }
    if (!full && partStart < length) elements.push_back(NewText(text.substr(partStart)));
    SetTextArray(result, elements);
}

}  // namespace velmora::commands
