// The runtime heap and the constant-pointer rule.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include "runtime/memory.h"
#include "runtime/runtime_app.h"
#include "tests/runtime/test_program.h"

namespace velmora {
namespace {

using testing::testConstants;

TEST(ConstantPointers, FreeingALiteralLeavesItUsable) {
    char* literal = const_cast<char*>(testConstants.literal);
    FreeMemory(literal);
    FreeMemory(nullptr);
    EXPECT_STREQ(literal, "literal");
    EXPECT_TRUE(IsConstantPointer(literal));
    EXPECT_FALSE(IsConstantPointer(reinterpret_cast<const char*>(&testConstants) + sizeof testConstants));
}

TEST(ConstantPointers, ReallocCopiesALiteralIntoANewBlock) {
    char* literal = const_cast<char*>(testConstants.literal);
    auto* copy = static_cast<char*>(ReallocMemory(literal, 8));
    ASSERT_NE(copy, literal);
    EXPECT_FALSE(IsConstantPointer(copy));
    EXPECT_STREQ(copy, "literal");
    EXPECT_STREQ(literal, "literal");
    FreeMemory(copy);
}

TEST(ConstantPointers, ReallocBeyondTheRangeCopiesOnlyUpToItsEnd) {
    // A constant range that ends right before an inaccessible page: a copy that
    // read past the range's end would fault.
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    auto* pages = static_cast<uint8_t*>(
        VirtualAlloc(nullptr, 2 * system.dwPageSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    ASSERT_NE(pages, nullptr);
    DWORD old;
    VirtualProtect(pages + system.dwPageSize, system.dwPageSize, PAGE_NOACCESS, &old);
    uint8_t* tail = pages + system.dwPageSize - 4;
    std::memcpy(tail, "abc", 4);
    AddConstantRange(pages, system.dwPageSize);

    auto* copy = static_cast<char*>(ReallocMemory(tail, 4096));
    EXPECT_STREQ(copy, "abc");
    FreeMemory(copy);

    RemoveConstantRange(pages);
    VirtualFree(pages, 0, MEM_RELEASE);
}

TEST(HeapBlocks, ZeroBytesStillGiveABlockAndReallocKeepsContent) {
    void* empty = AllocMemory(0);
    ASSERT_NE(empty, nullptr);
    FreeMemory(empty);

    auto* text = static_cast<char*>(ReallocMemory(nullptr, 4));
    std::memcpy(text, "xyz", 4);
    text = static_cast<char*>(ReallocMemory(text, 100000));
    EXPECT_STREQ(text, "xyz");
    FreeMemory(text);
}

TEST(MakeArrayWritable, CopiesAConstantImageAndLeavesHeapArraysAlone) {
    auto* image = const_cast<ArrayBlock*>(testConstants.tenIntegers);
    ArrayBlock* variable = image;
    MakeArrayWritable(4, &variable);
    ASSERT_NE(variable, image);
    EXPECT_EQ(HeapSize(GetProcessHeap(), 0, variable), 48u);
    EXPECT_EQ(std::memcmp(variable, image, 48), 0);

    ArrayBlock* heapArray = variable;
    MakeArrayWritable(4, &variable);
    EXPECT_EQ(variable, heapArray);
    FreeMemory(variable);

    ArrayBlock* none = nullptr;
    MakeArrayWritable(4, &none);
    EXPECT_EQ(none, nullptr);
}

}  // namespace
}  // namespace velmora
