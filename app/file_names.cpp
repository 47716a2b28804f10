// Picture names come from the web page: made safe before they become paths.
#include <string>
#include "app/downloader.h"

namespace velmora::app {

using namespace routine;

namespace {

bool Forbidden(unsigned char byte) {
    return byte < 0x20 || byte == '\\' || byte == '/' || byte == ':' || byte == '*' || byte == '?' || byte == '"' ||
           byte == '<' || byte == '>' || byte == '|';
}

// A GBK pair is kept whole only when it is one: a lead byte before an ASCII
// byte below 0x40 (such as "/" or "\\") would let that byte through as itself.
bool GbkLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }
bool GbkTrailByte(unsigned char byte) { return byte >= 0x40 && byte <= 0xFE && byte != 0x7F; }

bool ReservedDeviceName(const std::string& name) {
    std::string stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    for (char& c : stem)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 0x20);
    if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL" || stem == "CONIN$" || stem == "CONOUT$")
        return true;
    return stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) && stem[3] >= '0' &&
           stem[3] <= '9';
}

}  // namespace

Text SafeFileName(const char* name, Optional<int32_t> maximumBytes) {
    std::string safe;
    for (size_t i = 0; name && name[i];) {
        auto byte = static_cast<unsigned char>(name[i]);
        if (byte & 0x80) {
            // A double-byte character stays whole, even with trail byte 0x5C or 0x7C; a lone or
            // broken lead byte does not, and neither do 0x80 and 0xFF.
            if (GbkLeadByte(byte) && GbkTrailByte(static_cast<unsigned char>(name[i + 1]))) {
                safe.append(name + i, 2);
                i += 2;
            } else {
                safe.push_back('_');
                i += 1;
            }
            continue;
        }
        safe.push_back(Forbidden(byte) ? '_' : static_cast<char>(byte));
        i += 1;
    }
    if (maximumBytes.given && maximumBytes.value > 0 && safe.size() > static_cast<size_t>(maximumBytes.value)) {
        // Shortened at a character boundary, so no double-byte character is cut in two.
        size_t keep = 0;
        for (size_t i = 0; i < safe.size();) {
            size_t step = (static_cast<unsigned char>(safe[i]) & 0x80) && i + 1 < safe.size() ? 2 : 1;
            if (i + step > static_cast<size_t>(maximumBytes.value)) break;
            i += step;
            keep = i;
        }
        safe.resize(keep);
    }
    while (!safe.empty() && (safe.back() == '.' || safe.back() == ' ')) safe.pop_back();
    if (ReservedDeviceName(safe)) safe.insert(safe.begin(), '_');
    if (safe.empty()) safe.assign(1, '_');
    return Join(safe.c_str());
}

}  // namespace velmora::app
