#include "runtime/framework/memory_file.h"
#include <cstring>

namespace velmora::framework {

bool MemoryFile::Seek(int64_t offset, Origin origin) {
    int64_t base = origin == Begin ? 0 : origin == Current ? position_ : length_;
    int64_t target = base + offset;
    if (target < 0 || target > 0xFFFFFFFFLL) return false;
    position_ = static_cast<uint32_t>(target);  // past the end is allowed, as on disk
    return true;
}

uint32_t MemoryFile::Read(void* buffer, uint32_t count) {
    if (position_ >= length_) return 0;
    uint32_t available = length_ - position_;
    if (count > available) count = available;
    std::memcpy(buffer, data_ + position_, count);
    position_ += count;
    return count;
}

bool MemoryFile::Write(const void* data, uint32_t count) {
    if (count == 0) return true;
    uint64_t end = static_cast<uint64_t>(position_) + count;
    if (end > 0xFFFFFFFFULL) return false;
    if (end > capacity_) {
        // Grows in whole steps, so a file written piece by piece reallocates rarely.
        uint64_t capacity = (end + growBy_ - 1) / growBy_ * growBy_;
        if (capacity > 0xFFFFFFFFULL) return false;
        auto* grown = static_cast<uint8_t*>(std::realloc(data_, static_cast<size_t>(capacity)));
        if (!grown) return false;
        data_ = grown;
        capacity_ = static_cast<uint32_t>(capacity);
    }
    if (position_ > length_) std::memset(data_ + length_, 0, position_ - length_);
    std::memcpy(data_ + position_, data, count);
    position_ = static_cast<uint32_t>(end);
    if (position_ > length_) length_ = position_;
    return true;
}

}  // namespace velmora::framework
