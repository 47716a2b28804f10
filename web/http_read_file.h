// The internet library's HTTP file fetch, shared by every download worker.
#pragma once
#include <cstdint>
#include "runtime/value.h"

namespace velmora {

namespace web {
// HttpReadFile (url, [status variable], [complete variable]): the body of a
// plain GET as a byte set, whatever the status; the empty byte set when
// nothing could be fetched. Callers that pass the optional variables learn
// the HTTP status (0 when none arrived) and whether the whole body arrived
// (the read ended cleanly and matched a Content-Length when one was sent).
void HttpReadFile(ValueRecord* result, int32_t count, ValueRecord* arguments);
// The read size the last fetch used (for tests of chunk sizing).
uint32_t LastChunkSize();
}  // namespace web

enum InternetCommandNumber : int32_t { CmdHttpReadFile = 0, CmdHttpSaveFile = 1 };
Command InternetCommand(InternetCommandNumber number);

}  // namespace velmora
