// The internet library's HTTP file fetch, shared by every download worker.
#pragma once
#include <cstdint>
#include "runtime/value.h"

namespace velmora {

namespace web {
// HttpReadFile (url): the body of a plain GET as a byte set, whatever the
// status; the empty byte set when nothing could be fetched.
void HttpReadFile(ValueRecord* result, int32_t count, ValueRecord* arguments);
// The read size the last fetch used (for tests of chunk sizing).
uint32_t LastChunkSize();
}  // namespace web

enum InternetCommandNumber : int32_t { CmdHttpReadFile = 0 };
Command InternetCommand(InternetCommandNumber number);

}  // namespace velmora
