// Typed calls of the internet library's commands for the program's routines.
#pragma once
#include "runtime/facade.h"
#include "web/http_read_file.h"
#include "web/http_save_file.h"

namespace velmora::routine {

constexpr int32_t InternetLibraryNumber = 2;

// What a fetch reports besides its body.
struct FetchOutcome {
    int32_t status = 0;       // the HTTP status, 0 when none arrived
    int32_t ending = 0;       // how the body ended (web::FetchEnding)
    int32_t failure = 0;      // why it failed (web::FetchFailure)
    int32_t systemError = 0;  // for a write that failed, the platform's error code
    int32_t retryAfter = -1;  // the seconds the answer's Retry-After asks for, -1 for none
    Text address;             // the address that answered, after redirects
};

// Streams the body into the open file; answers the bytes written.
inline int32_t HttpSaveFile(const char* url, int32_t file, int32_t sizeLimit, FetchOutcome& outcome,
                            Bytes& firstBytes, Bytes& lastBytes) {
    auto variable = [](int32_t& integer) { return ValueRecord{reinterpret_cast<uint32_t>(&integer), 0, Type::Integer}; };
    ValueRecord first{reinterpret_cast<uint32_t>(firstBytes.Address()), 0, Type::ByteSet};
    ValueRecord last{reinterpret_cast<uint32_t>(lastBytes.Address()), 0, Type::ByteSet};
    return static_cast<int32_t>(Library(InternetCommand(CmdHttpSaveFile), InternetLibraryNumber, TextArg(url),
                                        IntArg(file), IntArg(sizeLimit), variable(outcome.status),
                                        variable(outcome.ending), first, variable(outcome.failure),
                                        variable(outcome.systemError), last, variable(outcome.retryAfter),
                                        ValueRecord{reinterpret_cast<uint32_t>(outcome.address.Address()), 0, Type::Text})
                                    .low);
}

}  // namespace velmora::routine
