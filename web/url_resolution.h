// Addresses as a browser reads them: a reference (a redirect's Location, a
// page's href) resolved against the address it came from, and sent with
// every byte a URL may not hold percent-encoded. Plain strings, no runtime:
// the internet library and the program's routines both use them.
#pragma once
#include <string>
#include <string_view>

namespace velmora::web {

// The reference resolved against an absolute http(s) base: absolute
// ("https://h/p"), protocol-relative ("//h/p"), absolute path ("/p"),
// relative path ("p", "../p"), query ("?q") or empty; dot segments removed,
// the fragment dropped. Empty when the base is no http(s) address.
std::string ResolveUrl(std::string_view base, std::string_view reference);

// Percent-encodes what a URL cannot carry as it is: bytes beyond ASCII (the
// caller passes text already in UTF-8), blanks and control bytes; an escape
// already there ("%" and two hex digits) stays as it is, a lone "%" is %25.
std::string EncodeUrl(std::string_view url);

// Character references of an attribute value decoded as a browser decodes
// them: &amp; &lt; &gt; &quot; &apos; &#NNN; &#xHH; (as UTF-8); others stay.
std::string DecodeCharacterReferences(std::string_view text);

}  // namespace velmora::web
