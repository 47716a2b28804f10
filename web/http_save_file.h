// The internet library's streaming fetch: the body goes to a file as it
// arrives, so a picture of any size costs one read buffer, not its size.
#pragma once
#include <cstdint>
#include "runtime/value.h"

namespace velmora::web {

// HttpSaveFile (url, file handle, [size limit], [status variable],
// [complete variable], [first bytes variable]): a plain GET whose body is
// written to the open file handle (the caller's: it creates and closes it).
// Answers the number of body bytes written. An answer that announces more
// than the size limit (0 or omitted: 2^31 - 1 bytes) is not read at all; a
// body that passes it stops there. The status variable gets the HTTP status (0 when
// none arrived); the complete variable whether the whole body arrived and
// was written (a clean end, a matching Content-Length when one was sent, not
// chunked, within the limit, every write done); the first bytes variable (a
// byte set) the body's first bytes, at most FirstBytesKept, so a caller can
// tell what arrived without reading the file back.
void HttpSaveFile(ValueRecord* result, int32_t count, ValueRecord* arguments);

constexpr uint32_t FirstBytesKept = 1024;

}  // namespace velmora::web
