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

Harvest HarvestOf(const std::string& page, const char* pageUrl = "http://h/gallery/?T1=all") {
    totalCount = 0;
    routine::TextArray names, links;
    HarvestGallery(page.c_str(), pageUrl, names, links);
    return {Texts(names), Texts(links), totalCount.load()};
}

std::string Entry(const char* name, const char* link) {
    return std::string("<h3 class=\"headingBase headingM\">") + name + "</h3><a class=\"navigationLink\" href=\"" + link +
           "\">立即获取</a>";
}
std::string Heading(const char* name) { return std::string("<h3 class=\"headingBase headingM\">") + name + "</h3>"; }
std::string Anchor(const char* link) {
    return std::string("<a class=\"navigationLink\" href=\"") + link + "\">立即获取</a>";
}

// Each heading opens an entry; the first download link after it, before the
// next heading, is its link; a link that follows no heading is no entry.
// Links are read as a browser reads an href, resolved against the page's
// address, and encoded as they are sent.
TEST(Harvest, EveryHeadingWithTheLinkThatFollowsIt) {
    struct Row {
        const char* what;
        std::string page;
        Strings names, links;
    };
    const Row rows[] = {
        {"page order, markers in capitals, links trimmed, names keep their blanks",
         Heading("Autumn") + "<p>x</p><a class=\"navigationLink\" href=\" http://h/a.jpg \">立即获取</a>" +
             "<H3 CLASS=\"HEADINGBASE HEADINGM\">  秋天  </H3><A CLASS=\"NAVIGATIONLINK\" HREF=\"http://h/B.JPG\">立即获取</A>",
         {"Autumn", "  秋天  "}, {"http://h/a.jpg", "http://h/B.JPG"}},
        {"a heading without a link keeps the others' links",
         Entry("A", "http://h/a.jpg") + Heading("B") + Entry("C", "http://h/c.jpg") + Entry("D", "http://h/d.jpg"),
         {"A", "B", "C", "D"}, {"http://h/a.jpg", "(null)", "http://h/c.jpg", "http://h/d.jpg"}},
        {"a link that is no .jpg is no link",
         Entry("A", "http://h/a.jpg") + Entry("B", "http://h/b.png") + Entry("C", "http://h/c.jpg"),
         {"A", "B", "C"}, {"http://h/a.jpg", "(null)", "http://h/c.jpg"}},
        {"the first link after a heading is its own; links before any heading belong to none",
         Anchor("http://h/stray.jpg") + Heading("A") + Anchor("http://h/a.jpg") + Anchor("http://h/a2.jpg"),
         {"A"}, {"http://h/a.jpg"}},
        {"an anchor without an address, or without the end marker, is no link; the next one is",
         Heading("A") + "<a class=\"navigationLink\" href=\"\">立即获取</a>" +
             "<a class=\"navigationLink\" href=\"http://h/x.jpg\">elsewhere</a>" + Anchor("http://h/a.jpg"),
         {"A"}, {"http://h/a.jpg"}},
        {"a heading without \">\" is the whole line", "headingBase headingM no tags at all",
         {"headingBase headingM no tags at all"}, {"(null)"}},
        {"character references, and addresses relative to the page",
         Entry("A", "/img/a.jpg?x=1&amp;y=2") + Entry("B", "b.jpg") + Entry("C", "//cdn.example/c.jpg") +
             Entry("D", "../d.jpg") + Entry("E", "https://s.example/e.jpg#top"),
         {"A", "B", "C", "D", "E"},
         {"http://h/img/a.jpg?x=1&y=2", "http://h/gallery/b.jpg", "http://cdn.example/c.jpg", "http://h/d.jpg",
          "https://s.example/e.jpg"}},
        {"beyond ASCII as UTF-8 and a blank as %20; an escape already there stays",
         Entry("A", "/img/秋色 大图.jpg") + Entry("B", "/img/a%20b.jpg"), {"A", "B"},
         {"http://h/img/%E7%A7%8B%E8%89%B2%20%E5%A4%A7%E5%9B%BE.jpg", "http://h/img/a%20b.jpg"}},
        {"the empty page", "", {}, {}},
    };
    for (const Row& row : rows) {
        Harvest h = HarvestOf(row.page);
        EXPECT_EQ(h.total, static_cast<int32_t>(row.names.size())) << row.what;
        EXPECT_EQ(h.names, row.names) << row.what;
        EXPECT_EQ(h.links, row.links) << row.what;
    }
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
