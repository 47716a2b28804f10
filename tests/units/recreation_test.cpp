// What a unit keeps when a property write makes it anew (the list box's
// sorting, the edit box's input mode, the button's type and picture), what
// the label and super button change in place, and the pointer a unit shows.
#include <windows.h>
#include <commctrl.h>
#include <string>
#include <vector>
#include "commands/core_calls.h"
#include "runtime/runtime_interface.h"
#include "tests/units/pixels.h"
#include "tests/units/window_test_support.h"
#include "units/list_box_unit.h"

namespace velmora::testing {
namespace {

constexpr COLORREF red = RGB(255, 0, 0), blue = RGB(0, 0, 255);

void Write(uint32_t unit, int32_t property, uint32_t value) {
    Runtime().WriteUnitProperty(windowId, unit, property, 0, value, 0);
}
uint32_t Read(uint32_t unit, int32_t property) {
    return static_cast<uint32_t>(Runtime().ReadUnitProperty(windowId, unit, property, 0));
}

// What must survive a re-creation, read from the unit's window.
struct Kept {
    RECT place{};
    LONG style = 0;
    HWND before = nullptr, after = nullptr;  // the siblings around it, its own arrows aside
    LOGFONTA font{};
    std::string text;
    explicit Kept(HWND unit) {
        GetWindowRect(unit, &place);
        MapWindowPoints(nullptr, GetParent(unit), reinterpret_cast<POINT*>(&place), 2);
        style = GetWindowLongA(unit, GWL_STYLE);
        before = GetWindow(unit, GW_HWNDPREV);
        after = GetWindow(unit, GW_HWNDNEXT);
        while (after && UnitOfWindow(after) == UnitOfWindow(unit)) after = GetWindow(after, GW_HWNDNEXT);
        GetObjectA(reinterpret_cast<HFONT>(SendMessageA(unit, WM_GETFONT, 0, 0)), sizeof font, &font);
        text = TextOf(unit);
    }
};

// The new window keeps the old one's place, z-order, state, font and text.
void ExpectKept(const Kept& old, HWND unit, LONG styleChange = 0) {
    Kept now(unit);
    EXPECT_EQ(now.place, old.place);
    EXPECT_EQ(now.before, old.before) << "z-order";
    EXPECT_EQ(now.after, old.after) << "z-order";
    EXPECT_EQ(now.style & ~styleChange, old.style & ~styleChange) << std::hex << "visible, disabled, tab stop and the rest";
    EXPECT_STREQ(now.font.lfFaceName, old.font.lfFaceName);
    EXPECT_EQ(now.font.lfHeight, old.font.lfHeight);
    EXPECT_EQ(now.font.lfUnderline, old.font.lfUnderline);
    EXPECT_EQ(now.text, old.text);
}

// Made anew: a window of its own, the old one gone.
HWND Remade(uint32_t unit, HWND old) {
    HWND now = UnitHandle(unit);
    EXPECT_NE(now, old) << "made anew";
    EXPECT_FALSE(IsWindow(old));
    return now;
}

TEST(Recreation, TheListBoxKeepsItsLinesDataColoursPlaceAndSelection) {
    OpenMainWindow();
    const ValueRecord listBox{windowId, listId, 0x0001000F};
    HWND list = UnitHandle(listId);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const char* line : {"c HH", "a HH", "b HH"}) routine::InsertItem(listBox, routine::GetItemCount(listBox), line);
    for (int line = 0; line < 3; ++line) SendMessageA(list, LB_SETITEMDATA, line, ListItemText(list, line)[0]);
    Write(listId, 9, red);
    Write(listId, 10, blue);
    Write(listId, 0, 40);
    Write(listId, 2, 300);
    SetFocus(list);
    LRESULT itemHeight = SendMessageA(list, LB_GETITEMHEIGHT, 0, 0);
    Kept old(list);

    Write(listId, 11, 1);  // sorted: a style fixed at creation
    HWND sorted = Remade(listId, list);
    ExpectKept(old, sorted, LBS_SORT);
    EXPECT_TRUE(GetWindowLongA(sorted, GWL_STYLE) & LBS_SORT);
    ASSERT_EQ(SendMessageA(sorted, LB_GETCOUNT, 0, 0), 3);
    for (int line = 0; line < 3; ++line) {
        std::string text = ListItemText(sorted, line);
        EXPECT_EQ(text, std::string(1, static_cast<char>('a' + line)) + " HH") << "sorted now";
        EXPECT_EQ(SendMessageA(sorted, LB_GETITEMDATA, line, 0), text[0]) << "each line keeps its own data";
    }
    EXPECT_EQ(SendMessageA(sorted, LB_GETITEMHEIGHT, 0, 0), itemHeight) << "the extra height";
    EXPECT_EQ(GetFocus(), sorted) << "the focus goes to the new list";
    EXPECT_EQ(Read(listId, 9), red);
    Pixels pixels = Printed(sorted);
    EXPECT_EQ(pixels.At(pixels.Width() - 1, pixels.Height() - 1), blue) << "drawn in its colours";
    EXPECT_GT(pixels.Count(red), 0);

    // Hidden, disabled and with a line selected, it stays so.
    Write(listId, 8, 1);
    Write(listId, 5, 0);
    Write(listId, 6, 1);
    Kept hidden(sorted);
    Write(listId, 11, 0);
    HWND unsorted = Remade(listId, sorted);
    ExpectKept(hidden, unsorted, LBS_SORT);
    EXPECT_FALSE(IsWindowVisible(unsorted));
    EXPECT_FALSE(IsWindowEnabled(unsorted));
    EXPECT_EQ(SendMessageA(unsorted, LB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageA(unsorted, LB_GETCURSEL, 0, 0), 1);

    Write(listId, 5, 1);
    Write(listId, 6, 0);
    Write(listId, 9, 0);
    Write(listId, 10, 0xFFFFFF);
    Write(listId, 0, 32);
    Write(listId, 2, 328);
    SendMessageA(unsorted, LB_RESETCONTENT, 0, 0);
}

HWND ArrowsBeside(HWND box) {
    HWND arrows = nullptr;
    int count = 0;
    for (HWND child = GetWindow(GetParent(box), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char name[32] = {};
        GetClassNameA(child, name, sizeof name);
        if (lstrcmpiA(name, UPDOWN_CLASSA) == 0) arrows = child, ++count;
    }
    EXPECT_EQ(count, 1) << "one pair of arrows";
    return arrows;
}

TEST(Recreation, TheEditBoxKeepsItsTextColoursPlaceAndArrows) {
    OpenMainWindow();
    HWND box = UnitHandle(countId);
    SetWindowTextA(box, "7");
    Write(countId, 12, red);
    Write(countId, 13, blue);
    Kept old(box);

    Write(countId, 10, 0);  // input mode: typing allowed, a style fixed at creation
    HWND typed = Remade(countId, box);
    ExpectKept(old, typed, ES_READONLY);
    EXPECT_FALSE(GetWindowLongA(typed, GWL_STYLE) & ES_READONLY);
    Pixels pixels = Printed(typed);
    EXPECT_EQ(pixels.At(pixels.Width() - 1, 0), blue);
    EXPECT_GT(pixels.Count(red), 0);

    HWND arrows = ArrowsBeside(typed);
    RECT boxRect = Kept(typed).place, arrowsRect = Kept(arrows).place;
    EXPECT_EQ(arrowsRect.left, boxRect.right) << "right beside the new box";
    EXPECT_EQ(arrowsRect.top, boxRect.top);
    RECT client;
    GetClientRect(arrows, &client);
    LPARAM up = MAKELPARAM(client.right / 2, client.bottom / 4);
    SendMessageA(arrows, WM_LBUTTONDOWN, MK_LBUTTON, up);
    SendMessageA(arrows, WM_LBUTTONUP, 0, up);
    EXPECT_EQ(TextOf(typed), "8") << "the arrows step the new box";

    Write(countId, 10, 1);
    HWND readOnly = Remade(countId, typed);
    EXPECT_TRUE(GetWindowLongA(readOnly, GWL_STYLE) & ES_READONLY);
    ArrowsBeside(readOnly);
    SetWindowTextA(readOnly, "10");
    Write(countId, 12, 0);
    Write(countId, 13, 0xFFFFFF);
}

TEST(Recreation, TheButtonKeepsItsCaptionPlaceAndStateAcrossTypeAndPicture) {
    OpenMainWindow();
    HWND button = UnitHandle(buttonId);
    Write(buttonId, 10, reinterpret_cast<uint32_t>("改过的"));
    Write(buttonId, 6, 1);
    Kept old(button);

    Write(buttonId, 11, 1);  // the default button type
    HWND byDefault = Remade(buttonId, button);
    ExpectKept(old, byDefault, BS_TYPEMASK);
    EXPECT_EQ(GetWindowLongA(byDefault, GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    EXPECT_EQ(TextOf(byDefault), "改过的");

    Write(buttonId, 6, 0);
    Kept enabled(byDefault);
    WriteBytes(buttonId, 8, SolidIcon(16, red));  // a picture: the icon style
    HWND pictured = Remade(buttonId, byDefault);
    ExpectKept(enabled, pictured, BS_ICON);
    EXPECT_TRUE(GetWindowLongA(pictured, GWL_STYLE) & BS_ICON);
    EXPECT_EQ(Printed(pictured).Count(red), 16 * 16) << "the picture shows";

    WriteBytes(buttonId, 8, {});
    Write(buttonId, 11, 0);
    HWND plain = UnitHandle(buttonId);
    EXPECT_FALSE(GetWindowLongA(plain, GWL_STYLE) & BS_ICON);
    EXPECT_EQ(GetWindowLongA(plain, GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);
    Write(buttonId, 10, reinterpret_cast<uint32_t>("开始下载"));
}

TEST(Recreation, LabelBordersAndSuperButtonLooksChangeInPlace) {
    SetFocus(OpenMainWindow());  // a focused raised button is framed in black
    HWND label = UnitHandle(progressId), button = UnitHandle(superId);
    Write(progressId, 8, reinterpret_cast<uint32_t>("3 / 9"));
    Write(progressId, 15, 6);  // a shaded frame
    EXPECT_EQ(UnitHandle(progressId), label);
    EXPECT_EQ(Printed(label).At(0, 20), RGB(128, 128, 128));
    EXPECT_EQ(TextOf(label), "3 / 9");
    Write(progressId, 15, 0);
    EXPECT_EQ(Printed(label).At(0, 20), GetSysColor(COLOR_BTNFACE));

    Write(superId, 8, 1);  // the raised look
    EXPECT_EQ(UnitHandle(superId), button);
    EXPECT_EQ(Printed(button).At(0, 8), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(Read(superId, 12), 0x00FF8800u) << "its colours kept";
    Write(superId, 8, 0);
    EXPECT_EQ(Printed(button).At(0, 8), GetSysColor(COLOR_BTNFACE));
}

// The pointer the platform shows where the mouse rests.
HCURSOR ShownCursor() {
    CURSORINFO info{};
    info.cbSize = sizeof info;
    GetCursorInfo(&info);
    return info.hCursor;
}

TEST(MousePointers, AChangeShowsAtOnceWhereTheMouseRests) {
    HWND window = OpenMainWindow();
    SetForegroundWindow(window);
    HWND label = UnitHandle(progressId);
    RECT rect;
    GetWindowRect(label, &rect);
    SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    Pump(20);
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    EXPECT_EQ(ShownCursor(), arrow);

    WriteBytes(progressId, 7, {2, 0, 0, 0});  // the cross, with the mouse not moved
    Pump(20);
    ASSERT_NE(RecordCursor(progressId), nullptr);
    EXPECT_EQ(ShownCursor(), RecordCursor(progressId));
    EXPECT_EQ(GetCursor(), RecordCursor(progressId));
    WriteBytes(progressId, 7, {0, 0, 0, 0});
    Pump(20);
    EXPECT_EQ(ShownCursor(), arrow) << "back to the class cursor";
    SetCursorPos(0, 0);
}

}  // namespace
}  // namespace velmora::testing
