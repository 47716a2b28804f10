// Reading argument records and writing results: keeps each command a few
// lines of its algorithm. Missing or wrongly typed records read as omitted.
#pragma once
#include <cstdint>
#include <cstring>
#include <string_view>
#include "runtime/value.h"

namespace velmora::commands {

class Args {
public:
    Args(int32_t count, const ValueRecord* records) : count_(count < 0 ? 0 : count), records_(records) {}

    int32_t Count() const { return count_; }
    const ValueRecord& operator[](int32_t index) const {
        static const ValueRecord none{0, 0, Type::None};
        return index < count_ ? records_[index] : none;
    }
    bool Given(int32_t index) const { return (*this)[index].type != Type::None; }
    int32_t Int(int32_t index, int32_t fallback = 0) const {
        return Given(index) ? static_cast<int32_t>((*this)[index].low) : fallback;
    }
    // Only a record of type Text carries a pointer; anything else is the empty text.
    std::string_view Text(int32_t index) const {
        const ValueRecord& record = (*this)[index];
        if (record.type != Type::Text || record.low == 0) return {};
        return std::string_view(reinterpret_cast<const char*>(record.low));
    }
    const ByteSetBlock* ByteSet(int32_t index) const {
        const ValueRecord& record = (*this)[index];
        return record.type == Type::ByteSet ? reinterpret_cast<const ByteSetBlock*>(record.low) : nullptr;
    }
    std::string_view Bytes(int32_t index) const {
        const ByteSetBlock* bytes = ByteSet(index);
        if (!bytes || bytes->length == 0) return {};
        return {reinterpret_cast<const char*>(bytes->data()), bytes->length};
    }

private:
    int32_t count_;
    const ValueRecord* records_;
};

// Runtime memory for results, through the runtime-service entry.
void* AllocResult(uint32_t byteCount);

// Results: an empty text or byte set is null; anything else one new block.
void SetText(ValueRecord* result, std::string_view text);
void SetByteSet(ValueRecord* result, std::string_view bytes);
inline void SetInt(ValueRecord* result, int32_t value) { result->low = static_cast<uint32_t>(value); }
inline void SetBool(ValueRecord* result, bool value) { result->low = value ? 1 : 0; }

// GBK: a byte with bit 7 set starts a double-byte character.
inline bool IsLeadByte(char byte) { return (static_cast<uint8_t>(byte) & 0x80) != 0; }
inline char FoldAscii(char byte) { return (byte >= 'A' && byte <= 'Z') ? static_cast<char>(byte + 0x20) : byte; }

// Word-at-a-time scanning: four single-byte characters none of which is
// `byte` can be stepped over at once (every one of them is a character start).
constexpr uint32_t SpreadByte(char byte) { return 0x01010101u * static_cast<uint8_t>(byte); }
constexpr bool HasZeroByte(uint32_t word) { return ((word - 0x01010101u) & ~word & 0x80808080u) != 0; }
inline bool FourPlainBytesWithout(const char* at, uint32_t spread) {
    uint32_t word;
    std::memcpy(&word, at, 4);
    return !(word & 0x80808080u) && !HasZeroByte(word ^ spread);
}

}  // namespace velmora::commands
