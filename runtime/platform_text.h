// Where texts cross to the platform. Inside the runtime and the program every
// text is code page 936 bytes; the platform is called through its wide
// functions, whatever the system's code page, with texts converted here and
// nowhere else.
//
// Code page 936 cannot write every character the platform may hand us (a user
// folder "Zoë" or "Łukasz", an emoji in a file name), so such characters take
// the four-byte form that GB18030 adds to GBK: a lead byte, a digit, a lead
// byte, a digit. Characters beyond the BMP are GB18030's own four-byte codes;
// a BMP character that 936 lacks (a lone surrogate too) takes a code from a
// range GB18030 leaves unassigned, so nothing else can read it as a different
// character. A digit never follows a lead byte in a 936 text, so every 936
// text reads exactly as 936 reads it, and every platform text survives the
// round trip, byte for byte on a 936 system.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace velmora {

// A program text as the platform's wide functions take it.
std::wstring WideFromText(std::string_view text);
inline std::wstring WideFromText(const char* text) { return WideFromText(std::string_view(text ? text : "")); }
// The same into a caller's buffer, without allocating (for the reports of a
// program out of memory): `room` of at least the text's length + 1 holds it
// all. Answers the UTF-16 units written before the terminating NUL.
size_t WideFromTextInto(std::string_view text, wchar_t* out, size_t room);
// A platform text as the program holds it.
std::string TextFromWide(std::wstring_view text);
inline std::string TextFromWide(const wchar_t* text) { return TextFromWide(std::wstring_view(text ? text : L"")); }

}  // namespace velmora
