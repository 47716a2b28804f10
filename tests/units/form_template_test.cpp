// Reading the form template: relocation, lookups, and damaged blocks.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <random>
#include <vector>
#include "program/program_header.h"
#include "runtime/runtime_app.h"
#include "units/framework/form_templates.h"
#include "units/framework/unit_events.h"
#include "units/framework/window_map.h"

namespace velmora {
namespace {

std::vector<uint8_t> ProgramBlock() {
    const auto* block = static_cast<const uint8_t*>(program::header.formTemplate);
    return {block, block + program::header.formTemplateSize};
}

constexpr uintptr_t base = 0x10000000;

uint32_t HandlerOf(WindowTemplate& window, uint32_t index, int32_t event) {
    UnitRecordRef record;
    EXPECT_TRUE(window.Record(index, record));
    for (uint32_t i = 0; i < record.EventCount(); ++i)
        if (record.EventNumber(i) == event) return record.EventHandler(i);
    return 0xBAD;
}

TEST(FormTemplate, HandlersAreRelocatedAndNoHandlerBecomesZero) {
    std::vector<uint8_t> block = ProgramBlock();
    WindowMap map;
    ASSERT_TRUE(ParseFormTemplates(block.data(), static_cast<uint32_t>(block.size()), base, map));
    WindowTemplate& window = *map.Find(0x52010001);
    ASSERT_EQ(window.unitCount, 8u);
    EXPECT_EQ(HandlerOf(window, 0, 0), base + 0x4D8A);
    EXPECT_EQ(HandlerOf(window, 1, 0), base + 0x4EA2);
    EXPECT_EQ(HandlerOf(window, 7, 0), base + 0x0008);

    // The button's binding {0, 0x0008} stored as "no handler".
    const uint8_t binding[] = {1, 0, 0, 0, 0, 0, 0, 0, 8, 0, 0, 0};
    auto at = std::search(block.begin(), block.end(), std::begin(binding), std::end(binding));
    ASSERT_NE(at, block.end());
    std::memset(&*(at + 8), 0xFF, 4);
    WindowMap patched;
    ASSERT_TRUE(ParseFormTemplates(block.data(), static_cast<uint32_t>(block.size()), base, patched));
    EXPECT_EQ(HandlerOf(*patched.Find(0x52010001), 7, 0), 0u);
}

TEST(FormTemplate, PlaceholderPointersAreIgnored) {
    std::vector<uint8_t> block = ProgramBlock();
    WindowMap original, changed;
    ASSERT_TRUE(ParseFormTemplates(block.data(), static_cast<uint32_t>(block.size()), base, original));
    std::memset(block.data() + 8, 0xEE, 4);  // the map's second half
    ASSERT_TRUE(ParseFormTemplates(block.data(), static_cast<uint32_t>(block.size()), base, changed));
    EXPECT_EQ(original.Find(0x52010001)->unitTable, changed.Find(0x52010001)->unitTable);
}

TEST(FormTemplate, LookupsByIdAndTheWindowsOwnRecord) {
    std::vector<uint8_t> block = ProgramBlock();
    WindowMap map;
    ASSERT_TRUE(ParseFormTemplates(block.data(), static_cast<uint32_t>(block.size()), base, map));
    WindowTemplate& window = *map.Find(0x52010001);
    EXPECT_EQ(window.IndexOf(0), 0);
    EXPECT_EQ(window.IndexOf(0x06010000), 0);
    EXPECT_EQ(window.IndexOf(0x16010003), 7);
    EXPECT_EQ(window.IndexOf(0x160119D7), 6);
    EXPECT_EQ(window.IndexOf(0x16999999), -1);
    EXPECT_EQ(window.IndexOf(0x00000001), -1) << "bits 24-27 zero: not a valid id";
    UnitRecordRef record;
    ASSERT_TRUE(window.Record(7, record));
    EXPECT_STREQ(record.Name(), "按钮1");
    EXPECT_EQ(record.TypeKey(), 0x0001000Bu);
    EXPECT_EQ(record.Rect(0), 368);
    EXPECT_EQ(record.Flags(), 5u) << "visible and tab stop";
    EXPECT_EQ(map.Find(0x52010002), nullptr);
}

TEST(FormTemplate, EveryTruncationFailsWithoutHarm) {
    std::vector<uint8_t> block = ProgramBlock();
    for (size_t length = 0; length < block.size(); ++length) {
        std::vector<uint8_t> prefix(block.begin(), block.begin() + static_cast<ptrdiff_t>(length));
        WindowMap map;
        ASSERT_FALSE(ParseFormTemplates(prefix.data(), static_cast<uint32_t>(length), base, map)) << length;
        ASSERT_TRUE(map.ids.empty());
    }
}

TEST(FormTemplate, RandomDamageNeverCrashesTheLoader) {
    const std::vector<uint8_t> block = ProgramBlock();
    std::mt19937 random(42);
    int loaded = 0;
    for (int round = 0; round < 3000; ++round) {
        std::vector<uint8_t> damaged = block;
        int changes = 1 + static_cast<int>(random() % 8);
        for (int c = 0; c < changes; ++c) {
            size_t at = random() % damaged.size();
            // Lengths and counts are the dangerous bytes: hit the first kilobyte often.
            if (random() % 2) at = random() % 1024;
            damaged[at] = static_cast<uint8_t>(random());
        }
        WindowMap map;
        if (ParseFormTemplates(damaged.data(), static_cast<uint32_t>(damaged.size()), base, map)) {
            ++loaded;
            for (auto& window : map.templates) {
                UnitRecordRef record;
                for (uint32_t i = 0; i < window->unitCount; ++i) ASSERT_TRUE(window->Record(i, record));
            }
        }
    }
    // Both outcomes must occur for the loop to prove anything: damage the
    // loader refuses, and damage it accepts, whose records were walked above.
    EXPECT_GT(loaded, 0) << "no damaged block loaded, so no record walk ran";
    EXPECT_LT(loaded, 3000) << "every damaged block loaded: the loader checks nothing";
}

TEST(FormTemplate, AMenuItemIdOnAPlainUnitHasNoHandlerAndNoEventTable) {
    // A damaged block can give a label a menu item's id: its record then has
    // the menu layout, and no event table may be read from it.
    std::vector<uint8_t> block = ProgramBlock();
    const uint8_t labelId[] = {0xF3, 0x19, 0x01, 0x16};
    auto at = std::search(block.begin(), block.end(), std::begin(labelId), std::end(labelId));
    ASSERT_NE(at, block.end());
    *(at + 3) = 0x26;
    WindowMap map;
    ASSERT_TRUE(ParseFormTemplates(block.data(), static_cast<uint32_t>(block.size()), base, map));
    constexpr uint32_t damagedWindowId = 0x52010077;
    ProgramWindows().Add(damagedWindowId, std::move(map.templates[0]));
    for (int32_t event : {0, 1, 0x7FFF1234}) EXPECT_EQ(FindEventHandler(damagedWindowId, 0x260119F3, event), 0u) << event;
}

TEST(FormTemplate, ALengthRunningPastTheEndFails) {
    std::vector<uint8_t> block = ProgramBlock();
    uint32_t huge = 0x7FFFFFF0;
    std::memcpy(block.data(), &huge, 4);
    WindowMap map;
    EXPECT_FALSE(ParseFormTemplates(block.data(), static_cast<uint32_t>(block.size()), base, map));
}

// Records as a tag write resizes them: a record nested in another, or one
// whose offsets are damaged. Every record stays inside the table.
TEST(FormTemplate, SplicesKeepNestedRecordsAndTheirContainersInsideTheTable) {
    // Two records: record 0's 400 bytes hold record 1 (200 bytes, at 100 into it).
    WindowTemplate window;
    window.unitCount = 2;
    window.unitTable.assign(16 + 4 + 400, 0);
    auto word = [&](size_t at, uint32_t value) { std::memcpy(window.unitTable.data() + at, &value, 4); };
    auto read = [&](size_t at) { return ReadDword(window.unitTable.data() + at); };
    word(0, 0x52010001);
    word(4, 0x160119F3);
    word(8, 0);          // record 0 at 0
    word(12, 4 + 100);   // record 1 inside it
    word(16, 400);
    word(16 + 104, 200);
    auto inside = [&](const char* what) {
        for (uint32_t i = 0; i < 2; ++i) {
            uint64_t start = 16 + read(8 + 4 * i);
            EXPECT_LE(start + 4 + read(start), window.unitTable.size()) << what << ": record " << i;
        }
    };
    std::vector<uint8_t> none;
    window.SpliceRecord(1, 50, 100, none.data(), 0);  // shrinks the nested record by 100
    EXPECT_EQ(read(16 + 104), 100u);
    EXPECT_EQ(read(16), 300u) << "its container shrinks with it";
    inside("after shrinking");
    std::vector<uint8_t> more(64, 0xAB);
    window.SpliceRecord(1, 0, 0, more.data(), 64);  // and grows
    EXPECT_EQ(read(16), 364u);
    inside("after growing");

    // A record whose start lies in the bytes a splice would remove: refused.
    std::vector<uint8_t> kept = window.unitTable;
    window.SpliceRecord(0, 90, 40, none.data(), 0);  // record 1 starts at 100 into record 0
    EXPECT_TRUE(window.unitTable == kept) << "record 1 would be cut apart";

    // Damaged offsets and lengths: refused, the table unchanged.
    word(12, 0x7FFFFFF0);
    window.SpliceRecord(1, 0, 4, none.data(), 0);
    word(12, 4 + 100);
    window.SpliceRecord(1, 0, 0x7FFFFFFF, none.data(), 0);
    window.SpliceRecord(1, 0x7FFFFFFF, 0, more.data(), 4);
    window.SpliceRecord(7, 0, 0, more.data(), 4);
    EXPECT_TRUE(window.unitTable == kept);
}

}  // namespace
}  // namespace velmora
