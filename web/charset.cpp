// UTF-8 to UTF-16 and to code page 936, through the conversion DLL commands.
#include "web/url_routines.h"
#include "web/wininet_commands.h"

namespace velmora::web {

using namespace routine;
using program::DllMultiByteToWideChar;
using program::DllWideCharToMultiByte;
using program::DllWideCharToMultiByteMeasure;

constexpr uint32_t CodePageUtf8 = 65001;
constexpr uint32_t CodePageGbk = 936;
constexpr uint32_t CompositeCheck = 0x200;

Bytes Utf8ToUtf16(const Bytes& utf8) {
    int32_t n = ByteSetLength(utf8);
    uint32_t dummy = 0;  // non-null: the first call only measures
    auto units = static_cast<int32_t>(CallDll(DllMultiByteToWideChar, CodePageUtf8, 0, Word(utf8), n, AddressOf(&dummy), 0));
    Bytes buffer = BlankByteSet(2 * units);
    CallDll(DllMultiByteToWideChar, CodePageUtf8, 0, Word(utf8), n, Word(buffer), units);
    return LeftBytes(buffer, ByteSetLength(buffer));
}

Bytes Utf8ToGbk(const Bytes& utf8) {
    Bytes wide = Utf8ToUtf16(utf8);
    int32_t units = ByteSetLength(wide) / 2;
    auto need = static_cast<int32_t>(
        CallDll(DllWideCharToMultiByteMeasure, CodePageGbk, CompositeCheck, Word(wide), units, 0, 0, 0, 0));
    Bytes out = BlankByteSet(need);
    CallDll(DllWideCharToMultiByte, CodePageGbk, CompositeCheck, Word(wide), units, Word(out), need, 0, 0);
    return LeftBytes(out, ByteSetLength(out));
}

}  // namespace velmora::web
