#include "runtime/platform_text.h"
#include <windows.h>
#include <atomic>

namespace velmora {
namespace {

constexpr UINT Gbk = 936;

// The four-byte form: b0 0x81-0xFE, b1 '0'-'9', b2 0x81-0xFE, b3 '0'-'9',
// counted as one number in that order.
constexpr uint32_t BmpBase = 39420;          // past GB18030's own BMP codes (81308130-8431A439)
constexpr uint32_t SupplementaryBase = 189000;  // GB18030's 90308130 is U+10000

bool IsLead(uint8_t byte) { return byte >= 0x81 && byte <= 0xFE; }
bool IsDigit(uint8_t byte) { return byte >= '0' && byte <= '9'; }

bool FourByteAt(std::string_view text, size_t at) {
    return at + 3 < text.size() && IsLead(static_cast<uint8_t>(text[at])) && IsDigit(static_cast<uint8_t>(text[at + 1])) &&
           IsLead(static_cast<uint8_t>(text[at + 2])) && IsDigit(static_cast<uint8_t>(text[at + 3]));
}

uint32_t FourByteNumber(std::string_view text, size_t at) {
    auto byte = [&](size_t i) { return static_cast<uint32_t>(static_cast<uint8_t>(text[at + i])); };
    return (((byte(0) - 0x81) * 10 + (byte(1) - '0')) * 126 + (byte(2) - 0x81)) * 10 + (byte(3) - '0');
}

void AppendFourByte(std::string& out, uint32_t number) {
    char bytes[4];
    bytes[3] = static_cast<char>('0' + number % 10), number /= 10;
    bytes[2] = static_cast<char>(0x81 + number % 126), number /= 126;
    bytes[1] = static_cast<char>('0' + number % 10), number /= 10;
    bytes[0] = static_cast<char>(0x81 + number);
    out.append(bytes, 4);
}

// The code page's bytes for the UTF-16 units, or false when it lacks one.
bool AppendWideAsGbk(std::string& out, std::wstring_view text) {
    if (text.empty()) return true;
    BOOL lacking = FALSE;
    int length = WideCharToMultiByte(Gbk, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                     nullptr, &lacking);
    if (lacking || length <= 0) return false;
    size_t at = out.size();
    out.resize(at + static_cast<size_t>(length));
    WideCharToMultiByte(Gbk, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()), out.data() + at, length,
                        nullptr, nullptr);
    return true;
}

bool IsHighSurrogate(wchar_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(wchar_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }


// Walks a program text: runs the code page reads go to `run` whole, the
// four-byte codes that are ours to `unit` as UTF-16 units.
template <class Run, class Unit>
void ReadText(std::string_view text, Run&& run, Unit&& unit) {
    size_t plain = 0, at = 0;
    while (at < text.size()) {
        auto byte = static_cast<uint8_t>(text[at]);
        if (IsLead(byte) && FourByteAt(text, at)) {
            uint32_t number = FourByteNumber(text, at);
            bool beyond = number >= SupplementaryBase && number - SupplementaryBase <= 0xFFFFF;
            bool inBmp = number >= BmpBase && number - BmpBase <= 0xFFFF;
            // GB18030's own BMP codes are not ours: the code page reads them as it always has.
            if (beyond || inBmp) {
                run(text.substr(plain, at - plain));
                if (beyond) {
                    uint32_t offset = number - SupplementaryBase;
                    unit(static_cast<wchar_t>(0xD800 + (offset >> 10)));
                    unit(static_cast<wchar_t>(0xDC00 + (offset & 0x3FF)));
                } else {
                    unit(static_cast<wchar_t>(number - BmpBase));
                }
                at = plain = at + 4;
                continue;
            }
        }
        at += IsLead(byte) && at + 1 < text.size() ? 2 : 1;
    }
    run(text.substr(plain));
}

}  // namespace

std::wstring WideFromText(std::string_view text) {
    std::wstring out;
    ReadText(
        text,
        [&](std::string_view run) {
            if (run.empty()) return;
            int length = MultiByteToWideChar(Gbk, 0, run.data(), static_cast<int>(run.size()), nullptr, 0);
            size_t at = out.size();
            out.resize(at + static_cast<size_t>(length));
            MultiByteToWideChar(Gbk, 0, run.data(), static_cast<int>(run.size()), out.data() + at, length);
        },
        [&](wchar_t unit) { out += unit; });
    return out;
}

size_t WideFromTextInto(std::string_view text, wchar_t* out, size_t room) {
    if (room == 0) return 0;
    size_t used = 0;
    bool full = true;  // everything so far was written
    ReadText(
        text,
        [&](std::string_view run) {
            // A run longer than the room is cut at a character, and nothing after it is written.
            if (!full || run.empty()) return;
            for (std::string_view part = run; !part.empty() && used + 1 < room;) {
                int length = MultiByteToWideChar(Gbk, 0, part.data(), static_cast<int>(part.size()), out + used,
                                                 static_cast<int>(room - 1 - used));
                if (length > 0) {
                    used += static_cast<size_t>(length);
                    if (part.size() == run.size()) return;
                    break;
                }
                size_t last = 0;  // the start of the part's last character
                for (size_t at = 0; at < part.size(); at += IsLead(static_cast<uint8_t>(part[at])) ? 2 : 1) last = at;
                part = part.substr(0, last);
            }
            full = false;
        },
        [&](wchar_t unit) {
            if (full && used + 1 < room)
                out[used++] = unit;
            else
                full = false;
        });
    out[used] = L'\0';
    return used;
}

namespace {

// Each UTF-16 unit's bytes in the code page, learnt on first sight: a text
// with one character the code page lacks (a web page of 50 MB with one emoji)
// is then converted at table speed, not with one platform call per unit.
// 0: not yet known; Lacking: the code page has no such character; a byte b
// is 0x200 + b; two bytes are lead << 8 | trail (at least 0x8140).
constexpr uint16_t Lacking = 1;
std::atomic<uint16_t> gbkOfUnit[0x10000];

uint16_t GbkOfUnit(wchar_t unit) {
    uint16_t known = gbkOfUnit[unit].load(std::memory_order_relaxed);
    if (known) return known;
    std::string bytes;
    if (!AppendWideAsGbk(bytes, std::wstring_view(&unit, 1)) || bytes.empty() || bytes.size() > 2)
        known = Lacking;
    else if (bytes.size() == 1)
        known = static_cast<uint16_t>(0x200 + static_cast<uint8_t>(bytes[0]));
    else
        known = static_cast<uint16_t>(static_cast<uint8_t>(bytes[0]) << 8 | static_cast<uint8_t>(bytes[1]));
    gbkOfUnit[unit].store(known, std::memory_order_relaxed);
    return known;
}

}  // namespace

std::string TextFromWide(std::wstring_view text) {
    std::string out;
    if (AppendWideAsGbk(out, text)) return out;
    // Some character is missing from the code page: unit by unit.
    out.clear();
    out.reserve(text.size() * 2);
    for (size_t at = 0; at < text.size();) {
        if (IsHighSurrogate(text[at]) && at + 1 < text.size() && IsLowSurrogate(text[at + 1])) {
            uint32_t beyond = ((static_cast<uint32_t>(text[at]) - 0xD800) << 10) | (static_cast<uint32_t>(text[at + 1]) - 0xDC00);
            AppendFourByte(out, SupplementaryBase + beyond);
            at += 2;
            continue;
        }
        uint16_t bytes = GbkOfUnit(text[at]);
        if (bytes == Lacking) {
            AppendFourByte(out, BmpBase + static_cast<uint32_t>(text[at]));
        } else if (bytes < 0x300) {
            out += static_cast<char>(bytes - 0x200);
        } else {
            out += static_cast<char>(bytes >> 8);
            out += static_cast<char>(bytes & 0xFF);
        }
        at += 1;
    }
    return out;
}

}  // namespace velmora
