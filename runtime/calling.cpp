#include "runtime/calling.h"
#include <cstring>
#include <new>
#include <stdexcept>
#include "runtime/memory.h"

namespace velmora {

double AsDouble(const ValueRecord& v) {
    uint64_t bits = (static_cast<uint64_t>(v.high) << 32) | v.low;
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

float AsFloat(const ValueRecord& v) {
    float value;
    std::memcpy(&value, &v.low, sizeof value);
    return value;
}

namespace {

int32_t TruncateToInt(double value) {
    // Out of range (and NaN) gives what the FPU's integer store gives.
    if (!(value > -2147483649.0 && value < 2147483648.0)) return INT32_MIN;
    return static_cast<int32_t>(value);
}

}  // namespace

int32_t NumberToInteger(const ValueRecord& v) {
    switch (v.type) {
        case Type::Byte:
            return static_cast<int32_t>(v.low & 0xFF);
        case Type::Short:
            return static_cast<int16_t>(v.low);
        case Type::Float:
            return TruncateToInt(AsFloat(v));
        case Type::Double:
            return TruncateToInt(AsDouble(v));
        default:  // Integer, and Long's low word
            return static_cast<int32_t>(v.low);
    }
}

ValueRecord CallCoreCommand(Command command, int32_t argumentCount, ValueRecord* arguments) {
    ValueRecord result{0, 0, 0};
    try {
        command(&result, argumentCount, arguments);
    } catch (const std::bad_alloc&) {
        // A refused C++ allocation is reported where it happens; what still
        // arrives here asked for more than can ever be had (a container past
        // its largest size, an array of negative length).
        ReportOutOfMemory(0xFFFFFFFFu);
    } catch (const std::length_error&) {
        ReportOutOfMemory(0xFFFFFFFFu);
    }
    return result;
}

ValueRecord CallLibraryCommand(Command command, int32_t, int32_t argumentCount,
                               ValueRecord* arguments) {
    return CallCoreCommand(command, argumentCount, arguments);
}

uint32_t ArrayElementCount(const ArrayBlock* array, void** firstElement) {
    if (firstElement) *firstElement = nullptr;
    if (!array || array[0] == 0) return 0;
    uint32_t dimensions = array[0];
    uint32_t count = 1;
    for (uint32_t i = 0; i < dimensions; ++i) count *= array[1 + i];
    if (firstElement) *firstElement = const_cast<ArrayBlock*>(array + 1 + dimensions);
    return count;
}

uint32_t TextLengthOrZero(const char* text) { return text ? static_cast<uint32_t>(std::strlen(text)) : 0; }

char* ConcatTexts(int32_t count, const char* const* parts) {
    uint32_t total = 0;
    for (int32_t i = 0; i < count; ++i) total += TextLengthOrZero(parts[i]);
    char* result = static_cast<char*>(AllocMemory(total + 1));
    char* out = result;
    for (int32_t i = 0; i < count; ++i) {
        uint32_t length = TextLengthOrZero(parts[i]);
        std::memcpy(out, parts[i], length);
        out += length;
    }
    *out = '\0';
    return result;
}

int64_t TruncateToLong(double value) { return static_cast<int64_t>(value); }

void ZeroWords(uint32_t* words, int32_t count) {
    for (int32_t i = 0; i < count; ++i) words[i] = 0;
}

}  // namespace velmora
