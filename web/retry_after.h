// A server's Retry-After: how long it asks a client to wait before asking again.
#pragma once
#include <cstdint>
#include <string_view>

namespace velmora::web {

// The longest wait a server may impose on one retry; longer ones are cut to it.
constexpr int32_t LongestRetryAfterSeconds = 60;

// The seconds a Retry-After value asks for: delay-seconds, or an HTTP date
// (IMF-fixdate, "Sun, 06 Nov 1994 08:49:37 GMT") less `nowUnixSeconds`.
// -1 when it asks for nothing usable: malformed, negative, or a date not in
// the future. Never more than LongestRetryAfter().
int32_t RetryAfterSeconds(std::string_view value, int64_t nowUnixSeconds);

// LongestRetryAfterSeconds, or the test build's shorter setting.
int32_t LongestRetryAfter();

}  // namespace velmora::web
