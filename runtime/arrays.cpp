#include "runtime/arrays.h"
#include <cstring>
#include "runtime/calling.h"
#include "runtime/memory.h"

namespace velmora {
namespace {

bool OwnsElements(uint32_t elementType) {
    return elementType == Type::Text || elementType == Type::ByteSet;
}

}  // namespace

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
