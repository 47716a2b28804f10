#include "web/internet_client.h"
#include "web/wininet_api.h"
#include "web/visit_web_page.h"

namespace velmora::web {

InternetClient& Client() {
    static InternetClient client;
    return client;
}

InternetClient::~InternetClient() {
    if (HINTERNET handle = internet_.exchange(nullptr)) WinInet().InternetCloseHandle(handle);  // only a fetch opened it
}

HINTERNET InternetClient::Handle(const char* agent) {
    if (HINTERNET existing = internet_.load()) return existing;
    DWORD access = proxyServer.empty() ? INTERNET_OPEN_TYPE_DIRECT : INTERNET_OPEN_TYPE_PROXY;
    HINTERNET opened =
        WinInet().InternetOpenA(agent, access, proxyServer.empty() ? nullptr : proxyServer.c_str(), nullptr, 0);
    if (!opened) return nullptr;
    DWORD timeout = NetworkTimeoutMilliseconds();
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT})
        WinInet().InternetSetOptionA(opened, option, &timeout, sizeof timeout);
    // Fetches that start together may both open one; the first to publish wins.
    HINTERNET expected = nullptr;
    if (internet_.compare_exchange_strong(expected, opened)) return opened;
    WinInet().InternetCloseHandle(opened);
    return expected;
}

void InternetClient::ApplyProxyOptions(HINTERNET internet, HINTERNET connection) {
    // Fetches run side by side on one shared handle, and Wine's WinINet keeps
    // a connection's proxy credentials on that shared handle, freeing the old
    // ones as it stores new: workers setting them at once freed one string
    // twice. So one fetch at a time sets them, the shared handle's proxy
    // record only when it changed, and credentials only when there are some
    // (a new connection has none to clear).
    std::lock_guard<std::mutex> hold(applying_);
    if (appliedTo_ != internet || appliedProxy_ != proxyServer) {
        INTERNET_PROXY_INFO proxy{};
        if (!proxyServer.empty()) {
            proxy.dwAccessType = INTERNET_OPEN_TYPE_PROXY;
            proxy.lpszProxy = reinterpret_cast<LPCTSTR>(proxyServer.c_str());
        }
        WinInet().InternetSetOptionA(internet, INTERNET_OPTION_PROXY, &proxy, sizeof proxy);
        appliedTo_ = internet;
        appliedProxy_ = proxyServer;
    }
    if (!proxyUserName.empty())
        WinInet().InternetSetOptionA(connection, INTERNET_OPTION_PROXY_USERNAME, const_cast<char*>(proxyUserName.c_str()),
                                     static_cast<DWORD>(proxyUserName.size() + 1));
    if (!proxyPassword.empty())
        WinInet().InternetSetOptionA(connection, INTERNET_OPTION_PROXY_PASSWORD, const_cast<char*>(proxyPassword.c_str()),
                                     static_cast<DWORD>(proxyPassword.size() + 1));
}

}  // namespace velmora::web
