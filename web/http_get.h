// One plain GET of the internet library, as HttpReadFile and HttpSaveFile
// make it: connection and request on the one shared internet handle, closed
// when the fetch object goes, whichever way the fetch ends.
#pragma once
#include <windows.h>
#include <wininet.h>
#include <cstdint>
#include <string_view>

namespace velmora::web {

class HttpGet {
public:
    // Opens and sends the request; Sent() tells whether an answer can be read.
    explicit HttpGet(std::string_view url);
    ~HttpGet();
    HttpGet(const HttpGet&) = delete;
    HttpGet& operator=(const HttpGet&) = delete;

    bool Sent() const { return sent_; }
    HINTERNET Request() const { return request_; }
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
    HINTERNET connection_ = nullptr;
    HINTERNET request_ = nullptr;
    bool sent_ = false;
    bool abandoned_ = false;
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
