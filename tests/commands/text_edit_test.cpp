// ReplaceSubtext, SplitText, the cutting commands, trimming and ToLower.
#include <random>
#include "tests/commands/command_test_support.h"

namespace velmora::testing {
namespace {

using Strings = std::vector<std::string>;

std::string Replace(const char* text, const char* sought, ValueRecord replacement, ValueRecord start = None(),
                    ValueRecord count = None(), bool caseSensitive = true) {
    return TakeText(Call(CmdReplaceSubtext, T(text), T(sought), replacement, start, count, L(caseSensitive)));
}

TEST(ReplaceSubtext, CountsStartsAndCase) {
    EXPECT_EQ(Replace("aaa", "a", T("b"), None(), I(2)), "bba");
    EXPECT_EQ(Replace("aaa", "a", T("b"), I(2)), "abb");
    EXPECT_EQ(Replace("aaa", "a", T("b"), I(-3)), "bbb");
    EXPECT_EQ(Replace("aaa", "a", T("b"), None(), I(-1)), "bbb");
    EXPECT_EQ(Replace("aaa", "a", T("b"), None(), I(0)), "aaa");
    EXPECT_EQ(Replace("aaa", "a", T("b"), I(4)), "aaa");
    EXPECT_EQ(Replace("abc", "", T("x")), "abc");
    EXPECT_EQ(Replace("aa", "a", T("aa")), "aaaa") << "the replacement is never searched again";
    EXPECT_EQ(Replace("aXa", "x", T("-"), None(), None(), false), "a-a");
    EXPECT_EQ(Replace("aXa", "x", T("-")), "aXa");
    EXPECT_EQ(Replace("a<b><c>", "<", T("\r\n<")), "a\r\n<b>\r\n<c>");
}

TEST(ReplaceSubtext, EmptyResultsAndDoubleByteText) {
    EXPECT_EQ(Replace("aa", "a", None()), "(null)") << "an omitted replacement is empty";
    EXPECT_EQ(Replace("", "a", T("b")), "(null)");
    EXPECT_EQ(Replace("\x81" "AA", "A", T("b")), "\x81" "Ab") << "a trail byte is not matched";
    EXPECT_EQ(Replace("ab\x81", "b", T("c")), "ac") << "a lone lead byte is dropped";
    EXPECT_EQ(Replace("ab\x81", "zz", T("c")), "ab\x81") << "too short to walk: kept";
}

Strings Split(const char* text, ValueRecord delimiter = None(), ValueRecord maximum = None()) {
    return TakeTextArray(Call(CmdSplitText, T(text), delimiter, maximum));
}

TEST(SplitText, PartsEmptyPartsAndLimits) {
    EXPECT_EQ(Split("a,b,c"), (Strings{"a", "b", "c"}));
    EXPECT_EQ(Split("a,,b"), (Strings{"a", "(null)", "b"}));
    EXPECT_EQ(Split(",a"), (Strings{"(null)", "a"}));
    EXPECT_EQ(Split("a,b,"), (Strings{"a", "b"}));
    EXPECT_EQ(Split("a,b,c", None(), I(2)), (Strings{"a", "b"}));
    EXPECT_EQ(Split("a,b,c", None(), I(0)), Strings{});
    EXPECT_EQ(Split("a,b,c", None(), I(-1)), Strings{});
    EXPECT_EQ(Split(""), Strings{});
    EXPECT_EQ(Split("a,b", T("")), Strings{"a,b"});
    EXPECT_EQ(Split("l1\r\nl2\r\n\r\nl3", T("\r\n")), (Strings{"l1", "l2", "(null)", "l3"}));
    EXPECT_EQ(Split("name|http://x/a.jpg|z", T("|")), (Strings{"name", "http://x/a.jpg", "z"}));
}

TEST(SplitText, DoubleByteDelimitersAndLoneLeadBytes) {
    // 0x81 0x7C is one character whose trail byte is '|'.
    EXPECT_EQ(Split("a\x81|b|c", T("|")), (Strings{"a\x81|b", "c"}));
    EXPECT_EQ(Split("a,\x81"), (Strings{"a", "\x81"}));
    EXPECT_EQ(Split("中,文"), (Strings{"中", "文"}));
}

std::string Cut(CoreCommandNumber command, const char* text, int32_t a, ValueRecord b = None()) {
    return b.type ? TakeText(Call(command, T(text), I(a), b)) : TakeText(Call(command, T(text), I(a)));
}

TEST(CuttingCommands, CountBytesAndClamp) {
    EXPECT_EQ(Cut(CmdMidText, "abcdef", 5, I(10)), "ef");
    EXPECT_EQ(Cut(CmdMidText, "abc", 4, I(1)), "(null)");
    EXPECT_EQ(Cut(CmdMidText, "abc", 0, I(1)), "(null)");
    EXPECT_EQ(Cut(CmdMidText, "abc", 2, I(0)), "(null)");
    EXPECT_EQ(Cut(CmdMidText, "abc", 2, I(0x7FFFFFFF)), "bc");
    EXPECT_EQ(Cut(CmdLeftText, "中文", 1), "\xD6") << "a lone lead byte";
    EXPECT_EQ(Cut(CmdLeftText, "abc", 0x7FFFFFFF), "abc");
    EXPECT_EQ(Cut(CmdLeftText, "abc", -1), "(null)");
    EXPECT_EQ(Cut(CmdRightText, "abc", 2), "bc");
    EXPECT_EQ(Cut(CmdRightText, "abc", 9), "abc");
    EXPECT_EQ(Cut(CmdRightText, "abc", 0), "(null)");
    EXPECT_EQ(Int(Call(CmdTextLength, T("中a"))), 3);
    EXPECT_EQ(Int(Call(CmdTextLength, T(""))), 0);
}

TEST(MakingTexts, CharFromCodeAndBlankText) {
    EXPECT_EQ(TakeText(Call(CmdCharFromCode, I(0))), "(null)");
    EXPECT_EQ(TakeText(Call(CmdCharFromCode, I(0x141))), "A");
    EXPECT_EQ(TakeText(Call(CmdBlankText, I(3))), "   ");
    EXPECT_EQ(TakeText(Call(CmdBlankText, I(0))), "(null)");
    EXPECT_EQ(TakeText(Call(CmdBlankText, I(-4))), "(null)");
}

std::string Trim(const char* text) { return TakeText(Call(CmdTrimSpaces, T(text))); }
std::string RemoveSpaces(const char* text) { return TakeText(Call(CmdRemoveAllSpaces, T(text))); }

TEST(Trimming, SpacesAndFullWidthSpacesOnly) {
    EXPECT_EQ(Trim("  a b  "), "a b");
    EXPECT_EQ(Trim("\ta \n"), "\ta \n") << "tabs and line breaks are not spaces";
    EXPECT_EQ(Trim("\xA1\xA1" "a\xA1\xA1 "), "a");
    EXPECT_EQ(Trim("a\xA1\xA2"), "a\xA1\xA2");
    EXPECT_EQ(Trim("   "), "(null)");
    EXPECT_EQ(Trim("a \x81"), "a") << "a lone lead byte at the end is cut";
    EXPECT_EQ(Trim("a\x81 b"), "a\x81 b") << "0x81 0x20 is one character, not a space";
    EXPECT_EQ(RemoveSpaces(" a b\xA1\xA1" "c\xA1\xA2 "), "abc\xA1\xA2");
    EXPECT_EQ(RemoveSpaces("x \x81"), "x");
    EXPECT_EQ(RemoveSpaces(" \xA1\xA1 "), "(null)");
}

TEST(ToLower, AsciiLettersOnly) {
    EXPECT_EQ(TakeText(Call(CmdToLower, T("HTTPS://A.B/Ｘ"))), "https://a.b/Ｘ");
    EXPECT_EQ(TakeText(Call(CmdToLower, T("\x81" "AB"))), "\x81" "Ab");
    EXPECT_EQ(TakeText(Call(CmdToLower, T("Q\x81"))), "q\x81");
    EXPECT_EQ(TakeText(Call(CmdToLower, T(""))), "(null)");
}

// ReplaceSubtext written out plainly, one character at a time.
std::string ReferenceReplace(const std::string& text, const std::string& sought, const std::string& replacement,
                             int32_t start, int32_t count, bool caseSensitive) {
    size_t length = text.size(), from = start < 1 ? 0 : size_t(start - 1);
    if (length == 0 || sought.empty() || from >= length || count == 0) return text;
    auto fold = [&](char c) { return !caseSensitive && c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
    std::string out = text.substr(0, from);
    size_t i = from;
    int32_t done = 0;
    while (length - i >= sought.size()) {
        bool match = true;
        for (size_t k = 0; k < sought.size() && match; ++k) match = fold(text[i + k]) == fold(sought[k]);
        if (match) {
            out += replacement;
            i += sought.size();
            if (++done == count) break;
            continue;
        }
        if (uint8_t(text[i]) & 0x80) {
            if (i + 1 >= length) return out;
            out += text.substr(i, 2);
            i += 2;
        } else {
            out += text[i++];
        }
    }
    return out + text.substr(i);
}

TEST(ReplaceSubtext, AgreesWithThePlainWalkOnRandomGbkText) {
    std::mt19937 random(7);
    const char alphabet[] = {'a', 'A', '<', ' ', '\x81', '\xA1', 'b'};
    auto randomText = [&](size_t maximum) {
        std::string text(random() % (maximum + 1), ' ');
        for (char& c : text) c = alphabet[random() % sizeof alphabet];
        return text;
    };
    for (int round = 0; round < 3000; ++round) {
        std::string text = randomText(40), sought = randomText(3), replacement = randomText(3);
        int32_t start = int32_t(random() % 44) - 2, count = int32_t(random() % 5) - 1;
        bool caseSensitive = random() % 2;
        std::string ours = Replace(text.c_str(), sought.c_str(), T(replacement.c_str()), I(start), I(count), caseSensitive);
        std::string expected = ReferenceReplace(text, sought, replacement, start, count, caseSensitive);
        ASSERT_EQ(ours, expected.empty() ? "(null)" : expected)
            << ::testing::PrintToString(text) << " " << ::testing::PrintToString(sought) << " start=" << start
            << " count=" << count << " case=" << caseSensitive;
    }
}

}  // namespace
}  // namespace velmora::testing
