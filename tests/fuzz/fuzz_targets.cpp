#include "tests/fuzz/fuzz_targets.h"
#include <gtest/gtest.h>
#include <cstring>
#include "app/downloader.h"
#include "program/program_header.h"
#include "tests/fuzz/text_case.h"
#include "units/framework/form_templates.h"
#include "units/framework/unit_properties.h"
#include "units/framework/window_map.h"

namespace velmora::fuzz {
namespace {

using namespace routine;
using app::HarvestGallery;
using app::SafeFileName;
using app::totalCount;

// Every record read back lies inside the window's table.
void ExpectRecordsInside(WindowTemplate& window) {
    const std::vector<uint8_t>& table = window.unitTable;
    const uint64_t base = 8ull * window.unitCount;
    for (uint32_t i = 0; i < window.unitCount; ++i) {
        // From the raw offset table: what Record would parse may already be outside.
        uint64_t start = base + ReadDword(table.data() + 4 * (window.unitCount + i));
        ASSERT_LE(start + 4, table.size()) << "record " << i << " starts outside the table";
        ASSERT_LE(start + 4 + ReadDword(table.data() + start), table.size()) << "record " << i << " ends outside it";
    }
}

// Property writes on a loaded window that is not open, as a program makes
// them: positions and sizes at the 32-bit limits, tags that grow and shrink
// their records, flags and an empty pointer. A clear refusal or the default,
// never a write or a read outside the table.
void WritePropertiesAfterLoading(std::unique_ptr<WindowTemplate> loaded) {
    constexpr uint32_t fuzzWindowId = 0x52FF0001;
    WindowTemplate* window = loaded.get();
    ProgramWindows().Add(fuzzWindowId, std::move(loaded));
    static const std::string longTag(300, 't');
    const uint32_t emptyBytes[2] = {1, 0};
    for (uint32_t i = 0; i < window->unitCount && i < 8; ++i) {
        UnitRecordRef record;
        uint32_t id = window->RecordId(i);
        if (window->IndexOf(id) != static_cast<int32_t>(i) || !window->Record(i, record) || record.layout.menuItem)
            continue;  // a duplicate id reaches another record; a menu item has no common properties
        for (int32_t property = 0; property < 4; ++property)
            for (uint32_t value : {0x80000000u, 0xFFFFFFFFu, 0x7FFFFFFFu}) WriteUnitProperty(fuzzWindowId, id, property, 0, value, 0);
        for (const char* tag : {longTag.c_str(), "", static_cast<const char*>(nullptr), "短"})
            WriteUnitProperty(fuzzWindowId, id, 4, 0, reinterpret_cast<uint32_t>(tag), 0);
        WriteUnitProperty(fuzzWindowId, id, 5, 0, 0xFFFFFFFFu, 0);
        WriteUnitProperty(fuzzWindowId, id, 6, 0, 0x80000000u, 0);
        WriteUnitProperty(fuzzWindowId, id, 7, 0, reinterpret_cast<uint32_t>(emptyBytes), 0);
        ExpectRecordsInside(*window);
    }
    ProgramWindows().Add(fuzzWindowId, nullptr);
}

void FormTemplate(const std::string& input) {
    WindowMap map;
    const auto* bytes = reinterpret_cast<const uint8_t*>(input.data());
    if (!ParseFormTemplates(bytes, static_cast<uint32_t>(input.size()), 0x10000000, map)) return;
    ++DeepInputs();
    // Whatever loaded must read back within its own records.
    for (const auto& window : map.templates) {
        for (uint32_t i = 0; i < window->unitCount; ++i) {
            UnitRecordRef record;
            if (!window->Record(i, record) || record.layout.menuItem) continue;  // no event table
            for (uint32_t e = 0; e < record.EventCount(); ++e) {
                record.EventNumber(e);
                record.EventHandler(e);
            }
            window->IndexOf(window->RecordId(i));
        }
    }
    if (!map.templates.empty()) WritePropertiesAfterLoading(std::move(map.templates[0]));
}

std::vector<std::string> FormTemplateSeeds() {
    const auto* block = static_cast<const char*>(program::header.formTemplate);
    return {std::string(block, block + program::header.formTemplateSize)};
}

void Harvest(const std::string& input) {
    std::string page(input.c_str());  // a page is a text: it ends at its first zero byte
    totalCount = 0;
    TextArray names, links;
    HarvestGallery(page.c_str(), "http://h/gallery/?T1=all", names, links);
    EXPECT_EQ(static_cast<int32_t>(names.Count()), totalCount.load());
    if (names.Count()) ++DeepInputs();
    // One link slot per entry; a link is an http(s) address as it is sent: nothing a URL cannot carry.
    EXPECT_EQ(links.Count(), names.Count());
    for (uint32_t i = 1; i <= links.Count(); ++i) {
        const char* link = links.TextAt(i);
        if (!link) continue;
        EXPECT_EQ(std::strncmp(link, "http", 4), 0) << link;
        for (const char* c = link; *c; ++c)
            ASSERT_TRUE(static_cast<unsigned char>(*c) > 0x20 && static_cast<unsigned char>(*c) < 0x7F) << link;
    }
    for (uint32_t i = 1; i <= names.Count(); ++i) {
        Text safe = SafeFileName(names.TextAt(i) ? names.TextAt(i) : "", 150);
        for (const char* c = safe.Get(); c && *c; ++c) {
            ASSERT_EQ(std::strchr("\\/:*?\"<>|", *c), nullptr);
            if (static_cast<unsigned char>(*c) >= 0x81 && c[1]) ++c;  // a whole GBK character
        }
        EXPECT_LE(std::strlen(safe.Get()), 151u);
    }
}

std::vector<std::string> HarvestSeeds() {
    std::string entry = "<h3 class=\"headingBase headingM\">秋天的树</h3><p>x</p>"
                        "<a class=\"navigationLink\" href=\"http://h/a.jpg\">立即获取</a>\r\n";
    return {"<html>" + entry + entry + "</html>", entry, "<H3 CLASS=\"HEADINGBASE HEADINGM\">..\\evil</H3>"};
}

void TextCommands(const std::string& input) {
    const auto [text, sought, replacement, n] = TextCaseOf(input);
    const auto length = static_cast<int32_t>(text.size());

    int32_t found = FindText(text.c_str(), sought.c_str(), n, false);
    EXPECT_TRUE(found == -1 || (found >= 1 && found <= length)) << found;
    if (found > 0 && !sought.empty()) {
        ++DeepInputs();
        EXPECT_EQ(text.compare(found - 1, sought.size(), sought), 0);
    }
    found = FindText(text.c_str(), sought.c_str(), {}, true);
    EXPECT_TRUE(found == -1 || (found >= 1 && found <= length)) << found;
    found = FindTextReverse(text.c_str(), sought.c_str(), n & 1);
    EXPECT_TRUE(found == -1 || (found >= 1 && found <= length)) << found;

    EXPECT_EQ(TextLength(text.c_str()), length);
    Text left = LeftText(text.c_str(), n), right = RightText(text.c_str(), n), middle = MidText(text.c_str(), n, n / 2);
    EXPECT_LE(TextLength(left.Arg()), length);
    EXPECT_LE(TextLength(right.Arg()), length);
    EXPECT_LE(TextLength(middle.Arg()), length);
    EXPECT_LE(TextLength(TrimSpaces(text.c_str()).Arg()), length);
    EXPECT_LE(TextLength(RemoveAllSpaces(text.c_str()).Arg()), length);
    EXPECT_EQ(TextLength(ToLower(text.c_str()).Arg()), length);

    Text replaced = ReplaceSubtext(text.c_str(), sought.c_str(), replacement.c_str());
    auto endsInLoneLead = [](const std::string& t) {
        bool lone = false;
        for (size_t i = 0; i < t.size(); i += (t[i] & 0x80) ? 2 : 1) lone = (t[i] & 0x80) && i + 1 == t.size();
        return lone;
    };
    // A sought text ending in half a character may match half of one: no promise then.
    if (sought.empty() || (sought == replacement && !endsInLoneLead(sought))) {
        // A lone lead byte at the end goes when the walk reaches it; nothing else may be lost.
        bool loneLead = endsInLoneLead(text);
        int32_t got = TextLength(replaced.Arg());
        EXPECT_TRUE(got == length || (loneLead && got == length - 1)) << got << " of " << length;
    }
    if (!sought.empty() && TextLength(replaced.Arg()) > 0) {
        TextArray parts = SplitText(text.c_str(), sought.c_str());
        size_t total = 0;
        for (uint32_t i = 1; i <= parts.Count(); ++i) total += parts.TextAt(i) ? std::strlen(parts.TextAt(i)) : 0;
        EXPECT_LE(total, text.size());
    }
    Text between = app::TextBetween(sought.c_str(), replacement.c_str(), text.c_str(), n & 3, n);
    EXPECT_LE(TextLength(between.Arg()), length);
}

std::vector<std::string> TextSeeds() {
    return {"abc\x01" "b\x01" "xyz", "秋天的树，秋天\x01秋天\x01" "autumn", "\x81\\\x81|abc\x01\\\x01/",
            "  Leading and trailing  \x01 \x01", "a\r\nb\r\nc\x01\r\n"};
}

}  // namespace

uint32_t& DeepInputs() {
    static uint32_t count = 0;
    return count;
}

const std::vector<Target>& Targets() {
    static const std::vector<Target> targets = {
        {"form_template", FormTemplate, FormTemplateSeeds, {std::string(4, '\xFF'), std::string(4, '\0'), "\x01\x00\x00\x52"}, true},
        {"harvest", Harvest, HarvestSeeds,
         {"<", ">", "\r\n", "headingBase headingM", "navigationLink", ".jpg", "href=\"", "\">立即获取", "\x81", "\\"}},
        {"text_commands", TextCommands, TextSeeds, {"\x01", "\x81", "\xA1\xA1", "\\", "|", " ", "\r\n", "秋"}},
    };
    return targets;
}

}  // namespace velmora::fuzz
