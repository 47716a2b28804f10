// The test build's settings: from the environment, read when asked.
#include "runtime/test_settings.h"
#include <windows.h>
#include <cstdlib>

namespace velmora {
namespace {

const char* NameOf(TestSwitch setting) {
    switch (setting) {
        case TestSwitch::NetTimeoutMilliseconds: return "VELMORA_NET_TIMEOUT_MS";
        case TestSwitch::DiskRoom: return "VELMORA_TEST_DISK_ROOM";
        case TestSwitch::FailAllocation: return "VELMORA_FAIL_ALLOCATION";
        case TestSwitch::AllocationLimit: return "VELMORA_ALLOCATION_LIMIT";
        case TestSwitch::HeapStatistics: return "VELMORA_HEAP_STATISTICS";
        case TestSwitch::LongestRetryAfterSeconds: return "VELMORA_RETRY_AFTER_CAP_S";
        case TestSwitch::TaskbarRecord: return "VELMORA_TASKBAR_RECORD";
    }
    return "";
}

}  // namespace

std::optional<int64_t> TestSetting(TestSwitch setting) {
    char text[32] = {};
    DWORD length = GetEnvironmentVariableA(NameOf(setting), text, sizeof text);
    if (length == 0 || length >= sizeof text) return std::nullopt;
    return std::strtoll(text, nullptr, 10);
}

}  // namespace velmora
