#include "app/picture_record.h"
#include <string>
#include <string_view>

namespace velmora::app {
namespace {

using routine::Text;

bool LeadByte(char byte) { return static_cast<unsigned char>(byte) >= 0x81 && static_cast<unsigned char>(byte) <= 0xFE; }

std::string Escaped(std::string_view text) {
    std::string out;
    for (size_t at = 0; at < text.size(); ++at) {
        char byte = text[at];
        if (LeadByte(byte) && at + 1 < text.size()) {
            out += byte;
            out += text[++at];
        } else if (byte == '|') {
            out += "%7C";
        } else if (byte == '%') {
            out += "%25";
        } else if (byte == 0x1A) {
            out += "%1A";
        } else {
            out += byte;
        }
    }
    return out;
}

std::string Unescaped(std::string_view text) {
    std::string out;
    for (size_t at = 0; at < text.size(); ++at) {
        if (LeadByte(text[at]) && at + 1 < text.size()) {
            out += text[at];
            out += text[++at];
            continue;
        }
        std::string_view code = text.substr(at, 3);
        if (code == "%7C" || code == "%25" || code == "%1A") {
            out += code == "%7C" ? '|' : code == "%25" ? '%' : '\x1A';
            at += 2;
        } else {
            out += text[at];
        }
    }
    return out;
}

}  // namespace

Text PictureRecord(const char* name, const char* link) {
    std::string record = Escaped(name ? name : "") + "|" + Escaped(link ? link : "");
    return routine::Join(record.c_str());
}

bool ReadPictureRecord(const char* record, Text& name, Text& link) {
    std::string_view text(record ? record : "");
    // The separator is the one single-byte "|": the escapes hold none, a double-byte character may.
    size_t separator = std::string_view::npos;
    for (size_t at = 0; at < text.size(); at += LeadByte(text[at]) && at + 1 < text.size() ? 2 : 1)
        if (text[at] == '|') {
            separator = at;
            break;
        }
    if (separator == std::string_view::npos) return false;
    name = routine::Join(Unescaped(text.substr(0, separator)).c_str());
    link = routine::Join(Unescaped(text.substr(separator + 1)).c_str());
    return true;
}

}  // namespace velmora::app
