#include "web/http_get.h"
#include <cstring>
#include <new>
#include <string>
#include "web/internet_client.h"
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

DWORD WINAPI CloseInTheBackground(void* parameter) {
    auto* handles = static_cast<OpenHandles*>(parameter);
    Close(*handles);
    delete handles;
    return 0;
}

}  // namespace

HttpGet::HttpGet(std::string_view text) {
    if (text.empty() || !WinInet().loaded) return;
    std::string url(text.substr(0, text.find('#')));
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
    connection_ = WinInet().InternetConnectA(internet, cracked.host, cracked.parts.nPort, OrNull(cracked.user),
                                             OrNull(cracked.password), service, 0, 0);
    if (!connection_) return;
    client.ApplyProxyOptions(internet, connection_);

    std::string object = std::string(cracked.path) + cracked.query;
    object = object.substr(0, object.find('#'));
    const char* acceptTypes[] = {"Accept: */* \r\n", nullptr};
    request_ = WinInet().HttpOpenRequestA(connection_, "GET", object.c_str(), "HTTP/1.0", nullptr, acceptTypes, flags, 0);
    if (!request_) return;
    DWORD timeout = NetworkTimeoutMilliseconds();
    for (DWORD option : {INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT})
        WinInet().InternetSetOptionA(request_, option, &timeout, sizeof timeout);
    static char requestHeaders[] = "Accept: */*\r\n\r\n";
    sent_ = WinInet().HttpSendRequestA(request_, requestHeaders, 15, nullptr, 0) != FALSE;
}

HttpGet::~HttpGet() {
    OpenHandles handles{request_, connection_};
    if (abandoned_ && request_) {
        auto* parting = new (std::nothrow) OpenHandles(handles);
        HANDLE closer = parting ? CreateThread(nullptr, 0, CloseInTheBackground, parting, 0, nullptr) : nullptr;
        if (closer) {
            CloseHandle(closer);
            return;
        }
        delete parting;
    }
    Close(handles);
}

int32_t HttpGet::Status() const {
    DWORD status = 0, length = sizeof status;
    if (!WinInet().HttpQueryInfoA(request_, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &length, nullptr))
        return 0;
    return static_cast<int32_t>(status);
}

int64_t HttpGet::AnnouncedLength() const {
    char buffer[32] = {};
    DWORD length = sizeof buffer;
    if (!WinInet().HttpQueryInfoA(request_, HTTP_QUERY_CONTENT_LENGTH, buffer, &length, nullptr)) return -1;
    int64_t value = 0;
    for (const char* digit = buffer; *digit; ++digit) {
        if (*digit < '0' || *digit > '9' || value > (int64_t{1} << 50)) return -1;
        value = value * 10 + (*digit - '0');
    }
    return value;
}

bool HttpGet::Chunked() const {
    char buffer[64] = {};
    DWORD length = sizeof buffer;
    if (!WinInet().HttpQueryInfoA(request_, HTTP_QUERY_TRANSFER_ENCODING, buffer, &length, nullptr)) return false;
    for (char& c : buffer) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return std::strstr(buffer, "chunked") != nullptr;
}

}  // namespace velmora::web
