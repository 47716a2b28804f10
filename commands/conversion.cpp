// ToInteger, ToText, ToByteSet and BitOr.
#include <cmath>
#include <cstdio>
#include <string>
#include "commands/command_args.h"
#include "commands/core_commands.h"
#include "commands/date_time.h"
#include "commands/value_text.h"
#include "runtime/arrays.h"
#include "runtime/calling.h"

namespace velmora::commands {
namespace {

// Full-width digits, letters and signs become their ASCII forms before parsing.
std::string FullWidthToHalfWidth(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        auto lead = static_cast<uint8_t>(text[i]);
        if (!(lead & 0x80) || i + 1 >= text.size()) {
            out.push_back(text[i]);
            i += 1;
            continue;
        }
        auto trail = static_cast<uint8_t>(text[i + 1]);
        if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE)
            out.push_back(static_cast<char>(trail - 0x80));
        else if (lead == 0xA1 && trail == 0xA1)
            out.push_back(' ');
        else if (lead == 0xA1 && trail == 0xAB)
            out.push_back('~');
        else if (lead == 0xA1 && (trail == 0xEE || trail == 0xEF))
            out.push_back('*');
        else
            out.append(text.data() + i, 2);
        i += 2;
    }
    return out;
}

int32_t ParseInteger(std::string_view text) {
    std::string mapped = FullWidthToHalfWidth(text);
    size_t i = 0;
    auto isWhite = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (i < mapped.size() && isWhite(mapped[i])) ++i;
    bool negative = false;
    if (i < mapped.size() && (mapped[i] == '+' || mapped[i] == '-')) negative = mapped[i++] == '-';
    uint32_t value = 0;  // accumulates in 32 bits, wrapping
    for (; i < mapped.size() && mapped[i] >= '0' && mapped[i] <= '9'; ++i)
        value = value * 10 + static_cast<uint32_t>(mapped[i] - '0');
    return static_cast<int32_t>(negative ? 0u - value : value);
}

// The data bytes of a byte set, or of a numeric array's elements in order,
// whatever its dimensions (none: no bytes). A count whose bytes would pass
// 32 bits is no array this runtime made: no bytes.
std::string_view DataBytes(const ValueRecord& value) {
    if (value.type == Type::ByteSet) {
        const auto* bytes = AsByteSet(value);
        if (!bytes || bytes->length == 0) return {};
        return {reinterpret_cast<const char*>(bytes->data()), bytes->length};
    }
    const auto* array = reinterpret_cast<const ArrayBlock*>(value.low);
    if (!array || array[0] == 0) return {};
    // The dimensions multiplied in 64 bits: a product that wraps in 32 would
    // claim a small count for a huge block.
    uint64_t length = ElementSize(ElementType(value.type));
    for (uint32_t i = 0; i < array[0] && length != 0; ++i) {
        length *= array[1 + i];
        if (length > UINT32_MAX - 16) return {};
    }
    if (length == 0) return {};
    return {reinterpret_cast<const char*>(array + 1 + array[0]), static_cast<size_t>(length)};
}

bool IsNumericArray(uint32_t type) { return IsArrayType(type) && IsNumericType(ElementType(type)); }

std::string FormatFloat(float value) {
    // Six significant digits first, so a float's binary noise never shows.
    char rounded[32];
    std::snprintf(rounded, sizeof rounded, "%.5e", static_cast<double>(value));
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", std::strtod(rounded, nullptr));
    return text;
}

std::string NumberText(const ValueRecord& value) {
    char text[40];
    switch (value.type) {
        case Type::Byte:
            std::snprintf(text, sizeof text, "%u", value.low & 0xFF);
            return text;
        case Type::Short:
            std::snprintf(text, sizeof text, "%d", static_cast<int16_t>(value.low));
            return text;
        case Type::Integer:
            std::snprintf(text, sizeof text, "%d", static_cast<int32_t>(value.low));
            return text;
        case Type::Long:
            std::snprintf(text, sizeof text, "%lld", static_cast<long long>(AsLong(value)));
            return text;
        case Type::Float:
            return FormatFloat(AsFloat(value));
        default:
            std::snprintf(text, sizeof text, "%.13g", AsDouble(value));
            return text;
    }
}

}  // namespace

std::string ValueToText(const ValueRecord& value) {
    if (value.type == Type::Text) return std::string(Args(1, &value).Text(0));
    if (IsNumericType(value.type)) return NumberText(value);
    if (value.type == Type::Logical) return value.low ? "真" : "假";
    if (value.type == Type::DateTime) return DateTimeText(AsDouble(value));
    return {};
}

void ToInteger(ValueRecord* result, int32_t count, ValueRecord* arguments) {
    const ValueRecord& value = Args(count, arguments)[0];
    if (IsNumericType(value.type)) return SetInt(result, NumberToInteger(value));
    switch (value.type) {
        case Type::Logical:
        case Type::SubroutinePointer:
            return SetInt(result, static_cast<int32_t>(value.low));
        case Type::Text:
            return SetInt(result, ParseInteger(Args(1, &value).Text(0)));
        default:
            return;
    }
}

void ToText(ValueRecord* result, int32_t count, ValueRecord* arguments) {
    const ValueRecord& value = Args(count, arguments)[0];
    if (value.type == Type::ByteSet || IsNumericArray(value.type)) {
        std::string_view bytes = DataBytes(value);
        return SetText(result, bytes.substr(0, bytes.find('\0')));
    }
    if (IsArrayType(value.type)) return;
    SetText(result, ValueToText(value));
}

void ToByteSet(ValueRecord* result, int32_t count, ValueRecord* arguments) {
    const ValueRecord& value = Args(count, arguments)[0];
    if (IsNumericArray(value.type)) return SetByteSet(result, DataBytes(value));
    if (IsArrayType(value.type) || TypeClass(value.type) != 1) return;
    if (value.type == Type::Text) return SetByteSet(result, Args(1, &value).Text(0));
    RawBytes raw = RawValueBytes(value);
    SetByteSet(result, {reinterpret_cast<const char*>(raw.data), raw.size});
}

void BitOr(ValueRecord* result, int32_t count, ValueRecord* arguments) {
    uint32_t bits = 0;
    for (int32_t i = 0; i < count; ++i) bits |= arguments[i].low;
    result->low = bits;
}

}  // namespace velmora::commands
