// Freeing arrays, and the raw bytes of values.
#pragma once
#include <cstdint>
#include "runtime/value.h"

namespace velmora {

// Frees an array; text and byte-set arrays free their elements first.
void FreeArray(uint32_t arrayType, ArrayBlock* array);

// The bytes a value stands for: texts with their terminator, byte sets their data.
struct RawBytes {
    const uint8_t* data;
    uint32_t size;
};
RawBytes RawValueBytes(const ValueRecord& value);

}  // namespace velmora
