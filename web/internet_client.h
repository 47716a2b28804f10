// The internet library's one client object: the internet handle every fetch
// shares, and the proxy settings (empty in this program).
#pragma once
#include <windows.h>
#include <wininet.h>
#include <atomic>
#include <mutex>
#include <string>

namespace velmora::web {

class InternetClient {
public:
    ~InternetClient();  // the library's exit-time clean-up
    // The shared handle, opened by the first fetch that needs it.
    HINTERNET Handle(const char* agent);
    // The proxy record (on the shared handle, when it changed) and the proxy
    // credentials (on the fetch's connection, when there are any); results ignored.
    void ApplyProxyOptions(HINTERNET internet, HINTERNET connection);

    std::string proxyServer;
    std::string proxyUserName;
    std::string proxyPassword;

private:
    std::atomic<HINTERNET> internet_{nullptr};
    std::mutex applying_;
    HINTERNET appliedTo_ = nullptr;
    std::string appliedProxy_;
};

InternetClient& Client();

}  // namespace velmora::web
