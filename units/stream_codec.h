// Property streams: one field list per unit type, read and written by the
// same code, so a unit's saved stream always matches what create reads.
// Reads never run past the stream; a short stream leaves defaults in place.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace velmora {

class StreamReader {
public:
    StreamReader(const uint8_t* data, uint32_t length) : data_(data), length_(data ? length : 0) {}
    static constexpr bool reading = true;
    void Dword(uint32_t& value) {
        if (length_ - position_ < 4) return Short();
        std::memcpy(&value, data_ + position_, 4);
        position_ += 4;
    }
    void Int(int32_t& value) {
        uint32_t raw = static_cast<uint32_t>(value);
        Dword(raw);
        value = static_cast<int32_t>(raw);
    }
    void Word(uint16_t& value) {
        if (length_ - position_ < 2) return Short();
        std::memcpy(&value, data_ + position_, 2);
        position_ += 2;
    }
    void Block(std::vector<uint8_t>& value) {
        int32_t length = 0;
        Int(length);
        value.clear();
        if (length <= 0 || !ok_) return;
        if (static_cast<uint32_t>(length) > length_ - position_) return Short();
        value.assign(data_ + position_, data_ + position_ + length);
        position_ += static_cast<uint32_t>(length);
    }
    void Text(std::string& value) {
        const void* end = std::memchr(data_ + position_, 0, length_ - position_);
        if (!end) return Short();
        size_t size = static_cast<const uint8_t*>(end) - (data_ + position_);
        value.assign(reinterpret_cast<const char*>(data_ + position_), size);
        position_ += static_cast<uint32_t>(size + 1);
    }
    // The text list of list boxes: a 16-bit count (0xFFFF: a 32-bit count follows).
    void TextList(std::vector<std::string>& values) {
        uint16_t shortCount = 0;
        Word(shortCount);
        uint32_t count = shortCount;
        if (shortCount == 0xFFFF) Dword(count);
        values.clear();
        for (uint32_t i = 0; i < count && ok_; ++i) {
            values.emplace_back();
            Text(values.back());
        }
    }
    bool Ok() const { return ok_; }

private:
    void Short() {
        ok_ = false;
        position_ = length_;
    }
    const uint8_t* data_;
    uint32_t length_;
    uint32_t position_ = 0;
    bool ok_ = true;
};

class StreamWriter {
public:
    static constexpr bool reading = false;
    void Dword(const uint32_t& value) { Append(&value, 4); }
    void Int(const int32_t& value) { Append(&value, 4); }
    void Word(const uint16_t& value) { Append(&value, 2); }
    void Block(const std::vector<uint8_t>& value) {
        auto length = static_cast<uint32_t>(value.size());
        Append(&length, 4);
        if (length) Append(value.data(), length);
    }
    void Text(const std::string& value) { Append(value.c_str(), static_cast<uint32_t>(value.size() + 1)); }
    void TextList(const std::vector<std::string>& values) {
        if (values.size() < 0xFFFF) {
            Word(static_cast<uint16_t>(values.size()));
        } else {
            Word(0xFFFF);
            Dword(static_cast<uint32_t>(values.size()));
        }
        for (const std::string& value : values) Text(value);
    }
    std::vector<uint8_t> bytes;

private:
    void Append(const void* data, uint32_t size) {
        const auto* begin = static_cast<const uint8_t*>(data);
        bytes.insert(bytes.end(), begin, begin + size);
    }
};

}  // namespace velmora
