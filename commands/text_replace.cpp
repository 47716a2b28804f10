// ReplaceSubtext: left to right, without overlap, built in one buffer.
#include <string>
#include "commands/command_args.h"
#include "commands/core_commands.h"

namespace velmora::commands {

void ReplaceSubtext(ValueRecord* result, int32_t count, ValueRecord* arguments) {
    Args args(count, arguments);
    std::string_view text = args.Text(0);
    std::string_view sought = args.Text(1);
    std::string_view replacement = args.Text(2);
    int64_t start = args.Int(3, 1);
    if (start < 1) start = 1;
    int32_t limit = args.Int(4, -1);  // negative: unlimited
    bool caseSensitive = args[5].low != 0;

    const size_t length = text.size();
    const size_t soughtLength = sought.size();
    if (length == 0 || soughtLength == 0 || static_cast<uint64_t>(start - 1) >= length || limit == 0)
        return SetText(result, text);

    std::string out;
    out.reserve(length + length / 8);
    size_t i = static_cast<size_t>(start - 1);
    out.append(text.data(), i);
    const char* data = text.data();
    const char first = sought[0];
    const char foldedFirst = FoldAscii(first);
    int32_t done = 0;
    while (length - i >= soughtLength) {
        bool match = caseSensitive
                         ? data[i] == first && std::memcmp(data + i, sought.data(), soughtLength) == 0
                         : FoldAscii(data[i]) == foldedFirst && [&] {
                               for (size_t k = 1; k < soughtLength; ++k)
                                   if (FoldAscii(data[i + k]) != FoldAscii(sought[k])) return false;
                               return true;
                           }();
        if (match) {
            out.append(replacement);
            i += soughtLength;
            if (++done == limit) break;
            continue;
        }
        if (IsLeadByte(data[i])) {
            if (i + 1 >= length) {  // a lone lead byte is dropped and ends the walk
                i = length;
                break;
            }
            out.append(data + i, 2);
            i += 2;
        } else {
            out.push_back(data[i]);
            i += 1;
        }
    }
    if (i < length) out.append(data + i, length - i);
    SetText(result, out);
}

}  // namespace velmora::commands
