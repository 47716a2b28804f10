// The typed facade: array variables appended and resized as compiled code does it.
#include <gtest/gtest.h>
#include <windows.h>
#include "runtime/facade_arrays.h"
#include "runtime/memory.h"
#include "tests/runtime/test_program.h"

namespace velmora {
namespace {

using testing::testConstants;

uint32_t TextRecordLow(const char* text) { return reinterpret_cast<uint32_t>(text); }

TEST(ArrayAppend, TextsAreCopiedAndEmptyOnesStoredAsNull) {
    ArrayBlock* array = const_cast<ArrayBlock*>(testConstants.emptyByteSet);  // the {1, 0} image
    char source[] = "picture";
    routine::AppendElement(&array, Type::Text, {TextRecordLow(source), 0, Type::Text});
    routine::AppendElement(&array, Type::Text, {TextRecordLow(""), 0, Type::Text});
    routine::AppendElement(&array, Type::Text, {TextRecordLow("名字"), 0, Type::Text});
    ASSERT_FALSE(IsConstantPointer(array));
    EXPECT_EQ(testConstants.emptyByteSet[1], 0u) << "the constant image must stay empty";

    void* first = nullptr;
    ASSERT_EQ(ArrayElementCount(array, &first), 3u);
    auto** elements = static_cast<char**>(first);
    EXPECT_STREQ(elements[0], "picture");
    EXPECT_NE(elements[0], source);
    EXPECT_EQ(elements[1], nullptr);
    EXPECT_STREQ(elements[2], "名字");
    EXPECT_EQ(HeapSize(GetProcessHeap(), 0, array), 8u + 3 * 4);
    routine::TextArray owner(array);  // frees the elements, then the block
}

TEST(ArrayAppend, NumbersAppendAfterTheImageAndSeveralDimensionsFlatten) {
    ArrayBlock* ten = const_cast<ArrayBlock*>(testConstants.tenIntegers);
    routine::AppendElement(&ten, Type::Integer, {42, 0, Type::Integer});
    ASSERT_EQ(ArrayElementCount(ten), 11u);
    EXPECT_EQ(ten[2 + 10], 42u);
    EXPECT_EQ(testConstants.tenIntegers[1], 10u);
    FreeMemory(ten);

    ArrayBlock* grid = const_cast<ArrayBlock*>(testConstants.twoByThree);
    routine::AppendElement(&grid, Type::Integer, {7, 0, Type::Integer});
    ASSERT_EQ(grid[0], 1u);
    ASSERT_EQ(grid[1], 7u);
    for (uint32_t i = 0; i < 7; ++i) EXPECT_EQ(grid[2 + i], i + 1);
    FreeMemory(grid);

    ArrayBlock* none = nullptr;
    routine::AppendElement(&none, Type::Long, {1, 2, Type::Long});
    ASSERT_EQ(ArrayElementCount(none), 1u);
    EXPECT_EQ(none[2], 1u);
    EXPECT_EQ(none[3], 2u);
    FreeMemory(none);
}

TEST(ArrayVariables, ResizeZeroesAndOwnedTextsAreFreedWithTheArray) {
    routine::IntArray handles;
    handles.Resize(3);
    ASSERT_EQ(handles.Count(), 3u);
    handles.Word(3) = 9;
    handles.Resize(2);
    EXPECT_EQ(handles.Count(), 2u);
    EXPECT_EQ(handles.Word(1) + handles.Word(2), 0u);

    routine::TextArray names;
    names.AppendText("a");
    names.AppendText("");
    names.AppendText("中");
    ASSERT_EQ(names.Count(), 3u);
    EXPECT_STREQ(names.TextAt(1), "a");
    EXPECT_EQ(names.TextAt(2), nullptr);
    EXPECT_STREQ(names.TextAt(3), "中");
    routine::TextArray moved = std::move(names);
    EXPECT_EQ(names.Count(), 0u);
    EXPECT_EQ(moved.Count(), 3u);
}

}  // namespace
}  // namespace velmora
