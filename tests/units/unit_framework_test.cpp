// Properties, events and work from other threads on the program's real window.
#include <string>
#include "commands/core_calls.h"
#include "runtime/memory.h"
#include "runtime/runtime_interface.h"
#include "runtime/runtime_services.h"
#include "tests/units/window_test_support.h"
#include "units/framework/unit_events.h"

namespace velmora::testing {
namespace {

int32_t ReadInt(uint32_t unit, int32_t property) {
    return static_cast<int32_t>(Runtime().ReadUnitProperty(windowId, unit, property, 0));
}
void WriteInt(uint32_t unit, int32_t property, int32_t value) {
    Runtime().WriteUnitProperty(windowId, unit, property, 0, static_cast<uint32_t>(value), 0);
}
std::string ReadText(uint32_t unit, int32_t property) {
    auto* text = reinterpret_cast<char*>(static_cast<uint32_t>(Runtime().ReadUnitProperty(windowId, unit, property, -1)));
    std::string value = text ? text : "";
    FreeMemory(text);
    return value;
}
void WriteText(uint32_t unit, int32_t property, const char* text) {
    Runtime().WriteUnitProperty(windowId, unit, property, 0, reinterpret_cast<uint32_t>(text), 0);
}

TEST(UnitProperties, RecordsBeforeCreationClampPositionsAndSizes) {
    CloseMainWindow();
    EXPECT_EQ(ReadInt(progressId, 0), 368) << "the template's values before creation";
    EXPECT_EQ(ReadInt(progressId, 1), 176);
    WriteInt(progressId, 0, 40000);
    EXPECT_EQ(ReadInt(progressId, 0), 32627);
    WriteInt(progressId, 0, -40000);
    EXPECT_EQ(ReadInt(progressId, 0), -32627);
    WriteInt(progressId, 2, -5);
    EXPECT_EQ(ReadInt(progressId, 2), 0);
    WriteInt(progressId, 0, 368);
    WriteInt(progressId, 2, 72);
    WriteText(progressId, 4, "a tag that grows the record");
    EXPECT_EQ(ReadText(progressId, 4), "a tag that grows the record");
    EXPECT_EQ(ReadText(noteId, 4), "") << "later records moved with the grown one";
    EXPECT_EQ(ReadInt(noteId, 1), 64);
}

TEST(UnitProperties, LiveUnitsAnswerFromTheirWindows) {
    OpenMainWindow();
    EXPECT_EQ(ReadInt(progressId, 0), 368);
    EXPECT_EQ(ReadInt(progressId, 3), 40);
    WriteInt(progressId, 0, 300);
    EXPECT_EQ(ReadInt(progressId, 0), 300);
    RECT rect;
    GetWindowRect(UnitHandle(progressId), &rect);
    MapWindowPoints(nullptr, MainTemplate().window, reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(rect.left, 300);
    WriteInt(progressId, 0, 368);
    EXPECT_EQ(ReadInt(progressId, 5), 1) << "visible";
    EXPECT_EQ(ReadText(countId, 8), "10") << "the edit box's content";
}

TEST(UnitProperties, ANullTextIsWrittenAsEmpty) {
    OpenMainWindow();
    WriteText(progressId, 8, "解析图片...");
    EXPECT_EQ(TextOf(UnitHandle(progressId)), "解析图片...");
    WriteText(progressId, 8, nullptr);
    EXPECT_EQ(TextOf(UnitHandle(progressId)), "");
    EXPECT_EQ(ReadText(progressId, 8), "");
}

TEST(UnitEvents, EventsRaisedDuringCreationAreDroppedNotQueued) {
    OpenMainWindow();
    int before = startClicks;
    RuntimeService(Service::CreationBegins, 0, 0);
    EXPECT_EQ(RaiseUnitEvent(windowId, buttonId, 0), 0);
    RuntimeService(Service::CreationEnds, 0, 0);
    Pump();
    EXPECT_EQ(startClicks, before) << "a suppressed event must not run later";
    EXPECT_EQ(RaiseUnitEvent(windowId, buttonId, 0), 1);
    EXPECT_EQ(startClicks, before + 1);
    EXPECT_EQ(RaiseUnitEvent(windowId, progressId, 0), 0) << "no binding";
    EXPECT_EQ(RaiseUnitEvent(windowId, buttonId, 5), 0) << "no binding for that event";
}

TEST(UnitEvents, WindowEventZeroFiresOncePerCreation) {
    CloseMainWindow();
    int before = windowCreatedEvents;
    OpenMainWindow();
    EXPECT_EQ(windowCreatedEvents, before + 1);
    OpenMainWindow();  // already there: only activated
    EXPECT_EQ(windowCreatedEvents, before + 1);
}

TEST(UnitEvents, SharingWithAUnitOfAnotherTypeKeepsOwnBindings) {
    OpenMainWindow();
    WindowTemplate& window = MainTemplate();
    UnitRecordRef record;
    window.Record(static_cast<uint32_t>(window.IndexOf(superId)), record);
    WriteDword(record.data + 4, buttonId);  // the super button would share the button's bindings
    int opens = openFolderClicks, starts = startClicks;
    RaiseUnitEvent(windowId, superId, 0);
    EXPECT_EQ(openFolderClicks, opens + 1);
    EXPECT_EQ(startClicks, starts);
    WriteDword(record.data + 4, 0);
}

TEST(OtherThreads, WritesAndMethodsTakeEffectInOrderAndAnswer) {
    OpenMainWindow();
    const ValueRecord list{windowId, listId, 0x0001000F};
    int32_t before = routine::GetItemCount(list);
    bool inOrder = true;
    OnOtherThread([&] {
        for (int i = 1; i <= 100; ++i) {
            std::string text = std::to_string(i);
            WriteText(progressId, 8, text.c_str());
            if (ReadText(progressId, 8) != text) inOrder = false;
            if (routine::InsertItem(list, routine::GetItemCount(list), text.c_str()) != before + i - 1) inOrder = false;
        }
    });
    EXPECT_TRUE(inOrder);
    EXPECT_EQ(TextOf(UnitHandle(progressId)), "100");
    HWND box = UnitHandle(listId);
    for (int i = 1; i <= 100; ++i) {
        char text[16] = {};
        SendMessageA(box, LB_GETTEXT, static_cast<WPARAM>(before + i - 1), reinterpret_cast<LPARAM>(text));
        ASSERT_EQ(std::string(text), std::to_string(i));
    }
}

}  // namespace
}  // namespace velmora::testing
