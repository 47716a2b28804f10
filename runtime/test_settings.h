// Test-only settings. The test build of the program and every test binary
// read them from the environment (runtime/test_settings.cpp); the program a
// user gets has none (runtime/no_test_settings.cpp), whatever is set. Each
// executable links exactly one of the two.
#pragma once
#include <cstdint>
#include <optional>

namespace velmora {

// The setting's integer value, or nothing when it is not set (or the build has no test settings).
std::optional<int64_t> TestSetting(const char* name);

}  // namespace velmora
