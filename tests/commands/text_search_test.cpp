// FindText and FindTextReverse.
#include <random>
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

// The walk written out plainly: one character at a time, one comparison each.
int32_t ReferenceSearch(const std::string& text, const std::string& sought, int32_t start, bool given,
                        bool ignoreCase, bool forward) {
    size_t length = text.size(), begin = 0, end = length;
    if (forward && given) {
        if (int64_t(start) - 1 >= int64_t(length)) return -1;
        if (start > 1) begin = size_t(start - 1);
    }
    if (!forward && given) {
        if (start <= 1) return -1;
        end = std::min(length, size_t(start - 1));
    }
    if (sought.empty()) return begin < end ? 1 : -1;
    auto fold = [&](char c) { return ignoreCase && c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
    int32_t found = -1;
    for (size_t i = begin; i < end && end - i >= sought.size();) {
        bool match = true;
        for (size_t k = 0; k < sought.size() && match; ++k) match = fold(text[i + k]) == fold(sought[k]);
        if (match) {
            found = int32_t(i + 1);
            if (forward) return found;
        }
        if (uint8_t(text[i]) & 0x80) {
            if (i + 1 >= length) break;
            i += 2;
        } else {
            i += 1;
        }
    }
    return found;
}

TEST(FindText, AgreesWithThePlainWalkOnRandomGbkText) {
    std::mt19937 random(20261208);
    const char alphabet[] = {'a', 'A', 'b', '<', ' ', '\x81', '\xA1', '\xD6'};
    auto randomText = [&](size_t maximum) {
        std::string text(random() % (maximum + 1), ' ');
        for (char& c : text) c = alphabet[random() % sizeof alphabet];
        return text;
    };
    for (int round = 0; round < 3000; ++round) {
        std::string text = randomText(40), sought = randomText(3);
        bool given = random() % 2, ignoreCase = random() % 2;
        int32_t start = int32_t(random() % 46) - 3;
        ValueRecord startRecord = given ? I(start) : None();
        for (bool forward : {true, false}) {
            CoreCommandNumber command = forward ? CmdFindText : CmdFindTextReverse;
            int32_t ours = Int(Call(command, T(text.c_str()), T(sought.c_str()), startRecord, L(ignoreCase)));
            ASSERT_EQ(ours, ReferenceSearch(text, sought, start, given, ignoreCase, forward))
                << (forward ? "forward" : "backward") << " text=" << ::testing::PrintToString(text)
                << " sought=" << ::testing::PrintToString(sought) << " start=" << start << " given=" << given
                << " ignoreCase=" << ignoreCase;
        }
    }
}

}  // namespace
}  // namespace velmora::testing
