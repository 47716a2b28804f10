#include "runtime/platform_functions.h"
#include <windows.h>
#include <cstring>
#include <mutex>
#include <utility>
#include <vector>

namespace velmora {

void* PlatformFunction(const char* library, const char* name) {
    // Names are string literals of the runtime's; a library is loaded once.
    static std::mutex lock;
    static auto* loaded = new std::vector<std::pair<const char*, HMODULE>>;
    HMODULE module = nullptr;
    {
        std::lock_guard<std::mutex> hold(lock);
        for (const auto& [known, handle] : *loaded)
            if (std::strcmp(known, library) == 0) module = handle;
        if (!module && (module = LoadLibraryA(library))) loaded->emplace_back(library, module);
    }
    return module ? reinterpret_cast<void*>(GetProcAddress(module, name)) : nullptr;
}

}  // namespace velmora
