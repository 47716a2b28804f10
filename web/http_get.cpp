#include "web/http_get.h"
#include <cstring>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include "web/internet_client.h"
#include "web/retry_after.h"
#include "web/url_resolution.h"
#include "web/visit_web_page.h"
#include "web/wininet_api.h"

namespace velmora::web {
namespace {

constexpr const char* agent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
constexpr DWORD RequestFlags = 0x84000000;  // reload, no cache write
constexpr DWORD SecureFlag = 0x00800000;

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

const char* OrNull(const char* text) { return *text ? text : nullptr; }

struct OpenHandles {
    HINTERNET request;
    HINTERNET connection;
};

void Close(OpenHandles handles) {
    if (handles.request) WinInet().InternetCloseHandle(handles.request);
    if (handles.connection) WinInet().InternetCloseHandle(handles.connection);
}

// Abandoned requests, closed one after another by one thread of the
// library's, so however many a page abandons, one closes at a time and no
// fetch waits for it. The thread lives until the process ends.
class AbandonedRequests {
public:
    void Add(OpenHandles handles) {
        {
            std::lock_guard<std::mutex> guard(lock_);
            if (!closer_ && !Start()) {
                Close(handles);
                return;
            }
            waiting_.push_back(handles);
        }
        SetEvent(wake_);
    }

private:
    // Called under the lock.
    bool Start() {
        wake_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        closer_ = wake_ ? CreateThread(nullptr, 0, Run, this, 0, nullptr) : nullptr;
        return closer_ != nullptr;
    }
    static DWORD WINAPI Run(void* self) {
        auto& requests = *static_cast<AbandonedRequests*>(self);
        for (;;) {
            WaitForSingleObject(requests.wake_, INFINITE);
            for (;;) {
                OpenHandles next;
                {
                    std::lock_guard<std::mutex> guard(requests.lock_);
                    if (requests.waiting_.empty()) break;
                    next = requests.waiting_.front();
                    requests.waiting_.pop_front();
                }
                Close(next);
            }
        }
    }

    std::mutex lock_;
    std::deque<OpenHandles> waiting_;
    HANDLE wake_ = nullptr;
    HANDLE closer_ = nullptr;
};

AbandonedRequests& Abandoned() {
    static AbandonedRequests* requests = new AbandonedRequests;  // never destroyed: its thread outlives main
    return *requests;
}

}  // namespace

HttpGet::HttpGet(std::string_view text) {
    if (text.empty() || !WinInet().loaded) return;
    std::string url(text.substr(0, text.find('#')));
    for (int redirects = 0;; ++redirects) {
        if (!Send(url)) return;
        std::string target = RedirectTarget();
        if (target.empty()) return;
        // Another hop: this answer is not the one the caller reads. Its body
        // may be endless, and closing reads it to its end: closed aside.
        Abandoned().Add({request_, connection_});
        request_ = connection_ = nullptr;
        sent_ = false;
        if (redirects == MaximumRedirects) {
            failure_ = FetchTooManyRedirects;
            return;
        }
        url = EncodeUrl(ResolveUrl(url, target));
        if (url.empty()) {
            failure_ = FetchCannotConnect;
            return;
        }
    }
}

bool HttpGet::Send(const std::string& url) {
    failure_ = FetchCannotConnect;
    address_ = url;
    CrackedUrl cracked;
    if (!Crack(url, cracked)) {
        failure_ = FetchAddressUnusable;
        return false;
    }
    // Redirects are followed here, bounded; WinINet's own following has no end.
    DWORD flags = RequestFlags | INTERNET_FLAG_NO_AUTO_REDIRECT;
    DWORD service = static_cast<DWORD>(cracked.parts.nScheme);  // INTERNET_SCHEME_HTTP is the HTTP service, 3
    if (cracked.parts.nScheme == INTERNET_SCHEME_HTTPS) {
        service = INTERNET_SERVICE_HTTP;
        flags |= SecureFlag;
    }

    InternetClient& client = Client();
    HINTERNET internet = client.Handle(agent);
    if (!internet) return false;
    connection_ = WinInet().InternetConnectA(internet, cracked.host, cracked.parts.nPort, OrNull(cracked.user),
                                             OrNull(cracked.password), service, 0, 0);
    if (!connection_) return false;
    client.ApplyProxyOptions(internet, connection_);

    std::string object = std::string(cracked.path) + cracked.query;
    object = object.substr(0, object.find('#'));
    const char* acceptTypes[] = {"Accept: */* \r\n", nullptr};
    request_ = WinInet().HttpOpenRequestA(connection_, "GET", object.c_str(), "HTTP/1.0", nullptr, acceptTypes, flags, 0);
    if (!request_) return false;
    DWORD timeout = NetworkTimeoutMilliseconds();
    for (DWORD option : {INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT})
        WinInet().InternetSetOptionA(request_, option, &timeout, sizeof timeout);
    static char requestHeaders[] = "Accept: */*\r\n\r\n";
    callStart_ = GetTickCount();
    sent_ = WinInet().HttpSendRequestA(request_, requestHeaders, 15, nullptr, 0) != FALSE;
    failure_ = sent_ ? FetchFine : ReadFailure();
    return sent_;
}

std::string HttpGet::RedirectTarget() const {
    int32_t status = Status();
    if (status != 301 && status != 302 && status != 303 && status != 307 && status != 308) return {};
    std::string location(2048, '\0');
    DWORD length = static_cast<DWORD>(location.size());
    if (!WinInet().HttpQueryInfoA(request_, HTTP_QUERY_LOCATION, location.data(), &length, nullptr)) {
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return {};
        location.assign(length + 1, '\0');
        if (!WinInet().HttpQueryInfoA(request_, HTTP_QUERY_LOCATION, location.data(), &length, nullptr)) return {};
    }
    location.resize(length);
    return location;
}

bool HttpGet::ReadSome(void* buffer, DWORD size, DWORD& read) {
    read = 0;
    DWORD available = 0;
    callStart_ = GetTickCount();
    if (!WinInet().InternetQueryDataAvailable(request_, &available, 0, 0)) return false;
    return WinInet().InternetReadFile(request_, buffer, available && available < size ? available : size, &read) != FALSE;
}

FetchFailure HttpGet::ReadFailure() const {
    DWORD error = GetLastError();
    return FailureOf(error, GetTickCount() - callStart_, NetworkTimeoutMilliseconds());
}

void HttpGet::Close() {
    web::Close({request_, connection_});
    request_ = connection_ = nullptr;
}

HttpGet::~HttpGet() {
    OpenHandles handles{request_, connection_};
    if (abandoned_ && request_)
        Abandoned().Add(handles);
    else
        web::Close(handles);
}

int32_t HttpGet::Status() const {
    DWORD status = 0, length = sizeof status;
    if (!WinInet().HttpQueryInfoA(request_, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &length, nullptr))
        return 0;
    return static_cast<int32_t>(status);
}

int64_t HttpGet::AnnouncedLength() const {
    char buffer[256] = {};
    DWORD length = sizeof buffer - 1;
    if (!WinInet().HttpQueryInfoA(request_, HTTP_QUERY_CONTENT_LENGTH, buffer, &length, nullptr))
        return GetLastError() == ERROR_HTTP_HEADER_NOT_FOUND ? NoLength : UnreadableLength;
    int64_t value = 0;
    for (const char* digit = buffer; *digit; ++digit) {
        if (*digit < '0' || *digit > '9') return UnreadableLength;
        if (value > (int64_t{1} << 50)) return HugeLength;
        value = value * 10 + (*digit - '0');
    }
    return value;
}

int32_t HttpGet::RetryAfter() const {
    char buffer[256] = {};
    DWORD length = sizeof buffer - 1;
    if (!WinInet().HttpQueryInfoA(request_, HTTP_QUERY_RETRY_AFTER, buffer, &length, nullptr)) return -1;
    // Now, as the server's Date says it, else as this machine's clock does.
    char date[256] = {};
    DWORD dateLength = sizeof date - 1;
    std::optional<int64_t> now;
    if (WinInet().HttpQueryInfoA(request_, HTTP_QUERY_DATE, date, &dateLength, nullptr))
        now = HttpDateSeconds(std::string_view(date, dateLength));
    if (!now) {
        FILETIME clock;
        GetSystemTimeAsFileTime(&clock);
        const int64_t ticks = (int64_t{clock.dwHighDateTime} << 32) | clock.dwLowDateTime;
        constexpr int64_t UnixEpochTicks = 116444736000000000, TicksPerSecond = 10000000;
        now = (ticks - UnixEpochTicks) / TicksPerSecond;
    }
    return RetryAfterSeconds(std::string_view(buffer, length), *now);
}

bool HttpGet::Chunked() const {
    char buffer[256] = {};
    DWORD length = sizeof buffer - 1;
    if (!WinInet().HttpQueryInfoA(request_, HTTP_QUERY_TRANSFER_ENCODING, buffer, &length, nullptr))
        return GetLastError() != ERROR_HTTP_HEADER_NOT_FOUND;  // a header that cannot be read proves nothing
    for (char& c : buffer) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return std::strstr(buffer, "chunked") != nullptr;
}

}  // namespace velmora::web
