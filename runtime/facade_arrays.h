// Array variables for the program's routines. Appending and resizing happen
// in place, as compiled code does them, through the runtime interface only.
#pragma once
#include <cstring>
#include <utility>
#include "runtime/calling.h"
#include "runtime/error_report.h"
#include "runtime/facade.h"

namespace velmora::routine {

// Appends one element to the array held by the variable: numbers by value,
// a text or byte set as a new copy (an empty one as null).
inline void AppendElement(ArrayBlock** variable, uint32_t elementType, const ValueRecord& value) {
    bool ownsElements = elementType == Type::Text || elementType == Type::ByteSet;
    uint32_t size = ownsElements ? 4 : ElementSize(elementType);
    CallProgramService(ProgramService::MakeArrayWritable, size, reinterpret_cast<uint32_t>(variable));
    ArrayBlock* array = *variable;
    uint32_t count = ArrayElementCount(array);
    uint32_t newSize = 8 + (count + 1) * size;
    if (array && array[0] > 1) {
        // Several dimensions: move the elements behind the one-dimension
        // header before the block may shrink.
        std::memmove(array + 2, array + 1 + array[0], count * size);
    }
    // An array without dimensions has no room for the header yet: resizing first covers it.
    array = static_cast<ArrayBlock*>(rt().ReallocMemory(array, newSize));
    array[0] = 1;
    array[1] = count + 1;
    uint8_t* slot = reinterpret_cast<uint8_t*>(array + 2) + count * size;
    if (ownsElements) {
        void* copy = nullptr;
        if (elementType == Type::Text) {
            const char* text = AsText(value);
            size_t length = text ? std::strlen(text) : 0;
            if (length) copy = std::memcpy(rt().AllocMemory(length + 1), text, length + 1);
        } else if (uint32_t length = ByteSetLengthOrZero(AsByteSet(value))) {
            copy = std::memcpy(rt().AllocMemory(8 + length), AsByteSet(value), 8 + length);
        }
        std::memcpy(slot, &copy, 4);
    } else {
        std::memcpy(slot, &value.low, size);
    }
    *variable = array;
}

// A one-dimensional array variable of texts (owning its elements) or numbers.
template <uint32_t ElementTypeCode>
class Array {
public:
    static constexpr bool ownsElements = ElementTypeCode == Type::Text || ElementTypeCode == Type::ByteSet;

    Array() = default;
    explicit Array(ArrayBlock* owned) : block_(owned) {}
    static Array FromResult(const ValueRecord& result) { return Array(reinterpret_cast<ArrayBlock*>(result.low)); }
    Array(Array&& other) noexcept : block_(std::exchange(other.block_, nullptr)) {}
    Array& operator=(Array&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.block_, nullptr));
        return *this;
    }
    Array(const Array&) = delete;
    Array& operator=(const Array&) = delete;
    ~Array() { Reset(nullptr); }

    uint32_t Count() const { return ArrayElementCount(block_); }
    // Elements are numbered from 1, as the routines number them.
    uint32_t& Word(uint32_t number) { return Elements()[number - 1]; }
    const char* TextAt(uint32_t number) const { return reinterpret_cast<const char*>(Elements()[number - 1]); }

    void Append(const ValueRecord& value) { AppendElement(&block_, ElementTypeCode, value); }
    void AppendText(const char* text) { Append({reinterpret_cast<uint32_t>(text), 0, Type::Text}); }
    void AppendInt(int32_t value) { Append({static_cast<uint32_t>(value), 0, Type::Integer}); }
    // Stores a copy of the text as element `number` (an empty text as null), freeing the old one.
    void SetText(uint32_t number, const char* text)
        requires(ElementTypeCode == Type::Text)
    {
        size_t length = text ? std::strlen(text) : 0;
        void* copy = length ? std::memcpy(rt().AllocMemory(static_cast<uint32_t>(length) + 1), text, length + 1) : nullptr;
        void* old = reinterpret_cast<void*>(Word(number));
        Word(number) = reinterpret_cast<uint32_t>(copy);
        rt().FreeMemory(old);
    }

    // Redimensions to one dimension of n zero elements; a negative n, or one
    // whose block would not fit in 32 bits, is runtime error 10.
    void Resize(int32_t count) {
        uint32_t size = ownsElements ? 4 : ElementSize(ElementTypeCode);
        if (count < 0 || static_cast<uint32_t>(count) > (UINT32_MAX - 8) / size)
            rt().ReportRuntimeError(RuntimeErrorRedimension);
        auto* fresh = static_cast<ArrayBlock*>(rt().AllocMemory(8 + static_cast<uint32_t>(count) * size));
        fresh[0] = 1;
        fresh[1] = static_cast<uint32_t>(count);
        std::memset(fresh + 2, 0, static_cast<uint32_t>(count) * size);
        Reset(fresh);
    }

    void Reset(ArrayBlock* owned) {
        ArrayBlock* old = std::exchange(block_, owned);
        if (!old) return;
        if constexpr (ownsElements) {
            void* first = nullptr;
            uint32_t count = ArrayElementCount(old, &first);
            for (uint32_t i = 0; i < count; ++i) rt().FreeMemory(static_cast<void**>(first)[i]);
        }
        rt().FreeMemory(old);
    }
    const ArrayBlock* Get() const { return block_; }
    ArrayBlock** Address() { return &block_; }

private:
    uint32_t* Elements() const {
        void* first = nullptr;
        ArrayElementCount(block_, &first);
        return static_cast<uint32_t*>(first);
    }
    ArrayBlock* block_ = nullptr;
};

using TextArray = Array<Type::Text>;
using IntArray = Array<Type::Integer>;

}  // namespace velmora::routine
