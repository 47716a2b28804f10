// UTF-8 to UTF-16 and to code page 936, through the conversion DLL commands.
#include <cctype>
#include <cstring>
#include <string>
#include <string_view>
#include "runtime/platform_text.h"
#include "web/url_routines.h"
#include "web/visit_web_page.h"
#include "web/wininet_commands.h"

namespace velmora::web {

using namespace routine;
using program::DllMultiByteToWideChar;
using program::DllWideCharToMultiByte;
using program::DllWideCharToMultiByteMeasure;

namespace {
constexpr uint32_t CodePageUtf8 = 65001;
}  // namespace

Bytes Utf8ToUtf16(const Bytes& utf8) {
    int32_t n = ByteSetLength(utf8);
    uint32_t dummy = 0;  // non-null: the first call only measures
    auto units = static_cast<int32_t>(CallDll(DllMultiByteToWideChar, CodePageUtf8, 0, Word(utf8), n, AddressOf(&dummy), 0));
    Bytes buffer = BlankByteSet(2 * units);
    CallDll(DllMultiByteToWideChar, CodePageUtf8, 0, Word(utf8), n, Word(buffer), units);
    return LeftBytes(buffer, ByteSetLength(buffer));
}

Bytes Utf8ToGbk(const Bytes& utf8) {
    std::string text;
    {
        Bytes wide = Utf8ToUtf16(utf8);
        auto* units = reinterpret_cast<wchar_t*>(const_cast<uint8_t*>(wide.Data()));
        size_t count = wide.Length() / 2;
        // Bytes that were no UTF-8 read as "?", as they always have; any
        // character the code page lacks keeps its four-byte form, so a name
        // shows whole and an address goes back to the server as it was.
        for (size_t i = 0; i < count; ++i)
            if (units[i] == 0xFFFD) units[i] = L'?';
        text = TextFromWide(std::wstring_view(units, count));
    }
    Bytes out = BlankByteSet(static_cast<int32_t>(text.size()));
    if (!text.empty()) std::memcpy(const_cast<uint8_t*>(out.Data()), text.data(), text.size());
    return out;
}

}  // namespace velmora::web

namespace velmora::web {
namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

size_t FindNoCase(std::string_view text, std::string_view sought, size_t from = 0) {
    for (size_t at = from; at + sought.size() <= text.size(); ++at) {
        size_t i = 0;
        while (i < sought.size() && Lower(text[at + i]) == sought[i]) ++i;
        if (i == sought.size()) return at;
    }
    return std::string_view::npos;
}

// After "charset": blanks, "=", blanks, an optional quote, the name. Empty when it is no declaration.
std::string_view CharsetValue(std::string_view text, size_t after) {
    auto skipBlanks = [&] {
        while (after < text.size() && (text[after] == ' ' || text[after] == '\t')) ++after;
    };
    skipBlanks();
    if (after >= text.size() || text[after] != '=') return {};
    ++after;
    skipBlanks();
    if (after < text.size() && (text[after] == '"' || text[after] == '\'')) ++after;
    size_t end = after;
    while (end < text.size() && (std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == '-' ||
                                 text[end] == '_'))
        ++end;
    return text.substr(after, end - after);
}

bool IsUtf8Name(std::string_view name) {
    std::string lowered;
    for (char c : name) lowered += Lower(c);
    return lowered == "utf-8" || lowered == "utf8";
}

// The first charset declared in the text, or empty.
std::string_view FirstCharset(std::string_view text) {
    for (size_t at = FindNoCase(text, "charset"); at != std::string_view::npos;
         at = FindNoCase(text, "charset", at + 7)) {
        std::string_view value = CharsetValue(text, at + 7);
        if (!value.empty()) return value;
    }
    return {};
}

}  // namespace

bool DeclaresUtf8(const Bytes& body, const char* responseHeaders) {
    std::string_view bytes(reinterpret_cast<const char*>(body.Data()), body.Length());
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return true;
    // The Content-Type header decides when it names a charset, as in a browser.
    std::string_view headers(responseHeaders ? responseHeaders : "");
    for (size_t at = FindNoCase(headers, "\ncontent-type:"); at != std::string_view::npos;
         at = FindNoCase(headers, "\ncontent-type:", at + 1)) {
        std::string_view line = headers.substr(at + 14, headers.find('\n', at + 14) - (at + 14));
        std::string_view value = FirstCharset(line);
        if (!value.empty()) return IsUtf8Name(value);
    }
    std::string_view value = FirstCharset(bytes.substr(0, 1024));
    return !value.empty() && IsUtf8Name(value);
}

Bytes WithoutByteOrderMark(const Bytes& body) {
    if (body.Length() < 3 || std::memcmp(body.Data(), "\xEF\xBB\xBF", 3) != 0) return LeftBytes(body, body.Length());
    Bytes rest = BlankByteSet(static_cast<int32_t>(body.Length() - 3));
    std::memcpy(const_cast<uint8_t*>(rest.Data()), body.Data() + 3, body.Length() - 3);
    return rest;
}

Text GbkToUtf8(const char* text) {
    Bytes wide = ToWideText(text);
    int32_t units = ByteSetLength(wide) / 2 - 1;  // without its terminating NUL
    if (units <= 0) return Text();
    auto need = static_cast<int32_t>(
        CallDll(DllWideCharToMultiByteMeasure, CodePageUtf8, 0, Word(wide), units, 0, 0, 0, 0));
    Bytes out = BlankByteSet(need);
    CallDll(DllWideCharToMultiByte, CodePageUtf8, 0, Word(wide), units, Word(out), need, 0, 0);
    return ToText(out);
}

}  // namespace velmora::web
