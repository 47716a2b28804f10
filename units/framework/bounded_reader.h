// Reads a byte block front to back; any read past its end fails the reader
// for good, so a damaged block is found by one check at the end.
#pragma once
#include <cstdint>
#include "units/framework/unit_record.h"

namespace velmora {

class BoundedReader {
public:
    BoundedReader(const uint8_t* data, uint32_t size) : data_(data), size_(size) {}

    bool Skip(uint32_t count) {
        if (count > size_ - position_) return Fail();
        position_ += count;
        return ok_;
    }
    // The next `count` bytes, or null past the end.
    const uint8_t* Take(uint32_t count) { return Skip(count) ? data_ + position_ - count : nullptr; }
    // Past the next zero byte.
    bool SkipText() {
        while (position_ < size_)
            if (data_[position_++] == 0) return ok_;
        return Fail();
    }
    // The value is left as it was past the end.
    bool Dword(uint32_t& value) {
        const uint8_t* at = Take(4);
        if (at) value = ReadDword(at);
        return at != nullptr;
    }
    uint32_t Position() const { return position_; }
    bool Ok() const { return ok_; }

private:
    bool Fail() {
        ok_ = false;
        position_ = size_;
        return false;
    }
    const uint8_t* data_;
    uint32_t size_;
    uint32_t position_ = 0;
    bool ok_ = true;
};

}  // namespace velmora
