// Small routines over the core commands: cutting between markers, header
// values, URL parts, cookies and the UTF-8 to code page 936 conversion.
#pragma once
#include "commands/core_calls.h"

namespace velmora::web {

using routine::Bytes;
using routine::Optional;
using routine::Text;
using routine::TextArray;

// The text between the left and the right marker; "#引号" in a marker stands
// for a double quote. Case is ignored unless caseSensitive is true.
Text ExtractBetween(const char* text, const char* left, const char* right, Optional<int32_t> start = {},
                    Optional<bool> caseSensitive = {});
// The trimmed text after the first colon of a header line.
Text HeaderLineValue(const char* line);
// The lower-case host of a URL ("http://" may be omitted).
Text UrlHost(const char* url, Optional<bool> rootDomainOnly = {}, Optional<bool> keepPort = {});
int32_t UrlPort(const char* url);
// The path with its query, or "/".
Text UrlPath(const char* url);

// Puts the received cookies first, keeps old ones they do not replace, drops
// deletions and duplicates; rewrites both variables.
Text MergeCookies(Text& cookies, Text& receivedCookies);
Text CookieName(const char* entry);
bool HasCookieNamed(const TextArray& entries, const char* name);
Text RemoveDuplicateEntries(const char* text, const char* delimiter);
bool ArrayContainsText(const TextArray& entries, const char* text);

Bytes Utf8ToUtf16(const Bytes& utf8);
Bytes Utf8ToGbk(const Bytes& utf8);
// The body without a UTF-8 byte-order mark at its start.
Bytes WithoutByteOrderMark(const Bytes& body);
// A program text (code page 936, and whatever the four-byte form carries) as UTF-8.
Text GbkToUtf8(const char* text);

// Equal texts, the null text being the empty one.
bool SameText(const char* a, const char* b);

}  // namespace velmora::web
