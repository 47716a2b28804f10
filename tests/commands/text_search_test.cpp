// FindText and FindTextReverse.
#include "tests/commands/command_test_support.h"

namespace velmora::testing {
namespace {

int32_t Find(const char* text, const char* sought, ValueRecord start = None(), bool ignoreCase = false) {
    return Int(Call(CmdFindText, T(text), T(sought), start, L(ignoreCase)));
}
int32_t FindBack(const char* text, const char* sought, ValueRecord start = None()) {
    return Int(Call(CmdFindTextReverse, T(text), T(sought), start, L(false)));
}

TEST(FindText, PositionsAndStartPositions) {
    EXPECT_EQ(Find("abcabc", "bc"), 2);
    EXPECT_EQ(Find("abcabc", "bc", I(3)), 5);
    EXPECT_EQ(Find("abcabc", "bc", I(7)), -1);
    EXPECT_EQ(Find("abcabc", "bc", I(0)), 2);
    EXPECT_EQ(Find("abcabc", "bc", I(-5)), 2);
    EXPECT_EQ(Find("abcabc", "abcabcd"), -1);
    EXPECT_EQ(Find("abc", "c", I(3)), 3);
    EXPECT_EQ(Find("abc", "", I(3)), 1);
    EXPECT_EQ(Find("abc", "", I(4)), -1);
}

TEST(FindText, EmptySoughtAndCase) {
    EXPECT_EQ(Find("abc", ""), 1);
    EXPECT_EQ(Find("", ""), -1);
    EXPECT_EQ(Find("ABC", "b", None(), true), 2);
    EXPECT_EQ(Find("ABC", "b", None(), false), -1);
    // Only the value 1 selects case-insensitive comparison.
    EXPECT_EQ(Int(Call(CmdFindText, T("ABC"), T("b"), None(), I(2))), -1);
    EXPECT_EQ(Find("<H2 CLASS=\"HEADINGBASE HEADINGM\">", "headingBase headingM", None(), true), 12);
}

TEST(FindText, DoubleByteCharactersAreStepOverWhole) {
    // 0x81 0x41 is one character whose trail byte is 'A'.
    EXPECT_EQ(Find("\x81" "AB", "AB"), -1);
    EXPECT_EQ(Find("\x81" "AB", "B"), 3);
    EXPECT_EQ(Find("\x81" "A" "AB", "AB"), 3);
    EXPECT_EQ(Find("中文", "\xD0\xCE"), -1) << "a match never starts on a trail byte";
    // A start position on a trail byte is taken as it is.
    EXPECT_EQ(Find("\x81" "AB", "AB", I(2)), 2);
    EXPECT_EQ(Find("立即获取", "获取"), 5);
}

TEST(FindText, LoneLeadByteEndsTheWalk) {
    EXPECT_EQ(Find("a\x81", "\x81" "b"), -1);
    EXPECT_EQ(Find("a\x81", "\x81"), 2);
    EXPECT_EQ(FindBack("x\x81", "x"), 1);
}

TEST(FindTextReverse, RightmostMatchWhollyBeforeTheStart) {
    EXPECT_EQ(FindBack("abcabc", "bc"), 5);
    EXPECT_EQ(FindBack("abcabc", "bc", I(5)), 2);
    EXPECT_EQ(FindBack("abcabc", "bc", I(1)), -1);
    EXPECT_EQ(FindBack("abcabc", "bc", I(100)), 5);
    EXPECT_EQ(FindBack("aaaa", "aa"), 3) << "matches may overlap";
    EXPECT_EQ(FindBack("host:8080:1", ":"), 10);
    EXPECT_EQ(FindBack("", ""), -1);
    EXPECT_EQ(FindBack("ab", ""), 1);
    EXPECT_EQ(FindBack("\x81" ":" ":", ":"), 3);
}

TEST(FindText, WrongArgumentTypesReadAsEmpty) {
    EXPECT_EQ(Int(Call(CmdFindText, I(1234), T("a"), None(), L(false))), -1);
    EXPECT_EQ(Int(Call(CmdFindText, T("abc"))), 1) << "missing records read as omitted";
}

}  // namespace
}  // namespace velmora::testing
