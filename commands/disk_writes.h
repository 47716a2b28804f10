// Writing bytes to an open file, for every command that writes to disk.
#pragma once
#include <windows.h>
#include <cstdint>

namespace velmora::commands {

// All the bytes or false (with the platform's last error set). A write that
// stops short, as on a full disk, is false.
bool WriteToDisk(HANDLE file, const void* data, uint32_t size);

}  // namespace velmora::commands
