// Type codes, the calling convention, the compiled-code helpers and arrays.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <cfenv>
#include <cstring>
#include <initializer_list>
#include "commands/core_commands.h"
#include "runtime/arrays.h"
#include "runtime/calling.h"
#include "runtime/error_report.h"
#include "runtime/memory.h"
#include "runtime/platform_text.h"
#include "runtime/runtime_app.h"
#include "runtime/runtime_services.h"
#include "tests/runtime/test_program.h"

namespace velmora {
namespace {

using testing::testConstants;

// What a program sees of the type codes: an array of each number type holds
// its elements at that type's width, a basic value is bytes of its own, and
// an array or a library-defined value is no number, whatever its code ends in.
TEST(TypeCodes, NumbersHaveTheirWidthAndNothingElseIsANumber) {
    const struct {
        uint32_t type;
        size_t width;
    } numbers[] = {{Type::Byte, 1}, {Type::Short, 2}, {Type::Integer, 4}, {Type::Long, 8}, {Type::Float, 4},
                   {Type::Double, 8}};
    for (const auto& number : numbers) {
        const ArrayBlock threeElements[] = {1, 3, 0x04030201, 0x08070605, 0x0C0B0A09, 0x100F0E0D, 0x14131211, 0x18171615};
        ValueRecord array{reinterpret_cast<uint32_t>(threeElements), 0, number.type | Type::ArrayBit};
        ValueRecord bytes = CallCoreCommand(commands::ToByteSet, 1, &array);
        const auto* block = reinterpret_cast<const ByteSetBlock*>(bytes.low);
        ASSERT_NE(block, nullptr) << std::hex << number.type;
        EXPECT_EQ(block->length, 3 * number.width) << std::hex << number.type << ": three elements at its width";
        EXPECT_EQ(block->data()[0], 1);
        FreeMemory(const_cast<ByteSetBlock*>(block));
        ValueRecord asNumber = array;
        EXPECT_EQ(CallCoreCommand(commands::ToInteger, 1, &asNumber).low, 0u) << std::hex << number.type << ": an array is no number";
    }
    for (uint32_t notANumber : {Type::DateTime, 0x80000701u, 0x00010005u, 0xC0000001u, 0x40000001u}) {
        ValueRecord value{7, 0, notANumber};
        EXPECT_EQ(CallCoreCommand(commands::ToInteger, 1, &value).low, 0u) << std::hex << notANumber;
    }
    for (uint32_t libraryDefined : {0x00010005u, 0xC0000001u, 0x40000001u}) {
        ValueRecord value{7, 0, libraryDefined};
        EXPECT_EQ(CallCoreCommand(commands::ToByteSet, 1, &value).low, 0u)
            << std::hex << libraryDefined << ": a library's value has no bytes a program may take";
    }
}

void WritesNothing(ValueRecord*, int32_t, ValueRecord*) {}

void CountsArguments(ValueRecord* result, int32_t count, ValueRecord* arguments) {
    result->low = static_cast<uint32_t>(count) + arguments[0].low;
}

// A command that has nothing to answer gives the program the empty value of
// every kind (no text, no bytes, 0), not what the result record held before;
// a library command is told how many arguments it was given.
TEST(CallingConvention, ACommandThatAnswersNothingGivesEmptyValues) {
    ValueRecord unset{reinterpret_cast<uint32_t>("VELMORA_NO_SUCH_VARIABLE_EVER"), 0, Type::Text};
    for (ValueRecord answer : {CallCoreCommand(commands::ReadEnvironment, 1, &unset),
                               CallCoreCommand(WritesNothing, 1, &unset)}) {
        EXPECT_EQ(answer.low, 0u) << "no text";
        EXPECT_EQ(answer.high, 0u);
        EXPECT_EQ(answer.type, 0u);
    }
    ValueRecord arguments[1] = {{7, 0, Type::Integer}};
    EXPECT_EQ(CallLibraryCommand(CountsArguments, 3, 1, arguments).low, 8u);
}

TEST(Helpers, ElementCountsAndTextLengths) {
    const ArrayBlock threeDims[] = {3, 2, 3, 4};
    const ArrayBlock empty[] = {1, 0};
    const ArrayBlock noDims[] = {0};
    void* first = nullptr;
    EXPECT_EQ(ArrayElementCount(threeDims, &first), 24u);
    EXPECT_EQ(first, threeDims + 4);
    const ArrayBlock twoDims[] = {2, 3, 4};
    EXPECT_EQ(ArrayElementCount(twoDims), 12u);
    EXPECT_EQ(ArrayElementCount(empty), 0u);
    EXPECT_EQ(ArrayElementCount(noDims), 0u);
    EXPECT_EQ(ArrayElementCount(nullptr, &first), 0u);
    EXPECT_EQ(first, nullptr);
    EXPECT_EQ(TextLengthOrZero(nullptr), 0u);
    EXPECT_EQ(TextLengthOrZero("中文"), 4u);
}

TEST(Helpers, ConcatTextsAlwaysGivesABlock) {
    const char* empties[] = {nullptr, ""};
    char* joined = ConcatTexts(2, empties);
    ASSERT_NE(joined, nullptr);
    EXPECT_EQ(HeapSize(GetProcessHeap(), 0, joined), 1u);
    EXPECT_EQ(joined[0], '\0');
    FreeMemory(joined);

    const char* parts[] = {"ab", nullptr, "", "中c"};
    joined = ConcatTexts(4, parts);
    EXPECT_STREQ(joined, "ab中c");
    FreeMemory(joined);
}

TEST(Helpers, TruncateToLongIgnoresTheRoundingMode) {
    std::fesetround(FE_TONEAREST);
    volatile double negative = -2.7, positive = 2.7, big = 5e15 + 0.5;
    EXPECT_EQ(TruncateToLong(negative), -2);
    EXPECT_EQ(TruncateToLong(positive), 2);
    EXPECT_EQ(TruncateToLong(big), 5000000000000000LL);
    std::fesetround(FE_UPWARD);
    EXPECT_EQ(TruncateToLong(negative), -2);
    std::fesetround(FE_TONEAREST);

    uint32_t words[3] = {1, 2, 3};
    ZeroWords(words, 2);
    EXPECT_EQ(words[0] + words[1], 0u);
    EXPECT_EQ(words[2], 3u);
}

uint32_t TextRecordLow(const char* text) { return reinterpret_cast<uint32_t>(text); }

// Blocks the runtime heap holds; counted because ctest runs this binary with
// VELMORA_HEAP_STATISTICS set.
int64_t LiveBlocks() { return RuntimeHeapStatistics().liveBlocks; }
bool HeapCounts() {
    int64_t before = LiveBlocks();
    void* probe = AllocMemory(1);
    bool counted = LiveBlocks() == before + 1;
    FreeMemory(probe);
    return counted;
}

uint32_t HeapBlock(const char* text) {
    auto* block = static_cast<char*>(AllocMemory(static_cast<uint32_t>(std::strlen(text) + 1)));
    std::strcpy(block, text);
    return reinterpret_cast<uint32_t>(block);
}

ArrayBlock* OneDimension(std::initializer_list<uint32_t> elements) {
    auto* array = static_cast<ArrayBlock*>(AllocMemory(static_cast<uint32_t>(8 + 4 * elements.size())));
    array[0] = 1;
    array[1] = static_cast<uint32_t>(elements.size());
    std::copy(elements.begin(), elements.end(), array + 2);
    return array;
}

void FreeThroughTheService(uint32_t type, ArrayBlock* array) {
    RuntimeService(Service::FreeArray, type, reinterpret_cast<uint32_t>(array));
}

TEST(ArrayFree, TextAndByteSetArraysFreeTheirElementsThenTheBlock) {
    ASSERT_TRUE(HeapCounts()) << "the heap counts blocks only with VELMORA_HEAP_STATISTICS set";
    int64_t before = LiveBlocks();
    ArrayBlock* texts = OneDimension({HeapBlock("a"), 0, TextRecordLow(testConstants.literal), HeapBlock("b")});
    ASSERT_EQ(LiveBlocks(), before + 3);
    FreeThroughTheService(Type::Text | Type::ArrayBit, texts);
    EXPECT_EQ(LiveBlocks(), before) << "both texts and the block; the literal and the null are left alone";

    ArrayBlock* byteSets = OneDimension({HeapBlock("1234567"), HeapBlock("")});
    FreeThroughTheService(Type::ByteSet | Type::ArrayBit, byteSets);
    EXPECT_EQ(LiveBlocks(), before);
}

TEST(ArrayFree, ArraysOfNullsOrNumbersFreeOnlyTheBlock) {
    ASSERT_TRUE(HeapCounts()) << "the heap counts blocks only with VELMORA_HEAP_STATISTICS set";
    int64_t before = LiveBlocks();
    FreeThroughTheService(Type::Text | Type::ArrayBit, OneDimension({0, 0}));
    EXPECT_EQ(LiveBlocks(), before);

    // A number that happens to hold a block's address is still only a number.
    uint32_t kept = HeapBlock("kept");
    FreeThroughTheService(Type::Integer | Type::ArrayBit, OneDimension({kept, 7}));
    EXPECT_EQ(LiveBlocks(), before + 1);
    EXPECT_STREQ(reinterpret_cast<const char*>(kept), "kept");
    FreeMemory(reinterpret_cast<void*>(kept));
}

TEST(RawBytes, EachTypeGivesItsBytes) {
    EXPECT_EQ(RawValueBytes({1, 0, Type::Logical}).size, 4u);
    EXPECT_EQ(RawValueBytes({1, 0, Type::Double}).size, 8u);
    EXPECT_EQ(RawValueBytes({1, 0, Type::Unnamed8}).size, 8u);
    EXPECT_EQ(RawValueBytes({1, 0, Type::Byte}).size, 1u);
    EXPECT_EQ(RawValueBytes({1, 0, Type::Short}).size, 2u);
    EXPECT_EQ(RawValueBytes({TextRecordLow("abc"), 0, Type::Text}).size, 4u) << "with the terminator";
    const uint32_t bytes[] = {1, 3, 0x00636261};
    RawBytes raw = RawValueBytes({reinterpret_cast<uint32_t>(bytes), 0, Type::ByteSet});
    EXPECT_EQ(raw.size, 3u);
    EXPECT_EQ(std::memcmp(raw.data, "abc", 3), 0);
    EXPECT_EQ(RawValueBytes({1, 0, 0x00010005}).size, 0u);
}

TEST(RuntimeServices, MemoryThroughTheServiceEntry) {
    auto* block = reinterpret_cast<char*>(RuntimeService(Service::Allocate, 16, 0));
    ASSERT_NE(block, nullptr);
    std::strcpy(block, "abc");
    block = reinterpret_cast<char*>(RuntimeService(Service::Reallocate, reinterpret_cast<uint32_t>(block), 64));
    EXPECT_STREQ(block, "abc");
    RuntimeService(Service::Free, reinterpret_cast<uint32_t>(block), 0);
    EXPECT_EQ(RuntimeService(Service::Allocate, 0xFFFFFFF0u, 1), 0) << "may-fail allocation reports null";
}

ValueRecord SingleOf(float value) {
    ValueRecord record{0, 0, Type::Float};
    std::memcpy(&record.low, &value, 4);
    return record;
}
ValueRecord DoubleOf(double value) {
    ValueRecord record{0, 0, Type::Double};
    std::memcpy(&record.low, &value, 8);
    return record;
}

TEST(RuntimeServices, ConvertingToIntegerTreatsEachNumberAsToIntegerDoes) {
    const struct {
        ValueRecord value;
        int32_t expected;
    } cases[] = {
        {{0x1FF, 0, Type::Byte}, 255},
        {{0xFFFF, 0, Type::Short}, -1},
        {{0x80000000u, 0, Type::Integer}, INT32_MIN},
        {{5, 9, Type::Long}, 5},
        {SingleOf(-3.5f), -3},
        {SingleOf(2.99f), 2},
        {DoubleOf(-2.9), -2},
        {DoubleOf(1e10), INT32_MIN},
    };
    for (auto [value, expected] : cases) {
        EXPECT_EQ(RuntimeService(Service::ToInteger, reinterpret_cast<uint32_t>(&value), 0), expected) << std::hex << value.type;
        ValueRecord argument = value;
        EXPECT_EQ(static_cast<int32_t>(CallCoreCommand(commands::ToInteger, 1, &argument).low), expected)
            << std::hex << value.type;
    }
}

// Program texts (code page 936) at the platform's wide functions, on any
// system code page: 936 text reads as 936 reads it; whatever 936 lacks comes
// back from a round trip as it went.
TEST(PlatformText, CodePage936ExactlyAndEveryOtherCharacterRoundTrips) {
    struct Row {
        const char* name;
        std::string text;   // the program's bytes
        std::wstring wide;  // the platform's text
    };
    const Row rows[] = {
        {"ASCII", "C:\\users\\x", L"C:\\users\\x"},
        {"Chinese", "\xCF\xC2\xD4\xD8", L"\u4E0B\u8F7D"},
        {"a trail byte that is a backslash", "\x81\x5C", L"\u4E57"},
        {"the euro of 936, a single byte", "\x80", L"\u20AC"},
        {"a letter 936 lacks (Zoe with a diaeresis)", "Zo\x84\x31\xBC\x35", std::wstring(L"Zo") + wchar_t(0xEB)},
        {"a character beyond the BMP", "\x94\x39\xFC\x36", L"\U0001F600"},
        {"a lone surrogate", "\x88\x35\x96\x36", std::wstring(1, wchar_t(0xD800))},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(WideFromText(row.text), row.wide) << row.name;
        EXPECT_EQ(TextFromWide(row.wide), row.text) << row.name;
        wchar_t buffer[16];
        EXPECT_EQ(WideFromTextInto(row.text, buffer, 16), row.wide.size()) << row.name;
        EXPECT_EQ(std::wstring(buffer), row.wide) << row.name;
    }
    // A room too small: what fits, cut at a character, and nothing after the cut.
    wchar_t small[4];
    EXPECT_EQ(WideFromTextInto("abcdef", small, 4), 3u);
    EXPECT_STREQ(small, L"abc");
    EXPECT_EQ(WideFromTextInto("a\xCF\xC2\xD4\xD8", small, 3), 2u);
    EXPECT_STREQ(small, L"a\u4E0B");
    EXPECT_EQ(WideFromTextInto("abc\x84\x31\xBC\x35", small, 4), 3u) << "the letter after the cut is not written";
    // Four bytes that are GB18030's own BMP code, not ours, read as 936 reads them.
    const std::string own = "\x81\x30\x81\x30";
    wchar_t byCodePage[8] = {};
    int units = MultiByteToWideChar(936, 0, own.data(), 4, byCodePage, 8);
    EXPECT_EQ(WideFromText(own), std::wstring(byCodePage, static_cast<size_t>(units)));
    // Every BMP character and a few beyond it: text, then back.
    std::wstring all;
    for (uint32_t unit = 1; unit <= 0xFFFF; ++unit) all += static_cast<wchar_t>(unit);
    all += L"\U00010000\U0010FFFF";
    EXPECT_TRUE(WideFromText(TextFromWide(all)) == all);
}

TEST(ErrorBox, TextsForCodesAndMessages) {
    EXPECT_EQ(ErrorBoxText("", 0), "运行时出错!\r\n\r\n");
    EXPECT_EQ(ErrorBoxText("坏了", 0), "运行时出错!\r\n\r\n错误信息：坏了\r\n");
    EXPECT_EQ(ErrorBoxText("调用DLL命令后发现堆栈错误", 6),
              "运行时出错!\r\n\r\n错误代码：6\r\n\r\n错误信息：调用DLL命令后发现堆栈错误\r\n");
    EXPECT_EQ(ErrorBoxText(nullptr, 12), "运行时出错!\r\n\r\n错误代码：12\r\n\r\n");
}

}  // namespace
}  // namespace velmora
