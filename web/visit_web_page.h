// The program's general HTTP client, reached through WinINet DLL commands.
#pragma once
#include "web/url_routines.h"

namespace velmora::web {

// One request; the reference parameters are the caller's variables and
// several are written back. An omitted one is a fresh variable that is
// discarded. Returns the body, converted to code page 936 when it declares
// UTF-8; the empty byte set when the request could not be made.
Bytes VisitWebPage(Text& url, Optional<int32_t> method = {}, Optional<Text*> postText = {},
                   Optional<Text*> sendCookies = {}, Optional<Text*> receivedCookies = {},
                   Optional<Text*> extraHeaders = {}, Optional<Text*> redirectUrl = {},
                   Optional<bool> noRedirect = {}, Optional<Bytes*> postBytes = {}, Optional<Text*> proxy = {},
                   Optional<Text*> responseHeaders = {});

// The body of a GET of the URL as text (up to its first zero byte).
Text GetPageText(const char* url);

// How long WinINet waits to connect, send and receive, in milliseconds.
uint32_t NetworkTimeoutMilliseconds();

}  // namespace velmora::web
