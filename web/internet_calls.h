// Typed calls of the internet library's commands for the program's routines.
#pragma once
#include "runtime/facade.h"
#include "web/http_read_file.h"

namespace velmora::routine {

constexpr int32_t InternetLibraryNumber = 2;

// What a fetch reports besides its body.
struct FetchOutcome {
    int32_t status = 0;    // the HTTP status, 0 when none arrived
    int32_t complete = 0;  // the whole body arrived and was written
};

// Streams the body into the open file; answers the bytes written.
inline int32_t HttpSaveFile(const char* url, int32_t file, int32_t sizeLimit, FetchOutcome& outcome,
                            Bytes& firstBytes) {
    ValueRecord status{reinterpret_cast<uint32_t>(&outcome.status), 0, Type::Integer};
    ValueRecord complete{reinterpret_cast<uint32_t>(&outcome.complete), 0, Type::Integer};
    ValueRecord first{reinterpret_cast<uint32_t>(firstBytes.Address()), 0, Type::ByteSet};
    return static_cast<int32_t>(Library(InternetCommand(CmdHttpSaveFile), InternetLibraryNumber, TextArg(url),
                                        IntArg(file), IntArg(sizeLimit), status, complete, first)
                                    .low);
}

}  // namespace velmora::routine
