#include "runtime/arrays.h"
#include <cstring>
#include "runtime/calling.h"
#include "runtime/memory.h"

namespace velmora {
namespace {

bool OwnsElements(uint32_t elementType) {
    return elementType == Type::Text || elementType == Type::ByteSet;
}

uint32_t StoredElementSize(uint32_t elementType) {
    return OwnsElements(elementType) ? 4 : ElementSize(elementType);
}

void* CopyText(const char* text) {
    uint32_t length = TextLengthOrZero(text);
    if (length == 0) return nullptr;
    void* copy = AllocMemory(length + 1);
    std::memcpy(copy, text, length + 1);
    return copy;
}

void* CopyByteSet(const ByteSetBlock* bytes) {
    uint32_t length = ByteSetLengthOrZero(bytes);
    if (length == 0) return nullptr;
    void* copy = AllocMemory(8 + length);
    std::memcpy(copy, bytes, 8 + length);
    return copy;
}

}  // namespace

void AppendArrayElement(ArrayBlock** arrayVariable, uint32_t elementType, const ValueRecord& value) {
    uint32_t size = StoredElementSize(elementType);
    MakeArrayWritable(size, arrayVariable);
    ArrayBlock* array = *arrayVariable;
    uint32_t count = ArrayElementCount(array);
    uint32_t newSize = 8 + (count + 1) * size;
    if (!array || array[0] == 0) {
        // No room for a one-dimension header yet: grow first.
        array = static_cast<ArrayBlock*>(ReallocMemory(array, newSize));
    } else {
        // Several dimensions: move the elements down behind the shorter header
        // before the block may shrink.
        if (array[0] > 1) std::memmove(array + 2, array + 1 + array[0], count * size);
        array[0] = 1;
        array[1] = count + 1;
        array = static_cast<ArrayBlock*>(ReallocMemory(array, newSize));
    }
    array[0] = 1;
    array[1] = count + 1;
    uint8_t* slot = reinterpret_cast<uint8_t*>(array + 2) + count * size;
    if (elementType == Type::Text) {
        void* copy = CopyText(AsText(value));
        std::memcpy(slot, &copy, 4);
    } else if (elementType == Type::ByteSet) {
        void* copy = CopyByteSet(AsByteSet(value));
        std::memcpy(slot, &copy, 4);
    } else {
        std::memcpy(slot, &value.low, size);
    }
    *arrayVariable = array;
}

void FreeArray(uint32_t arrayType, ArrayBlock* array) {
    if (!array) return;
    void* first = nullptr;
    uint32_t count = ArrayElementCount(array, &first);
    if (OwnsElements(ElementType(arrayType)) && !IsConstantPointer(array)) {
        auto** elements = static_cast<void**>(first);
        for (uint32_t i = 0; i < count; ++i) FreeMemory(elements[i]);
    }
    FreeMemory(array);
}

RawBytes RawValueBytes(const ValueRecord& value) {
    const auto* words = reinterpret_cast<const uint8_t*>(&value.low);
    switch (value.type) {
        case Type::Logical:
        case Type::Integer:
        case Type::Float:
        case Type::SubroutinePointer:
            return {words, 4};
        case Type::Long:
        case Type::Double:
        case Type::DateTime:
        case Type::Unnamed8:
            return {words, 8};
        case Type::Byte:
            return {words, 1};
        case Type::Short:
            return {words, 2};
        case Type::Text: {
            const char* text = AsText(value);
            if (!text) return {nullptr, 0};
            return {reinterpret_cast<const uint8_t*>(text), TextLengthOrZero(text) + 1};
        }
        case Type::ByteSet: {
            const ByteSetBlock* bytes = AsByteSet(value);
            if (!bytes) return {nullptr, 0};
            return {bytes->data(), bytes->length};
        }
        default:
            return {nullptr, 0};
    }
}

}  // namespace velmora
