// The test build's settings: from the environment, read when asked.
#include "runtime/test_settings.h"
#include <windows.h>
#include <cstdlib>

namespace velmora {

std::optional<int64_t> TestSetting(const char* name) {
    char text[32] = {};
    DWORD length = GetEnvironmentVariableA(name, text, sizeof text);
    if (length == 0 || length >= sizeof text) return std::nullopt;
    return std::strtoll(text, nullptr, 10);
}

}  // namespace velmora
