// WinINet as the internet library calls it: directly, through entry points
// looked up the first time a fetch needs them, so a program start does not
// load WinINet and everything it pulls in.
#pragma once
#include <windows.h>
#include <wininet.h>

namespace velmora::web {

struct WinInetApi {
    decltype(&::InternetOpenA) InternetOpenA;
    decltype(&::InternetConnectA) InternetConnectA;
    decltype(&::InternetCrackUrlA) InternetCrackUrlA;
    decltype(&::InternetSetOptionA) InternetSetOptionA;
    decltype(&::InternetCloseHandle) InternetCloseHandle;
    decltype(&::InternetReadFile) InternetReadFile;
    decltype(&::InternetQueryDataAvailable) InternetQueryDataAvailable;
    decltype(&::HttpOpenRequestA) HttpOpenRequestA;
    decltype(&::HttpSendRequestA) HttpSendRequestA;
    decltype(&::HttpQueryInfoA) HttpQueryInfoA;
    bool loaded;
};

// The entry points, or an api whose `loaded` is false when WinINet is missing.
const WinInetApi& WinInet();

}  // namespace velmora::web
