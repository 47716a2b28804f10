// The one value record and the block layouts that cross between program
// routines, the runtime and the command libraries.
#pragma once
#include <cstddef>
#include <cstdint>

namespace velmora {

// Type codes. Class 1 (top bits 10) are the basic types; bit 29 marks arrays.
namespace Type {
constexpr uint32_t None = 0;
constexpr uint32_t Byte = 0x80000101;
constexpr uint32_t Short = 0x80000201;
constexpr uint32_t Integer = 0x80000301;
constexpr uint32_t Long = 0x80000401;
constexpr uint32_t Float = 0x80000501;
constexpr uint32_t Double = 0x80000601;
constexpr uint32_t Logical = 0x80000002;
constexpr uint32_t DateTime = 0x80000003;
constexpr uint32_t Text = 0x80000004;
constexpr uint32_t ByteSet = 0x80000005;
constexpr uint32_t SubroutinePointer = 0x80000006;
constexpr uint32_t Unnamed8 = 0x80000008;  // 8-byte basic type nothing here produces
constexpr uint32_t ArrayBit = 0x20000000;
}  // namespace Type

constexpr bool IsArrayType(uint32_t code) { return (code & Type::ArrayBit) != 0; }
constexpr uint32_t ElementType(uint32_t code) { return code & ~Type::ArrayBit; }

// 0 none, 1 basic, 2 (unused here), 3 library-defined (library << 16 | type).
constexpr int TypeClass(uint32_t code) {
    if (code == 0) return 0;
    switch (code >> 30) {
        case 2: return 1;
        case 1: return 2;
        default: return 3;
    }
}

// Only the six numeric codes have a size: an array of numbers, whose code
// ends in 0x01 too, is a pointer, and so is everything else.
constexpr uint32_t ElementSize(uint32_t code) {
    switch (code) {
        case Type::Byte: return 1;
        case Type::Short: return 2;
        case Type::Integer:
        case Type::Float: return 4;
        case Type::Long:
        case Type::Double: return 8;
        default: return 0;
    }
}

constexpr bool IsNumericType(uint32_t code) { return ElementSize(code) != 0; }

// Three words carry every argument and result: {low, high, type}.
struct ValueRecord {
    uint32_t low;
    uint32_t high;
    uint32_t type;
};
static_assert(sizeof(ValueRecord) == 12);
static_assert(offsetof(ValueRecord, low) == 0);
static_assert(offsetof(ValueRecord, high) == 4);
static_assert(offsetof(ValueRecord, type) == 8);

inline bool IsOmitted(const ValueRecord& v) { return v.type == Type::None; }
inline int32_t AsInt(const ValueRecord& v) { return static_cast<int32_t>(v.low); }
inline const char* AsText(const ValueRecord& v) { return reinterpret_cast<const char*>(v.low); }
inline int64_t AsLong(const ValueRecord& v) {
    return static_cast<int64_t>((static_cast<uint64_t>(v.high) << 32) | v.low);
}
double AsDouble(const ValueRecord& v);
float AsFloat(const ValueRecord& v);
// A numeric value as an Integer: Byte unsigned, Short sign-extended, Long its
// low word, Float and Double truncated toward zero (out of range gives INT32_MIN).
int32_t NumberToInteger(const ValueRecord& v);

// Byte set block: {1, length, bytes...}. Null is the empty byte set.
struct ByteSetBlock {
    uint32_t dimensions;  // always 1
    uint32_t length;
    uint8_t* data() { return reinterpret_cast<uint8_t*>(this + 1); }
    const uint8_t* data() const { return reinterpret_cast<const uint8_t*>(this + 1); }
};
static_assert(sizeof(ByteSetBlock) == 8);

inline const ByteSetBlock* AsByteSet(const ValueRecord& v) {
    return reinterpret_cast<const ByteSetBlock*>(v.low);
}
inline uint32_t ByteSetLengthOrZero(const ByteSetBlock* b) { return b ? b->length : 0; }

// Array block: {d, d sizes, elements}. Text and byte-set arrays own their elements.
using ArrayBlock = uint32_t;

// Command shape shared by every library command.
using Command = void (*)(ValueRecord* result, int32_t argumentCount, ValueRecord* arguments);

}  // namespace velmora
