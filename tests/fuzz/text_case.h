// How a fuzz input becomes a text-command case, the same under Wine and in
// the host build: the first byte chooses positions and sizes; the input up to
// its first zero byte is cut into a text, a sought text and a replacement at
// its first two 0x01 bytes.
#pragma once
#include <cstdint>
#include <string>

namespace velmora::fuzz {

struct TextCase {
    std::string text, sought, replacement;
    int32_t n = 0;
};

inline TextCase TextCaseOf(const std::string& input) {
    TextCase c;
    c.text = input.c_str();
    if (size_t cut = c.text.find('\x01'); cut != std::string::npos) {
        c.sought = c.text.substr(cut + 1);
        c.text.resize(cut);
        if (size_t again = c.sought.find('\x01'); again != std::string::npos) {
            c.replacement = c.sought.substr(again + 1);
            c.sought.resize(again);
        }
    }
    c.n = input.empty() ? 0 : static_cast<signed char>(input[0]) * 3;
    return c;
}

}  // namespace velmora::fuzz
