// What event handlers receive from the two event forms, and what they give back.
#include <array>
#include <initializer_list>
#include <vector>
#include "runtime/runtime_services.h"
#include "tests/units/window_test_support.h"
#include "units/framework/unit_events.h"
#include "units/framework/window_map.h"

namespace velmora::testing {
namespace {

// Binds the start button's click to another routine for the length of a test.
class ClickBoundTo {
public:
    explicit ClickBoundTo(const void* routine) {
        OpenMainWindow();
        WindowTemplate& window = MainTemplate();
        UnitRecordRef record;
        window.Record(static_cast<uint32_t>(window.IndexOf(buttonId)), record);
        for (uint32_t i = 0; i < record.EventCount(); ++i)
            if (record.EventNumber(i) == 0) binding_ = record.data + record.layout.eventCountOffset + 8 + 8 * i;
        EXPECT_NE(binding_, nullptr) << "the button's click has a binding";
        if (!binding_) return;
        saved_ = ReadDword(binding_);
        WriteDword(binding_, reinterpret_cast<uint32_t>(routine));
    }
    ~ClickBoundTo() {
        if (binding_) WriteDword(binding_, saved_);
    }

private:
    uint8_t* binding_ = nullptr;
    uint32_t saved_ = 0;
};

uint32_t seenWords[3];
void RecordThreeWords(uint32_t first, uint32_t second, uint32_t third) {
    seenWords[0] = first;
    seenWords[1] = second;
    seenWords[2] = third;
}

// Fires the click through the 16-byte form with the records {low, high, type, flags}.
void FireWithValues(std::initializer_list<std::array<uint32_t, 4>> records) {
    std::vector<uint32_t> event = {windowId, buttonId, 0, static_cast<uint32_t>(records.size())};
    for (const auto& record : records) event.insert(event.end(), record.begin(), record.end());
    EXPECT_EQ(RuntimeService(Service::FireEventWithValues, reinterpret_cast<uint32_t>(event.data()), 0), 1);
}

TEST(EventArguments, EightByteValuesTakeTwoWordsButAnArrayOnlyItsAddress) {
    ClickBoundTo click(reinterpret_cast<const void*>(RecordThreeWords));
    const uint32_t longs[] = {1, 1, 0, 0};
    const auto array = reinterpret_cast<uint32_t>(longs);
    FireWithValues({{array, 0x11111111, Type::Long | Type::ArrayBit, 0}, {5, 0, Type::Integer, 0}});
    EXPECT_EQ(seenWords[0], array);
    EXPECT_EQ(seenWords[1], 5u) << "the array's high word was passed as if it were a Long";
    FireWithValues({{0x89ABCDEF, 0x01234567, Type::Long, 0}, {5, 0, Type::Integer, 0}});
    EXPECT_EQ(seenWords[0], 0x89ABCDEFu);
    EXPECT_EQ(seenWords[1], 0x01234567u);
    EXPECT_EQ(seenWords[2], 5u);
    FireWithValues({{0x1FF, 0, Type::Byte, 0}, {0, 0, Type::Double | Type::ArrayBit, 0}, {6, 0, Type::Integer, 0}});
    EXPECT_EQ(seenWords[0], 0xFFu) << "a byte widened";
    EXPECT_EQ(seenWords[2], 6u);
}

void ReturnsTheSum(uint32_t first, uint32_t second, EventResult* result) {
    result->hasResult = 1;
    result->value = first + second;
}

int quietCalls = 0;
void ReturnsNothing() { ++quietCalls; }

TEST(EventResults, AReturnedValueLandsInTheRecord) {
    ClickBoundTo click(reinterpret_cast<const void*>(ReturnsTheSum));
    EventRecord event{windowId, buttonId, 0, 2, {40, 2}, 0, 0};
    EXPECT_EQ(RuntimeService(Service::FireEvent, reinterpret_cast<uint32_t>(&event), 0), 1);
    EXPECT_EQ(event.hasResult, 1u);
    EXPECT_EQ(event.result, 42u);
}

TEST(EventResults, AHandlerThatReturnsNothingLeavesNoResult) {
    ClickBoundTo click(reinterpret_cast<const void*>(ReturnsNothing));
    int before = quietCalls;
    EventRecord event{windowId, buttonId, 0, 0, {}, 1, 99};  // as left by an earlier delivery
    EXPECT_EQ(RuntimeService(Service::FireEvent, reinterpret_cast<uint32_t>(&event), 0), 1);
    EXPECT_EQ(quietCalls, before + 1);
    EXPECT_EQ(event.hasResult, 0u);
}

}  // namespace
}  // namespace velmora::testing
