#include "commands/disk_writes.h"
#include <algorithm>
#include <atomic>
#include "runtime/test_settings.h"

namespace velmora::commands {
namespace {

// Tests fill the disk without a disk: VELMORA_TEST_DISK_ROOM caps the bytes
// this process may write to files; past it a write stops short, as on a full disk.
const std::optional<int64_t> diskRoomSetting = TestSetting(TestSwitch::DiskRoom);
std::atomic<int64_t> diskRoom{diskRoomSetting.value_or(0)};

}  // namespace

bool WriteToDisk(HANDLE file, const void* data, uint32_t size) {
    DWORD allowed = size;
    if (diskRoomSetting) {
        int64_t before = diskRoom.fetch_sub(size);
        allowed = before <= 0 ? 0 : static_cast<DWORD>(std::min<int64_t>(before, size));
    }
    DWORD written = 0;
    if (allowed && !WriteFile(file, data, allowed, &written, nullptr)) return false;
    if (allowed == size) return written == size;
    SetLastError(ERROR_DISK_FULL);
    return false;
}

}  // namespace velmora::commands
