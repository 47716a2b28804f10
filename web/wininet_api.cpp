#include "web/wininet_api.h"
#include <mutex>
#include <type_traits>
#include "runtime/platform_functions.h"

namespace velmora::web {

const WinInetApi& WinInet() {
    static WinInetApi api{};
    static std::once_flag once;
    std::call_once(once, [] {
        auto bind = [](auto& entry, const char* name) {
            entry = PlatformFunctionAs<std::remove_reference_t<decltype(entry)>>("wininet.dll", name);
            return entry != nullptr;
        };
        api.loaded = bind(api.InternetOpenA, "InternetOpenA") & bind(api.InternetConnectA, "InternetConnectA") &
                     bind(api.InternetCrackUrlA, "InternetCrackUrlA") &
                     bind(api.InternetSetOptionA, "InternetSetOptionA") &
                     bind(api.InternetCloseHandle, "InternetCloseHandle") &
                     bind(api.InternetReadFile, "InternetReadFile") &
                     bind(api.InternetQueryDataAvailable, "InternetQueryDataAvailable") &
                     bind(api.HttpOpenRequestA, "HttpOpenRequestA") &
                     bind(api.HttpSendRequestA, "HttpSendRequestA") & bind(api.HttpQueryInfoA, "HttpQueryInfoA");
    });
    return api;
}

}  // namespace velmora::web
