// The internet library's streaming fetch: the body goes to a file as it
// arrives, so a picture of any size costs one read buffer, not its size.
#pragma once
#include <cstdint>
#include "runtime/value.h"
#include "web/fetch_failure.h"

namespace velmora::web {

// HttpSaveFile (url, file handle, [size limit], [status variable], [ending
// variable], [first bytes variable], [failure variable], [system error
// variable], [last bytes variable], [retry-after variable], [address
// variable]): a plain GET (redirects followed, at
// most MaximumRedirects) whose body is written to the open file handle (the
// caller's: it creates and closes it). Answers the number of body bytes
// written. An answer that announces more than the size limit (0 or omitted:
// 2^31 - 1 bytes) is not read at all; a body that passes it stops there.
//   status: the HTTP status (0 when none arrived);
//   ending: how the body ended (FetchEnding);
//   first bytes, last bytes (byte sets): at most FirstBytesKept and
//     LastBytesKept of the body's start and end, so a caller can tell what
//     arrived without reading the file back;
//   failure: why the fetch failed (FetchFailure), FetchFine when it did not;
//   system error: for FetchCannotWrite, the platform's error code;
//   retry-after: the seconds the answer's Retry-After asks for, -1 for none
//     (web/retry_after.h);
//   address (text): the address that answered, after redirects.
void HttpSaveFile(ValueRecord* result, int32_t count, ValueRecord* arguments);

constexpr uint32_t FirstBytesKept = 1024;
constexpr uint32_t LastBytesKept = 64;

enum FetchEnding : int32_t {
    FetchCut = 0,        // the body broke off, or did not end at its announced length
    FetchAtLength = 1,   // the body ended at the length the answer announced
    FetchUnframed = 2,   // it ended cleanly, but no length was announced (closed or chunked)
};

}  // namespace velmora::web
