// FindText and FindTextReverse: one left-to-right walk over character starts.
#include "commands/command_args.h"
#include "commands/core_commands.h"

namespace velmora::commands {
namespace {

bool MatchesFolded(const char* at, std::string_view sought) {
    for (size_t k = 0; k < sought.size(); ++k)
        if (FoldAscii(at[k]) != FoldAscii(sought[k])) return false;
    return true;
}

// Searches text[begin, end) for sought; forward returns the first match,
// backward the last one a left-to-right walk meets. Positions are 1-based.
int32_t Search(std::string_view text, std::string_view sought, size_t begin, size_t end, bool ignoreCase,
               bool forward) {
    if (sought.empty()) return begin < end ? 1 : -1;
    const size_t length = sought.size();
    const char* data = text.data();
    const char first = sought[0];
    const char foldedFirst = FoldAscii(first);
    // Four single-byte characters none of which can start a match are
    // skipped at once; every other position is walked character by character.
    const uint32_t lower = SpreadByte(ignoreCase ? foldedFirst : first);
    const uint32_t upper = ignoreCase && foldedFirst >= 'a' && foldedFirst <= 'z' ? SpreadByte(foldedFirst - 0x20) : lower;
    int32_t found = -1;
    size_t i = begin;
    while (i < end && end - i >= length) {
        if (end - i >= length + 3) {
            uint32_t word;
            std::memcpy(&word, data + i, 4);
            if (!(word & 0x80808080u) && !HasZeroByte(word ^ lower) && !HasZeroByte(word ^ upper)) {
                i += 4;
                continue;
            }
        }
        bool match = ignoreCase ? (FoldAscii(data[i]) == foldedFirst && MatchesFolded(data + i, sought))
                                : (data[i] == first && std::memcmp(data + i, sought.data(), length) == 0);
        if (match) {
            found = static_cast<int32_t>(i + 1);
            if (forward) return found;
        }
        if (IsLeadByte(data[i])) {
            if (i + 1 >= text.size()) break;  // a lone lead byte ends the walk
            i += 2;
        } else {
            i += 1;
        }
    }
    return found;
}

}  // namespace

void FindText(ValueRecord* result, int32_t count, ValueRecord* arguments) {
    Args args(count, arguments);
    std::string_view text = args.Text(0);
    size_t begin = 0;
    if (args.Given(2)) {
        int64_t start = args.Int(2);
        if (start - 1 >= static_cast<int64_t>(text.size())) return SetInt(result, -1);
        if (start > 1) begin = static_cast<size_t>(start - 1);
    }
    bool ignoreCase = args[3].low == 1;
    SetInt(result, Search(text, args.Text(1), begin, text.size(), ignoreCase, true));
}

void FindTextReverse(ValueRecord* result, int32_t count, ValueRecord* arguments) {
    Args args(count, arguments);
    std::string_view text = args.Text(0);
    size_t end = text.size();
    if (args.Given(2)) {
        int64_t start = args.Int(2);
        if (start <= 1) return SetInt(result, -1);
        if (static_cast<uint64_t>(start - 1) < end) end = static_cast<size_t>(start - 1);
    }
    bool ignoreCase = args[3].low == 1;
    SetInt(result, Search(text, args.Text(1), 0, end, ignoreCase, false));
}

}  // namespace velmora::commands
