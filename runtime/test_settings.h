// Test-only settings read from the environment once at start-up. Each is
// absent in normal use, and then changes nothing.
#pragma once
#include <windows.h>
#include <cstdint>
#include <cstdlib>
#include <optional>

namespace velmora {

inline std::optional<int64_t> TestSetting(const char* name) {
    char text[32] = {};
    DWORD length = GetEnvironmentVariableA(name, text, sizeof text);
    if (length == 0 || length >= sizeof text) return std::nullopt;
    return std::strtoll(text, nullptr, 10);
}

}  // namespace velmora
