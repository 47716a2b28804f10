// The harvest and the safe file names, in-process on the program's own runtime.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "app/downloader.h"
#include "program/program_header.h"
#include "runtime/runtime_app.h"

namespace velmora::app {
namespace {

using Strings = std::vector<std::string>;

Strings Texts(const routine::TextArray& array) {
    Strings texts;
    for (uint32_t i = 1; i <= array.Count(); ++i) texts.push_back(array.TextAt(i) ? array.TextAt(i) : "(null)");
    return texts;
}

struct Harvest {
    Strings names, links;
    int32_t total;
};

Harvest HarvestOf(const char* page) {
    totalCount = 0;
    routine::TextArray names, links;
    HarvestGallery(page, names, links);
    return {Texts(names), Texts(links), totalCount.load()};
}

TEST(Harvest, NamesFromHeadingsAndLinksFromDownloadAnchorsInPageOrder) {
    Harvest h = HarvestOf("<h3 class=\"headingBase headingM\">Autumn</h3><p>x</p>"
                    "<a class=\"navigationLink\" href=\" http://h/a.jpg \">立即获取</a>"
                    "<H3 CLASS=\"HEADINGBASE HEADINGM\">  秋天  </H3>"
                    "<A CLASS=\"NAVIGATIONLINK\" HREF=\"http://h/B.JPG\">立即获取</A>");
    EXPECT_EQ(h.total, 2);
    EXPECT_EQ(h.names, (Strings{"Autumn", "  秋天  "})) << "blanks of a name are kept";
    EXPECT_EQ(h.links, (Strings{"http://h/a.jpg", "http://h/B.JPG"})) << "links are trimmed; markers match in capitals";
}

TEST(Harvest, OddMarkupKeepsItsPlaceInTheLists) {
    // A heading without ">" is the whole line; a link without the end marker
    // gives an empty entry; one without the start marker starts at its fifth byte.
    Harvest h = HarvestOf("headingBase headingM no tags at all");
    EXPECT_EQ(h.total, 1);
    EXPECT_EQ(h.names, Strings{"headingBase headingM no tags at all"});
    h = HarvestOf("<a class=\"navigationLink\" href=\"http://h/a.jpg\">elsewhere</a>"
            "<a class=\"navigationLink\" src=\"x.jpg\">立即获取</a>");
    EXPECT_EQ(h.total, 0);
    EXPECT_EQ(h.links, (Strings{"(null)", "lass=\"navigationLink\" src=\"x.jpg"}));
    EXPECT_EQ(HarvestOf("").total, 0);
    EXPECT_TRUE(HarvestOf("<p>navigationLink without a picture</p>").links.empty());
}

TEST(Harvest, TextBetweenFindsTheNthPairIgnoringCase) {
    EXPECT_STREQ(TextBetween("[", "]", "a[ one ]b[two]").Get(), "one");
    EXPECT_STREQ(TextBetween("[", "]", "a[ one ]b[two]", 2).Get(), "two");
    EXPECT_STREQ(TextBetween("<B>", "</b>", "<b>bold</B>").Get(), "bold");
    EXPECT_EQ(TextBetween("[", "]", "no markers").Get(), nullptr);
}

struct NameCase {
    const char* name;
    const char* file;
};

TEST(SafeFileName, NothingLeavesThePicturesFolder) {
    const NameCase cases[] = {
        {"Autumn", "Autumn"},
        {"..\\..\\evil", ".._.._evil"},
        {"../../evil", ".._.._evil"},
        {"C:\\Windows\\x", "C__Windows_x"},
        {"a:b", "a_b"},
        {"what?*\"<>|", "what______"},
        {"tab\there\x01", "tab_here_"},
        {"trailing. . ", "trailing"},
        {"..", "_"},
        {"", "_"},
        {"CON", "_CON"},
        {"con.txt", "_con.txt"},
        {"Lpt9", "_Lpt9"},
        {"COM10", "COM10"},
        {"CONSOLE", "CONSOLE"},
        {"表\\示", "表_示"},  // a real backslash between two characters
        {"\x95\x5C\x95\x7C", "\x95\x5C\x95\x7C"},  // trail bytes 0x5C and 0x7C are not separators
        {"ab\x81", "ab_"},  // a lone lead byte at the end
        {"  Harbour Lights  ", "  Harbour Lights"},
    };
    for (const NameCase& c : cases) EXPECT_STREQ(SafeFileName(c.name).Get(), c.file) << c.name;
}

TEST(SafeFileName, LongNamesAreShortenedAtACharacterBoundary) {
    std::string latin(300, 'x');
    EXPECT_EQ(std::string(SafeFileName(latin.c_str(), 200).Get()), std::string(200, 'x'));
    std::string chinese;
    for (int i = 0; i < 150; ++i) chinese += "图";
    std::string shortened = SafeFileName(chinese.c_str(), 201).Get();
    EXPECT_EQ(shortened.size(), 200u) << "a double-byte character is never cut in two";
    EXPECT_EQ(std::string(SafeFileName("abc . . . . . . . . .", 5).Get()), "abc") << "cut, then trailing blanks go";
    EXPECT_STREQ(SafeFileName("short", 200).Get(), "short");
}

}  // namespace
}  // namespace velmora::app

namespace {
velmora::RuntimeApp app(&velmora::program::header, nullptr);
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    velmora::InitializeRuntime();
    return RUN_ALL_TESTS();
}
