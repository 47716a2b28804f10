// Test-only settings. The test build of the program and every test binary
// read them from the environment (runtime/test_settings.cpp, which alone
// holds their names); the program a user gets has none of them, not even
// their names (runtime/no_test_settings.cpp), whatever is set. Each
// executable links exactly one of the two.
#pragma once
#include <cstdint>
#include <optional>

namespace velmora {

enum class TestSwitch {
    NetTimeoutMilliseconds,  // WinINet's time-outs
    DiskRoom,                // bytes that may be written before writes fail as on a full disk
    FailAllocation,          // the Nth runtime heap allocation is refused
    AllocationLimit,         // every allocation above this many bytes is refused
    HeapStatistics,          // the runtime heap counts its blocks
    LongestRetryAfterSeconds,  // the cap on a server's Retry-After, shortened
    TaskbarRecord,           // the taskbar button's calls are recorded, not made
};

// The setting's integer value, or nothing when it is not set (or the build has no test settings).
std::optional<int64_t> TestSetting(TestSwitch setting);

}  // namespace velmora
