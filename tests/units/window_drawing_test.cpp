// What the window paints behind its units, and the colours the edit box and
// list box hand the platform's controls to draw with.
#include <windows.h>
#include <string>
#include <vector>
#include "commands/core_calls.h"
#include "runtime/runtime_interface.h"
#include "tests/units/import_hook.h"
#include "tests/units/pixels.h"
#include "tests/units/window_test_support.h"
#include "units/framework/pictures.h"
#include "units/stream_codec.h"

namespace velmora::testing {
namespace {

constexpr uint32_t windowRecord = 0x06010000, systemColour = 0xFF000000;
constexpr COLORREF red = RGB(255, 0, 0), blue = RGB(0, 0, 255), white = RGB(255, 255, 255), black = RGB(0, 0, 0);
const COLORREF face = GetSysColor(COLOR_BTNFACE);

// The window's background picture, from the icon file in its template record.
struct TemplatePicture {
    HICON icon = nullptr;
    int width = 0, height = 0;
    TemplatePicture() {
        UnitRecordRef record;
        if (!MainTemplate().Record(0, record)) return;
        StreamReader stream(record.data + record.layout.streamOffset, record.length - record.layout.streamOffset);
        uint32_t field = 0;
        for (int dword = 0; dword < 19; ++dword) stream.Dword(field);  // version 6: 19 dwords before the class name
        std::string className;
        std::vector<uint8_t> picture;
        stream.Text(className);
        stream.Block(picture);
        icon = IconFromFileData(picture.data(), static_cast<uint32_t>(picture.size()), false, &width, &height);
    }
    ~TemplatePicture() { DestroyIcon(icon); }
    // The picture drawn with its transparency over a colour, at a size.
    Pixels Over(COLORREF background, int w, int h) const {
        Pixels pixels(w, h, background);
        DrawIconEx(pixels.Dc(), 0, 0, icon, w, h, 0, nullptr, DI_NORMAL);
        return pixels;
    }
};

// What the window shows of its client area with its units hidden a moment.
Pixels ClientAlone(HWND window) {
    std::vector<HWND> hidden;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (IsWindowVisible(child)) hidden.push_back(child);
    for (HWND child : hidden) ShowWindow(child, SW_HIDE);
    Pixels pixels = Shown(window);
    for (HWND child : hidden) ShowWindow(child, SW_SHOWNA);
    return pixels;
}

// Pixels of `shown` inside `area` that differ from the tile laid from the
// area's top-left corner; the first one goes into `where`.
int OffTile(const Pixels& shown, const Pixels& tile, const RECT& area, POINT& where) {
    int wrong = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (shown.At(x, y) != tile.At((x - area.left) % tile.Width(), (y - area.top) % tile.Height()) && !wrong++)
                where = {x, y};
    return wrong;
}

TEST(WindowBackground, TheIconIsTiledOverTheWholeClientArea) {
    HWND window = OpenMainWindow();
    TemplatePicture picture;
    ASSERT_NE(picture.icon, nullptr);
    ASSERT_EQ(picture.width, 48);
    ASSERT_EQ(picture.height, 48);
    Pixels tile = picture.Over(face, 48, 48);
    EXPECT_GT(tile.Differences(Pixels(48, 48, tile.At(0, 0))), 0) << "a tile of one colour would prove nothing";

    Pixels client = ClientAlone(window);
    ASSERT_GT(client.Width() % 48, 0) << "the last column of tiles is cut off";
    ASSERT_GT(client.Height() % 48, 0);
    POINT where{};
    EXPECT_EQ(OffTile(client, tile, client.Whole(), where), 0)
        << "first at " << where.x << ", " << where.y << ": every pixel is the tile's at its place";
}

int iconDraws = 0, tilesMade = 0;
decltype(&DrawIconEx) originalDrawIconEx;
decltype(&CreateIconIndirect) originalCreateIconIndirect;
BOOL WINAPI CountedDrawIconEx(HDC dc, int x, int y, HICON icon, int w, int h, UINT step, HBRUSH brush, UINT flags) {
    return ++iconDraws, originalDrawIconEx(dc, x, y, icon, w, h, step, brush, flags);
}
HICON WINAPI CountedCreateIconIndirect(PICONINFO info) { return ++tilesMade, originalCreateIconIndirect(info); }

// A small invalidation paints what it covers, from the block of tiles made
// at the first paint; what it paints is the tile at its place.
TEST(WindowBackground, ASmallInvalidationPaintsOnlyItsAreaFromTheTileMadeOnce) {
    HWND window = OpenMainWindow();
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);  // the block is made here, if not before
    ImportHook draw("user32.dll", "DrawIconEx", reinterpret_cast<void*>(CountedDrawIconEx));
    ImportHook make("user32.dll", "CreateIconIndirect", reinterpret_cast<void*>(CountedCreateIconIndirect));
    ASSERT_TRUE(draw.Installed() && make.Installed());
    originalDrawIconEx = reinterpret_cast<decltype(&DrawIconEx)>(draw.original);
    originalCreateIconIndirect = reinterpret_cast<decltype(&CreateIconIndirect)>(make.original);
    iconDraws = tilesMade = 0;
    RECT dot{2, 2, 3, 3};  // under no unit
    RedrawWindow(window, &dot, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(iconDraws, 1) << "a 1 x 1 area meets one block of tiles";
    EXPECT_EQ(tilesMade, 0) << "the block is kept between paints";

    // A strip under no unit, repainted alone over red: the tile at its place
    // inside the strip, the red untouched outside it.
    TemplatePicture picture;
    Pixels tile = picture.Over(face, 48, 48);
    HDC dc = GetDC(window);
    RECT client;
    GetClientRect(window, &client);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(dc, &client, red);
    DeleteObject(red);
    RECT strip{5, 3, 30, 15};
    RedrawWindow(window, &strip, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_NOCHILDREN);
    int wrong = 0;
    for (int y = strip.top; y < strip.bottom; ++y)
        for (int x = strip.left; x < strip.right; ++x) wrong += GetPixel(dc, x, y) != tile.At(x % 48, y % 48);
    EXPECT_EQ(wrong, 0) << "pixels of the strip that are not the tile's at their place";
    EXPECT_EQ(GetPixel(dc, strip.right, strip.top), RGB(255, 0, 0)) << "painted past the strip";
    EXPECT_EQ(GetPixel(dc, strip.left - 1, strip.bottom - 1), RGB(255, 0, 0)) << "painted past the strip";
    ReleaseDC(window, dc);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

TEST(WindowBackground, OtherModesFillWhatThePictureLeavesWithTheColour) {
    HWND window = OpenMainWindow();
    TemplatePicture picture;
    auto write = [](int32_t property, uint32_t value) {
        Runtime().WriteUnitProperty(windowId, windowRecord, property, 0, value, 0);
    };
    write(9, red);  // background colour
    write(10, 0);   // at the top-left corner in its own size
    Pixels corner = ClientAlone(window);
    int w = corner.Width(), h = corner.Height();
    POINT where{};
    EXPECT_EQ(OffTile(corner, picture.Over(red, 48, 48), {0, 0, 48, 48}, where), 0) << where.x << ", " << where.y;
    EXPECT_EQ(corner.Count(red, {48, 0, w, h}) + corner.Count(red, {0, 48, 48, h}), w * h - 48 * 48);

    write(10, 2);  // centred in its own size: it fits
    Pixels centred = ClientAlone(window);
    RECT middle{(w - 48) / 2, (h - 48) / 2, (w - 48) / 2 + 48, (h - 48) / 2 + 48};
    EXPECT_EQ(OffTile(centred, picture.Over(red, 48, 48), middle, where), 0) << where.x << ", " << where.y;
    EXPECT_EQ(centred.Count(red) - centred.Count(red, middle), w * h - 48 * 48);

    write(10, 3);  // stretched over the client area
    EXPECT_EQ(ClientAlone(window).Differences(picture.Over(red, w, h)), 0);

    write(9, systemColour);
    write(10, 1);
    EXPECT_EQ(ClientAlone(window).At(0, 0), RGB(214, 232, 252)) << "tiled again";
}

TEST(ControlColours, TheProgramsEditBoxBlackOnWhiteAndColoursWrittenToIt) {
    HWND window = OpenMainWindow();
    HWND box = UnitHandle(countId);
    SetWindowTextA(box, "10");
    SendMessageA(box, EM_SETSEL, 0, 0);  // selected text is drawn in the system's highlight colours
    SetFocus(window);
    Pixels program = Printed(box);
    int w = program.Width();
    EXPECT_EQ(program.At(w - 1, 0), white);
    EXPECT_GT(program.Count(black), 0) << "the text";

    auto write = [](int32_t property, uint32_t value) { Runtime().WriteUnitProperty(windowId, countId, property, 0, value, 0); };
    write(12, red);
    write(13, blue);
    Pixels written = Printed(box);
    EXPECT_EQ(written.At(w - 1, 0), blue);
    EXPECT_GT(written.Count(red), 0);
    EXPECT_EQ(written.Count(black) + written.Count(white), 0) << "nothing left in the old colours";
    write(13, systemColour);
    EXPECT_EQ(Printed(box).At(w - 1, 0), face);
    write(12, 0);
    write(13, 0xFFFFFF);
    EXPECT_EQ(Printed(box).Differences(program), 0);
}

// A version 2 edit box that can be typed in, with its colours in the stream.
std::vector<uint8_t> EditableBoxStream(COLORREF text, COLORREF background) {
    StreamWriter stream;
    for (uint32_t field : {2u, 5u, static_cast<uint32_t>(text), static_cast<uint32_t>(background), 1u, 0u, 0u, 0u, 0u, 0u})
        stream.Dword(field);
    stream.Word('*');
    for (uint32_t field : {0u, 0u, 1u, 100u, 0u, 0u}) stream.Dword(field);
    stream.Block(FontBlock());
    for (const char* content : {"HH", "", ""}) stream.Text(content);
    return stream.bytes;
}

TEST(ControlColours, AnEditableBoxDrawsTheColoursOfItsStream) {
    UnitObject* box = MakeUnit(0x00010005, EditableBoxStream(red, blue), countId, {40, 40, 160, 80});
    ASSERT_NE(box, nullptr);
    Pixels pixels = Printed(box->Window());
    EXPECT_EQ(pixels.At(pixels.Width() - 1, 0), blue);
    EXPECT_GT(pixels.Count(red), 0);
    EXPECT_EQ(pixels.Count(white) + pixels.Count(black), 0);
    DestroyWindow(box->Window());
}

TEST(ControlColours, TheListBoxDrawsItsLinesInItsColours) {
    OpenMainWindow();
    const ValueRecord listBox{windowId, listId, 0x0001000F};
    HWND list = UnitHandle(listId);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const char* line : {"下载完成：一", "下载完成：二", "已经下载：三"})
        routine::InsertItem(listBox, routine::GetItemCount(listBox), line);
    Pump(60);  // lines added close together are shown a moment later
    Pixels program = Printed(list);
    int w = program.Width(), h = program.Height();
    EXPECT_EQ(program.At(w - 1, h - 1), white);
    EXPECT_GT(program.Count(black), 0) << "the lines";

    auto write = [](int32_t property, uint32_t value) { Runtime().WriteUnitProperty(windowId, listId, property, 0, value, 0); };
    write(9, red);
    write(10, blue);
    Pixels written = Printed(list);
    EXPECT_EQ(written.At(w - 1, h - 1), blue);
    EXPECT_GT(written.Count(red), 0);
    EXPECT_EQ(written.Count(white) + written.Count(black), 0) << "the lines' own background is the list's";
    write(9, 0);
    write(10, 0xFFFFFF);
    EXPECT_EQ(Printed(list).Differences(program), 0);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
}

}  // namespace
}  // namespace velmora::testing
