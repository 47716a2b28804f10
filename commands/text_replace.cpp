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
    const char* data = text.data();
    const char first = sought[0];
    const char foldedFirst = FoldAscii(first);
    const uint32_t spread = SpreadByte(first);
    size_t copied = 0;  // bytes before `copied` are in `out` already; runs are copied whole
    int32_t done = 0;
    while (length - i >= soughtLength) {
        if (caseSensitive && length - i >= soughtLength + 3 && FourPlainBytesWithout(data + i, spread)) {
            i += 4;
            continue;
        }
        bool match = caseSensitive
                         ? data[i] == first && std::memcmp(data + i, sought.data(), soughtLength) == 0
                         : FoldAscii(data[i]) == foldedFirst && [&] {
                               for (size_t k = 1; k < soughtLength; ++k)
                                   if (FoldAscii(data[i + k]) != FoldAscii(sought[k])) return false;
                               return true;
                           }();
        if (match) {
            out.append(data + copied, i - copied);
            out.append(replacement);
            i += soughtLength;
            copied = i;
            if (++done == limit) break;
            continue;
        }
        if (IsLeadByte(data[i])) {
            if (i + 1 >= length) {  // a lone lead byte is dropped and ends the walk
                out.append(data + copied, i - copied);
                copied = i = length;
                break;
            }
            i += 2;
        } else {
            i += 1;
        }
    }
    out.append(data + copied, length - copied);
    SetText(result, out);
}

}  // namespace velmora::commands
