#include "web/wininet_api.h"
#include <mutex>

namespace velmora::web {

const WinInetApi& WinInet() {
    static WinInetApi api{};
    static std::once_flag once;
    std::call_once(once, [] {
        HMODULE module = LoadLibraryA("wininet.dll");
        if (!module) return;
        auto bind = [module](auto& entry, const char* name) {
            entry = reinterpret_cast<std::remove_reference_t<decltype(entry)>>(
                reinterpret_cast<void*>(GetProcAddress(module, name)));
            return entry != nullptr;
        };
        api.loaded = bind(api.InternetOpenA, "InternetOpenA") & bind(api.InternetConnectA, "InternetConnectA") &
                     bind(api.InternetCrackUrlA, "InternetCrackUrlA") &
                     bind(api.InternetSetOptionA, "InternetSetOptionA") &
                     bind(api.InternetCloseHandle, "InternetCloseHandle") &
                     bind(api.InternetReadFile, "InternetReadFile") & bind(api.HttpOpenRequestA, "HttpOpenRequestA") &
                     bind(api.HttpSendRequestA, "HttpSendRequestA") & bind(api.HttpQueryInfoA, "HttpQueryInfoA");
    });
    return api;
}

}  // namespace velmora::web
