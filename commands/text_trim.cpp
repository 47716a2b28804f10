// The trimming engine (TrimSpaces, RemoveAllSpaces) and ToLower. Spaces are
// the ASCII space and the full-width space 0xA1 0xA1.
#include <string>
#include "commands/command_args.h"
#include "commands/core_commands.h"

namespace velmora::commands {
namespace {

constexpr char FullWidthSpaceByte = static_cast<char>(0xA1);

bool IsFullWidthSpace(const char* at) { return at[0] == FullWidthSpaceByte && at[1] == FullWidthSpaceByte; }

// Both ends: skip leading spaces, then walk the rest remembering where the
// last run of spaces began; a lone lead byte at the end goes as well.
std::string_view TrimBoth(std::string_view text) {
    const char* data = text.data();
    const size_t length = text.size();
    size_t i = 0;
    while (i < length) {
        if (data[i] == ' ')
            i += 1;
        else if (i + 1 < length && IsFullWidthSpace(data + i))
            i += 2;
        else
            break;
    }
    const size_t begin = i;
    size_t runStart = length;
    bool inRun = false;
    size_t end = length;
    while (i < length) {
        if (IsLeadByte(data[i])) {
            if (i + 1 >= length) {
                end = i;
                break;
            }
            bool space = IsFullWidthSpace(data + i);
            if (space && !inRun) runStart = i;
            inRun = space;
            i += 2;
        } else {
            bool space = data[i] == ' ';
            if (space && !inRun) runStart = i;
            inRun = space;
            i += 1;
        }
    }
    if (inRun) end = runStart;
    return text.substr(begin, end - begin);
}

}  // namespace

void TrimSpaces(ValueRecord* result, int32_t count, ValueRecord* arguments) {
    SetText(result, TrimBoth(Args(count, arguments).Text(0)));
}

void RemoveAllSpaces(ValueRecord* result, int32_t count, ValueRecord* arguments) {
    std::string_view text = Args(count, arguments).Text(0);
    const char* data = text.data();
    const size_t length = text.size();
    std::string out;
    out.reserve(length);
    for (size_t i = 0; i < length;) {
        if (IsLeadByte(data[i])) {
            if (i + 1 >= length) break;  // a lone lead byte at the end is dropped
            if (!IsFullWidthSpace(data + i)) out.append(data + i, 2);
            i += 2;
        } else {
            if (data[i] != ' ') out.push_back(data[i]);
            i += 1;
        }
    }
    SetText(result, out);
}

void ToLower(ValueRecord* result, int32_t count, ValueRecord* arguments) {
    std::string_view text = Args(count, arguments).Text(0);
    if (text.empty()) return;
    auto* block = static_cast<char*>(AllocResult(static_cast<uint32_t>(text.size()) + 1));
    std::memcpy(block, text.data(), text.size() + 1);
    const size_t length = text.size();
    for (size_t i = 0; i < length;) {
        if (IsLeadByte(block[i])) {
            i += 2;  // both bytes stay; a lone lead byte is the last byte anyway
        } else {
            block[i] = FoldAscii(block[i]);
            i += 1;
        }
    }
    result->low = reinterpret_cast<uint32_t>(block);
}

}  // namespace velmora::commands
