#include "web/http_read_file.h"
#include <windows.h>
#include <wininet.h>
#include "web/wininet_api.h"
#include <atomic>
#include <cstring>
#include <string>
#include "commands/command_args.h"
#include "web/internet_client.h"
#include "web/visit_web_page.h"

namespace velmora::web {
namespace {

constexpr const char* agent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
constexpr DWORD RequestFlags = 0x84000000;  // reload, no cache write
constexpr DWORD SecureFlag = 0x00800000;
constexpr uint32_t MaximumChunk = 102400;
constexpr uint32_t UnknownLengthChunk = 10240;

std::atomic<uint32_t> lastChunkSize{0};

struct CrackedUrl {
    char scheme[32] = {};
    char host[INTERNET_MAX_HOST_NAME_LENGTH + 1] = {};
    char user[256] = {};
    char password[256] = {};
    char path[INTERNET_MAX_URL_LENGTH + 1] = {};
    char query[INTERNET_MAX_URL_LENGTH + 1] = {};
    URL_COMPONENTSA parts{};
};

bool Crack(const std::string& url, CrackedUrl& out) {
    URL_COMPONENTSA& parts = out.parts;
    parts.dwStructSize = sizeof parts;
    parts.lpszScheme = out.scheme;
    parts.dwSchemeLength = sizeof out.scheme;
    parts.lpszHostName = out.host;
    parts.dwHostNameLength = sizeof out.host;
    parts.lpszUserName = out.user;
    parts.dwUserNameLength = sizeof out.user;
    parts.lpszPassword = out.password;
    parts.dwPasswordLength = sizeof out.password;
    parts.lpszUrlPath = out.path;
    parts.dwUrlPathLength = sizeof out.path;
    parts.lpszExtraInfo = out.query;
    parts.dwExtraInfoLength = sizeof out.query;
    return WinInet().InternetCrackUrlA(url.c_str(), static_cast<DWORD>(url.size()), ICU_NO_ENCODE, &parts) != FALSE;
}

const char* OrNull(const std::string& text) { return text.empty() ? nullptr : text.c_str(); }

// Content-Length + 1, capped; a missing or useless length gives 10240.
uint32_t ChunkSize(HINTERNET request) {
    char buffer[32] = {};
    DWORD length = sizeof buffer;
    if (!WinInet().HttpQueryInfoA(request, HTTP_QUERY_CONTENT_LENGTH, buffer, &length, nullptr)) return UnknownLengthChunk;
    uint64_t value = 0;
    for (const char* digit = buffer; *digit >= '0' && *digit <= '9' && value <= MaximumChunk; ++digit)
        value = value * 10 + static_cast<uint64_t>(*digit - '0');
    if (value == 0) return UnknownLengthChunk;
    return value + 1 < MaximumChunk ? static_cast<uint32_t>(value + 1) : MaximumChunk;
}

}  // namespace

uint32_t LastChunkSize() { return lastChunkSize.load(); }

namespace {

// Reports status and completeness to the variables a caller passed.
struct FetchReport {
    int32_t* status = nullptr;
    int32_t* complete = nullptr;
    void Set(int32_t statusValue, bool completeValue) const {
        if (status) *status = statusValue;
        if (complete) *complete = completeValue ? 1 : 0;
    }
};

int32_t StatusOf(HINTERNET request) {
    DWORD status = 0, length = sizeof status;
    if (!WinInet().HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &length, nullptr)) return 0;
    return static_cast<int32_t>(status);
}

// The announced length, or -1 when there is none (or it cannot be read).
int64_t AnnouncedLength(HINTERNET request) {
    char buffer[32] = {};
    DWORD length = sizeof buffer;
    if (!WinInet().HttpQueryInfoA(request, HTTP_QUERY_CONTENT_LENGTH, buffer, &length, nullptr)) return -1;
    int64_t value = 0;
    for (const char* digit = buffer; *digit; ++digit) {
        if (*digit < '0' || *digit > '9' || value > (int64_t{1} << 50)) return -1;
        value = value * 10 + (*digit - '0');
    }
    return value;
}

// WinINet hides the chunk framing and ends a chunked body cut short as if it
// were whole; our request is HTTP/1.0, so no such body can be proven complete.
bool Chunked(HINTERNET request) {
    char buffer[64] = {};
    DWORD length = sizeof buffer;
    if (!WinInet().HttpQueryInfoA(request, HTTP_QUERY_TRANSFER_ENCODING, buffer, &length, nullptr)) return false;
    for (char& c : buffer) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return std::strstr(buffer, "chunked") != nullptr;
}

}  // namespace

void HttpReadFile(ValueRecord* result, int32_t count, ValueRecord* arguments) {
    commands::Args args(count, arguments);
    FetchReport report{args.Given(1) ? reinterpret_cast<int32_t*>(args[1].low) : nullptr,
                       args.Given(2) ? reinterpret_cast<int32_t*>(args[2].low) : nullptr};
    report.Set(0, false);
    std::string url(args.Text(0));
    if (url.empty() || !WinInet().loaded) return;
    url = url.substr(0, url.find('#'));

    CrackedUrl cracked;
    if (!Crack(url, cracked)) return;
    DWORD flags = RequestFlags;
    DWORD service = static_cast<DWORD>(cracked.parts.nScheme);  // INTERNET_SCHEME_HTTP is the HTTP service, 3
    if (cracked.parts.nScheme == INTERNET_SCHEME_HTTPS) {
        service = INTERNET_SERVICE_HTTP;
        flags |= SecureFlag;
    }

    InternetClient& client = Client();
    HINTERNET internet = client.Handle(agent);
    if (!internet) return;
    HINTERNET connection = WinInet().InternetConnectA(internet, cracked.host, cracked.parts.nPort, OrNull(cracked.user),
                                            OrNull(cracked.password), service, 0, 0);
    if (!connection) return;
    client.ApplyProxyOptions(internet, connection);

    std::string object = std::string(cracked.path) + cracked.query;
    object = object.substr(0, object.find('#'));
    const char* acceptTypes[] = {"Accept: */* \r\n", nullptr};
    HINTERNET request = WinInet().HttpOpenRequestA(connection, "GET", object.c_str(), "HTTP/1.0", nullptr, acceptTypes, flags, 0);
    if (!request) {
        WinInet().InternetCloseHandle(connection);
        return;
    }
    DWORD timeout = NetworkTimeoutMilliseconds();
    for (DWORD option : {INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT})
        WinInet().InternetSetOptionA(request, option, &timeout, sizeof timeout);
    static char requestHeaders[] = "Accept: */*\r\n\r\n";
    if (!WinInet().HttpSendRequestA(request, requestHeaders, 15, nullptr, 0)) {
        WinInet().InternetCloseHandle(request);
        WinInet().InternetCloseHandle(connection);
        return;
    }

    uint32_t chunk = ChunkSize(request);
    lastChunkSize = chunk;
    int32_t status = StatusOf(request);
    int64_t announced = AnnouncedLength(request);
    bool provable = !Chunked(request);
    bool clean = false;
    std::string output;
    std::string buffer;
    try {
        buffer.resize(chunk);
    } catch (const std::bad_alloc&) {
        WinInet().InternetCloseHandle(request);
        WinInet().InternetCloseHandle(connection);
        return;
    }
    for (;;) {
        DWORD read = 0;
        if (!WinInet().InternetReadFile(request, buffer.data(), chunk, &read)) break;
        if (read == 0) {
            clean = true;
            break;
        }
        output.append(buffer.data(), read);
    }
    report.Set(status, clean && provable && (announced < 0 || static_cast<int64_t>(output.size()) == announced));
    WinInet().InternetCloseHandle(request);
    WinInet().InternetCloseHandle(connection);
    commands::SetByteSet(result, output);
}

}  // namespace velmora::web
