// The internet library's one client object: the internet handle every fetch
// shares, and the proxy settings (empty in this program).
#pragma once
#include <windows.h>
#include <wininet.h>
#include <atomic>
#include <string>

namespace velmora::web {

class InternetClient {
public:
    ~InternetClient();  // the library's exit-time clean-up
    // The shared handle, opened by the first fetch that needs it.
    HINTERNET Handle(const char* agent);
    // The proxy record and proxy credentials, set on every fetch; results ignored.
    void ApplyProxyOptions(HINTERNET internet, HINTERNET connection);

    std::string proxyServer;
    std::string proxyUserName;
    std::string proxyPassword;

private:
    std::atomic<HINTERNET> internet_{nullptr};
};

InternetClient& Client();

}  // namespace velmora::web
