// Calling core commands from tests with literal arguments, and reading their
// results while checking the null-for-empty convention.
#pragma once
#include <gtest/gtest.h>
#include <cstring>
#include <deque>
#include <string>
#include <vector>
#include "commands/core_commands.h"
#include "runtime/calling.h"
#include "runtime/memory.h"

namespace velmora::testing {

inline ValueRecord T(const char* text) { return {reinterpret_cast<uint32_t>(text), 0, Type::Text}; }
inline ValueRecord I(int32_t value) { return {static_cast<uint32_t>(value), 0, Type::Integer}; }
inline ValueRecord L(bool value) { return {value ? 1u : 0u, 0, Type::Logical}; }
inline ValueRecord None() { return {0, 0, Type::None}; }
inline ValueRecord D(double value) {
    ValueRecord record{0, 0, Type::Double};
    std::memcpy(&record.low, &value, 8);
    return record;
}

// Byte sets (and other blocks) built for a test live until the test binary ends.
inline ValueRecord Block(uint32_t type, std::vector<uint32_t> words) {
    static std::deque<std::vector<uint32_t>> store;
    store.push_back(std::move(words));
    return {reinterpret_cast<uint32_t>(store.back().data()), 0, type};
}
inline ValueRecord B(const std::string& bytes) {
    std::vector<uint32_t> words(2 + (bytes.size() + 3) / 4);
    words[0] = 1;
    words[1] = static_cast<uint32_t>(bytes.size());
    std::memcpy(words.data() + 2, bytes.data(), bytes.size());
    return Block(Type::ByteSet, std::move(words));
}

template <class... Records>
ValueRecord Call(CoreCommandNumber number, Records... records) {
    ValueRecord arguments[sizeof...(Records) + 1] = {records...};
    ValueRecord result = CallCoreCommand(CoreCommand(number), static_cast<int32_t>(sizeof...(Records)), arguments);
    EXPECT_EQ(result.type, 0u) << "commands leave the type word 0";
    return result;
}

// A text result as a string; "(null)" marks the null text, and an empty heap
// block fails the test.
inline std::string TakeText(ValueRecord result) {
    auto* text = reinterpret_cast<char*>(result.low);
    if (!text) return "(null)";
    std::string value = text;
    EXPECT_FALSE(value.empty()) << "an empty result must be null, not a block";
    FreeMemory(text);
    return value;
}

inline std::string TakeBytes(ValueRecord result) {
    auto* bytes = reinterpret_cast<ByteSetBlock*>(result.low);
    if (!bytes) return "(null)";
    EXPECT_EQ(bytes->dimensions, 1u);
    EXPECT_NE(bytes->length, 0u) << "an empty byte set must be null";
    std::string value(reinterpret_cast<const char*>(bytes->data()), bytes->length);
    FreeMemory(bytes);
    return value;
}

inline std::vector<std::string> TakeTextArray(ValueRecord result) {
    auto* array = reinterpret_cast<uint32_t*>(result.low);
    EXPECT_NE(array, nullptr) << "an array result is always a block";
    std::vector<std::string> elements;
    if (!array) return elements;
    EXPECT_EQ(array[0], 1u);
    for (uint32_t i = 0; i < array[1]; ++i) {
        auto* element = reinterpret_cast<char*>(array[2 + i]);
        elements.push_back(element ? element : "(null)");
        if (element) {
            EXPECT_NE(element[0], '\0');
        }
        FreeMemory(element);
    }
    FreeMemory(array);
    return elements;
}

inline int32_t Int(ValueRecord result) { return static_cast<int32_t>(result.low); }

}  // namespace velmora::testing
