// The harvest and the safe file names, in-process on the program's own runtime.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>
#include "app/downloader.h"
#include "tests/app/hostile_names.h"

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
    EXPECT_EQ(HarvestOf("<p>navigationLink without a picture</p>").links, Strings{"(null)"})
        << "every download anchor keeps a slot";
}

TEST(Harvest, AnAnchorThatIsNoJpegKeepsItsSlotSoLaterNamesKeepTheirLinks) {
    auto entry = [](const char* name, const char* link) {
        return std::string("<h3 class=\"headingBase headingM\">") + name + "</h3><a class=\"navigationLink\" href=\"" +
               link + "\">立即获取</a>";
    };
    Harvest h = HarvestOf((entry("A", "http://h/a.jpg") + entry("B", "http://h/b.png") + entry("C", "http://h/c.jpg") +
                           entry("D", "http://h/d.jpg"))
                              .c_str());
    EXPECT_EQ(h.names, (Strings{"A", "B", "C", "D"}));
    EXPECT_EQ(h.links, (Strings{"http://h/a.jpg", "(null)", "http://h/c.jpg", "http://h/d.jpg"}));
}

TEST(Harvest, TextBetweenFindsTheNthPairIgnoringCase) {
    EXPECT_STREQ(TextBetween("[", "]", "a[ one ]b[two]").Get(), "one");
    EXPECT_STREQ(TextBetween("[", "]", "a[ one ]b[two]", 2).Get(), "two");
    EXPECT_STREQ(TextBetween("<B>", "</b>", "<b>bold</B>").Get(), "bold");
    EXPECT_EQ(TextBetween("[", "]", "no markers").Get(), nullptr);
}

// Shows a name for the README's table: GBK as UTF-8, other bytes escaped.
std::string Shown(const std::string& gbk) {
    std::string out;
    for (size_t i = 0; i < gbk.size();) {
        auto byte = static_cast<unsigned char>(gbk[i]);
        auto next = i + 1 < gbk.size() ? static_cast<unsigned char>(gbk[i + 1]) : 0;
        if (byte >= 0x81 && byte <= 0xFE && next >= 0x40 && next != 0x7F && next != 0xFF) {
            wchar_t wide[2] = {};
            MultiByteToWideChar(936, 0, gbk.data() + i, 2, wide, 2);
            char utf8[8] = {};
            WideCharToMultiByte(CP_UTF8, 0, wide, 1, utf8, sizeof utf8, nullptr, nullptr);
            out += utf8;
            i += 2;
            continue;
        }
        char escaped[8];
        if (byte < 0x20 || byte >= 0x7F) std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
        else if (byte == '|') std::snprintf(escaped, sizeof escaped, "\\|");
        else std::snprintf(escaped, sizeof escaped, "%c", byte);
        out += escaped;
        i += 1;
    }
    if (out.size() > 60) out = out.substr(0, 24) + "... (" + std::to_string(gbk.size()) + " bytes)";
    return out;
}

// Every hostile name becomes its file; with VELMORA_NAME_TABLE set, the table
// is also written there as Markdown for the README.
TEST(SafeFileName, NothingLeavesThePicturesFolder) {
    std::string table = "| picture name | file |\n|---|---|\n";
    for (const testing::HostileName& c : testing::HostileNames()) {
        routine::Text safe = c.room ? SafeFileName(c.name.c_str(), c.room) : SafeFileName(c.name.c_str());
        EXPECT_EQ(std::string(safe.Get()), c.file) << Shown(c.name);
        table += "| " + (c.name.empty() ? std::string("(empty)") : "`" + Shown(c.name) + "`") + " | `" + Shown(std::string(safe.Get()) + ".jpg") + "` |\n";
    }
    if (const char* path = std::getenv("VELMORA_NAME_TABLE")) {
        std::ofstream out(path, std::ios::binary);
        out << table;
    }
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
