// Why a fetch failed, as the internet library and the web routine report it
// to the program (which says it in the log): the network, the server, the
// disk. Numbers are part of the commands' contract.
#pragma once
#include <cstdint>

namespace velmora::web {

enum FetchFailure : int32_t {
    FetchFine = 0,
    FetchCannotConnect = 1,      // no connection, or it broke before an answer came
    FetchTimedOut = 2,           // silent, or slower than 1024 bytes per time-out
    FetchTooManyRedirects = 3,   // more than MaximumRedirects in a row
    FetchTooLarge = 4,           // over the caller's size limit
    FetchCannotWrite = 5,        // the file refused a write; the system's error code says why
    FetchIncomplete = 6,         // the body broke off, or ended short of its announced length
    FetchAddressUnusable = 7,    // no such host, an address the library cannot use, a certificate
                                 // it refuses: asking again cannot help
};

// At most this many redirects are followed for one fetch.
constexpr int MaximumRedirects = 10;
// A fetch that receives fewer bytes than this within one time-out has stalled.
constexpr uint32_t LeastBytesPerTimeout = 1024;

// Why a WinINet call failed, from its error and how long it took. Windows
// says ERROR_INTERNET_TIMEOUT; Wine's WinINet may pass on the socket's
// WSAETIMEDOUT, or call the connection aborted once the time-out has passed:
// a call that failed only after (nearly) the whole time-out is a time-out.
inline FetchFailure FailureOf(uint32_t error, uint32_t elapsedMilliseconds, uint32_t timeoutMilliseconds) {
    constexpr uint32_t InternetTimeout = 12002, SocketTimedOut = 10060;
    if (error == InternetTimeout || error == SocketTimedOut) return FetchTimedOut;
    // An invalid or unrecognised address, a name not resolved, a certificate refused.
    constexpr uint32_t InvalidUrl = 12005, UnrecognizedScheme = 12006, NameNotResolved = 12007;
    constexpr uint32_t FirstCertificateError = 12037, LastCertificateError = 12045, SecureChannelError = 12157;
    if (error == InvalidUrl || error == UnrecognizedScheme || error == NameNotResolved ||
        (error >= FirstCertificateError && error <= LastCertificateError) || error == SecureChannelError)
        return FetchAddressUnusable;
    return elapsedMilliseconds >= timeoutMilliseconds - timeoutMilliseconds / 10 ? FetchTimedOut : FetchCannotConnect;
}

}  // namespace velmora::web

namespace velmora::web {

// Ends a fetch that drips: fewer than LeastBytesPerTimeout bytes arrived
// within one time-out. A read waits at most the time-out itself, so a drip
// of a byte a second ends within two time-outs.
class DripGuard {
public:
    DripGuard(uint32_t timeoutMilliseconds, uint32_t now) : timeout_(timeoutMilliseconds), windowStart_(now) {}
    // After each read, with the clock in milliseconds: false when the time-out passed with too few bytes.
    bool Fine(uint32_t now, uint32_t read) {
        bytes_ += read;
        if (now - windowStart_ < timeout_) return true;
        if (bytes_ < LeastBytesPerTimeout) return false;
        windowStart_ = now;
        bytes_ = 0;
        return true;
    }

private:
    uint32_t timeout_;
    uint32_t windowStart_;
    uint32_t bytes_ = 0;
};

}  // namespace velmora::web
