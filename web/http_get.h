// One plain GET of the internet library, as HttpReadFile and HttpSaveFile
// make it: connection and request on the one shared internet handle, closed
// when the fetch object goes, whichever way the fetch ends.
#pragma once
#include <windows.h>
#include <wininet.h>
#include <cstdint>
#include <string>
#include <string_view>
#include "web/fetch_failure.h"

namespace velmora::web {

class HttpGet {
public:
    // Opens and sends the request, following up to MaximumRedirects redirects
    // (301, 302, 303, 307, 308; Location resolved against the address asked,
    // http to https included); Sent() tells whether an answer can be read,
    // Failure() why not.
    explicit HttpGet(std::string_view url);
    ~HttpGet();
    HttpGet(const HttpGet&) = delete;
    HttpGet& operator=(const HttpGet&) = delete;

    bool Sent() const { return sent_; }
    FetchFailure Failure() const { return failure_; }
    // Why the last send or read failed: the time-out, or the connection broke.
    FetchFailure ReadFailure() const;
    // Reads what has arrived, at most `size` bytes, waiting (at most the
    // time-out) only until something has: a whole buffer is never waited
    // for, so a body that drips is seen as it drips. `read` is 0 at the end.
    bool ReadSome(void* buffer, DWORD size, DWORD& read);
    HINTERNET Request() const { return request_; }
    // The address the answer came from, after redirects.
    const std::string& Address() const { return address_; }
    // The seconds the answer's Retry-After asks for (web/retry_after.h); -1 for none.
    int32_t RetryAfter() const;
    // The HTTP status, 0 when none arrived.
    int32_t Status() const;
    // The announced Content-Length; NoLength when none was sent,
    // UnreadableLength when one was sent that is no number, HugeLength for
    // one beyond 2^50.
    int64_t AnnouncedLength() const;
    static constexpr int64_t NoLength = -1;
    static constexpr int64_t UnreadableLength = -2;
    static constexpr int64_t HugeLength = INT64_MAX;
    // WinINet hides the chunk framing and ends a chunked body cut short as if
    // it were whole; the request is HTTP/1.0, so no such body can be proven
    // complete (nor one whose Transfer-Encoding cannot be read).
    bool Chunked() const;
    // The rest of the body is not wanted. Closing such a request can take as
    // long as the rest takes to arrive (Wine's WinINet reads an announced
    // body to its end on close, however large), so the fetch leaves the
    // closing to a thread of its own and returns at once.
    void Abandon() { abandoned_ = true; }

private:
    // One request; true when it was sent and answered.
    bool Send(const std::string& url);
    void Close();
    // The answer's Location when it is a redirect, else empty.
    std::string RedirectTarget() const;

    HINTERNET connection_ = nullptr;
    std::string address_;
    DWORD callStart_ = 0;  // when the last send or read began
    HINTERNET request_ = nullptr;
    bool sent_ = false;
    bool abandoned_ = false;
    FetchFailure failure_ = FetchCannotConnect;
};

// Reports status and completeness to the integer variables a caller passed
// (either may be null).
struct FetchReport {
    int32_t* status = nullptr;
    int32_t* complete = nullptr;
    void Set(int32_t statusValue, bool completeValue) const {
        if (status) *status = statusValue;
        if (complete) *complete = completeValue ? 1 : 0;
    }
};

}  // namespace velmora::web
