// The program's general HTTP client, reached through WinINet DLL commands.
#pragma once
#include "web/fetch_failure.h"
#include "web/url_routines.h"

namespace velmora::web {

// How a visit went, for a caller that says why a page could not be read.
struct VisitOutcome {
    int32_t status = 0;                // the final answer's HTTP status, 0 when none came
    int32_t failure = FetchCannotConnect;  // web::FetchFailure
    Text address;                      // the address the body came from, after redirects
};

// One request; the reference parameters are the caller's variables and
// several are written back. An omitted one is a fresh variable that is
// discarded. Returns the body, converted to code page 936 when it declares
// UTF-8; the empty byte set when the request could not be made. Unless
// noRedirect is true, redirects are followed here (at most
// MaximumRedirects); a body that drips (fewer than 1024 bytes in a time-out)
// or grows past MaximumPageBytes ends the visit.
Bytes VisitWebPage(Text& url, Optional<int32_t> method = {}, Optional<Text*> postText = {},
                   Optional<Text*> sendCookies = {}, Optional<Text*> receivedCookies = {},
                   Optional<Text*> extraHeaders = {}, Optional<Text*> redirectUrl = {},
                   Optional<bool> noRedirect = {}, Optional<Bytes*> postBytes = {}, Optional<Text*> proxy = {},
                   Optional<Text*> responseHeaders = {}, Optional<VisitOutcome*> outcome = {});

// The most a page may be: a body that grows past it is no page.
constexpr int32_t MaximumPageBytes = 64 * 1024 * 1024;

// The body of a GET of the URL as text (up to its first zero byte).
Text GetPageText(const char* url);
// The same, with how the visit went.
Text GetPageText(const char* url, VisitOutcome& outcome);

// Whether a page declares UTF-8: a byte-order mark, "charset" in the
// Content-Type header, or within the page's first 1024 bytes (as a browser
// reads it: any case, quoted or not, "utf-8" or "utf8").
bool DeclaresUtf8(const Bytes& body, const char* responseHeaders);

// How long WinINet waits to connect, send and receive, in milliseconds.
uint32_t NetworkTimeoutMilliseconds();

}  // namespace velmora::web
