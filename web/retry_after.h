// A server's Retry-After: how long it asks a client to wait before asking again.
#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

namespace velmora::web {

// The longest wait a server may impose on one retry; longer ones are cut to it.
constexpr int32_t LongestRetryAfterSeconds = 60;

// The seconds a Retry-After value asks for: delay-seconds, or an HTTP date
// (IMF-fixdate, "Sun, 06 Nov 1994 08:49:37 GMT") less `nowUnixSeconds`.
// -1 when it asks for nothing usable: malformed, negative, or a date not in
// the future. Never more than LongestRetryAfter().
int32_t RetryAfterSeconds(std::string_view value, int64_t nowUnixSeconds);

// An HTTP date (IMF-fixdate) as Unix seconds; nothing when it is none. The
// answer's own Date is the "now" a Retry-After date is measured from, so a
// client clock that is off does not change the wait.
std::optional<int64_t> HttpDateSeconds(std::string_view text);

// LongestRetryAfterSeconds, or the test build's shorter setting.
int32_t LongestRetryAfter();

}  // namespace velmora::web
