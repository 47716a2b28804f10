// The standard units and the super button as the platform shows them.
#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include <cwchar>
#include <iterator>
#include <vector>
#include <string>
#include "commands/core_calls.h"
#include "runtime/memory.h"
#include "runtime/runtime_interface.h"
#include "tests/units/import_hook.h"
#include "tests/units/pixels.h"
#include "tests/units/window_test_support.h"
#include "units/adjuster_step.h"
#include "units/framework/runtime_resources.h"
#include "units/framework/window_creation.h"
#include "units/framework/window_map.h"
#include "units/list_box_unit.h"
#include "units/stream_codec.h"

namespace velmora::testing {
namespace {

RECT RectInWindow(HWND unit) {
    RECT rect;
    GetWindowRect(unit, &rect);
    MapWindowPoints(nullptr, GetParent(unit), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

LONG Style(HWND window) { return GetWindowLongA(window, GWL_STYLE); }

// What a user meets in the window: every unit shown whole inside the client
// area and clear of the others, the list on the left and the controls in one
// column beside it from the start button down, the texts they read, a count
// that typing cannot change, and a window that is neither resized nor maximised.
TEST(StandardUnits, EveryUnitShownWholeClearOfTheOthersWithItsText) {
    HWND window = OpenMainWindow();
    RECT client;
    GetClientRect(window, &client);
    const uint32_t column[] = {buttonId, noteId, progressId, captionId, countId, superId};  // top to bottom
    std::vector<std::pair<uint32_t, RECT>> placed;
    for (uint32_t unitId : {listId, buttonId, noteId, progressId, captionId, countId, superId}) {
        HWND unit = UnitHandle(unitId);
        ASSERT_NE(unit, nullptr) << std::hex << unitId;
        EXPECT_TRUE(IsWindowVisible(unit)) << std::hex << unitId;
        RECT rect = RectInWindow(unit);
        EXPECT_TRUE(rect.left >= 0 && rect.top >= 0 && rect.right <= client.right && rect.bottom <= client.bottom &&
                    rect.right > rect.left && rect.bottom > rect.top)
            << std::hex << unitId << ": whole, inside the client area";
        for (const auto& [other, otherRect] : placed) {
            RECT overlap;
            EXPECT_FALSE(IntersectRect(&overlap, &rect, &otherRect)) << std::hex << unitId << " covers " << other;
        }
        placed.push_back({unitId, rect});
    }
    RECT list = RectInWindow(UnitHandle(listId));
    for (size_t i = 0; i < std::size(column); ++i) {
        RECT rect = RectInWindow(UnitHandle(column[i]));
        EXPECT_GE(rect.left, list.right) << std::hex << column[i] << ": beside the list";
        if (i > 0) {
            EXPECT_GE(rect.top, RectInWindow(UnitHandle(column[i - 1])).bottom) << std::hex << column[i] << ": below";
        }
    }

    EXPECT_EQ(TextOf(window), "Velmora");
    EXPECT_EQ(TextOf(UnitHandle(buttonId)), "开始下载");
    EXPECT_EQ(TextOf(UnitHandle(noteId)), "将保存到图片用户文件夹中，已经下载的图片不会覆盖");
    EXPECT_EQ(TextOf(UnitHandle(captionId)), "设置下载线程数量：");
    EXPECT_EQ(TextOf(UnitHandle(countId)), "10");
    EXPECT_EQ(TextOf(UnitHandle(superId)), "打开下载文件夹");
    SendMessageW(UnitHandle(countId), WM_CHAR, L'3', 0);
    EXPECT_EQ(TextOf(UnitHandle(countId)), "10") << "the count is set with its arrows, not typed";

    LONG style = Style(window);
    EXPECT_TRUE((style & WS_CAPTION) == WS_CAPTION && (style & WS_SYSMENU) && (style & WS_MINIMIZEBOX));
    EXPECT_FALSE(style & (WS_MAXIMIZEBOX | WS_THICKFRAME)) << "neither resized nor maximised";
    RECT outer;
    GetWindowRect(window, &outer);
    EXPECT_LE(std::abs((outer.left + outer.right) - GetSystemMetrics(SM_CXSCREEN)), 1) << "centred on the screen";
}

BOOL CALLBACK FindArrows(HWND child, LPARAM found) {
    char name[32];
    GetClassNameA(child, name, sizeof name);
    if (lstrcmpiA(name, UPDOWN_CLASSA) == 0) *reinterpret_cast<HWND*>(found) = child;
    return TRUE;
}

HWND Arrows() {
    HWND arrows = nullptr;
    EnumChildWindows(MainTemplate().window, FindArrows, reinterpret_cast<LPARAM>(&arrows));
    return arrows;
}

void ClickArrow(bool up) {
    HWND arrows = Arrows();
    RECT rect;
    GetClientRect(arrows, &rect);
    LPARAM at = MAKELPARAM(rect.right / 2, up ? rect.bottom / 4 : rect.bottom * 3 / 4);
    SendMessageA(arrows, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(arrows, WM_LBUTTONUP, 0, at);
    Pump(20);
}

// At the 32-bit limits, checked by the compiler: a step that overflowed would be no constant.
static_assert(SteppedNumber(INT32_MAX, 1, INT32_MIN, INT32_MAX) == INT32_MIN);
static_assert(SteppedNumber(INT32_MIN, -1, INT32_MIN, INT32_MAX) == INT32_MAX);
static_assert(SteppedNumber(INT32_MAX, 1, 1, 10) == 1 && SteppedNumber(INT32_MIN, -1, 1, 10) == 10);
static_assert(SteppedNumber(99999999999LL, -1, 1, 10) == 10, "far beyond the range, a step down gives the maximum");
static_assert(SteppedNumber(5, 1, 10, 1) == 6, "a minimum above the maximum is the same range");

TEST(EditBoxAdjuster, StepsWrapAndTextThatIsNoNumberCountsAsZero) {
    OpenMainWindow();
    HWND count = UnitHandle(countId);
    ASSERT_NE(Arrows(), nullptr);
    RECT box = RectInWindow(count), arrows = RectInWindow(Arrows());
    EXPECT_EQ(arrows.left, box.right) << "right beside the box";
    EXPECT_EQ(arrows.right - arrows.left, 18);
    SetWindowTextA(count, "10");
    ClickArrow(true);
    EXPECT_EQ(TextOf(count), "1") << "up from the maximum wraps to the minimum";
    ClickArrow(false);
    EXPECT_EQ(TextOf(count), "10") << "down from the minimum wraps to the maximum";
    ClickArrow(false);
    EXPECT_EQ(TextOf(count), "9");
    SetWindowTextA(count, "abc");
    ClickArrow(true);
    EXPECT_EQ(TextOf(count), "1");
    SetWindowTextA(count, "abc");
    ClickArrow(false);
    EXPECT_EQ(TextOf(count), "10");
    DWORD start = 0, end = 0;
    SendMessageA(count, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 2u) << "the whole text is selected";
    // Numbers at and beyond the 32-bit limits are outside the range and wrap by the step's sign.
    for (const char* high : {"2147483647", "99999999999999999999"}) {
        SetWindowTextA(count, high);
        ClickArrow(true);
        EXPECT_EQ(TextOf(count), "1") << high;
    }
    for (const char* low : {"-2147483648", "-99999999999999999999"}) {
        SetWindowTextA(count, low);
        ClickArrow(false);
        EXPECT_EQ(TextOf(count), "10") << low;
    }
}

TEST(Disabling, ButtonAndEditBoxWithItsArrows) {
    OpenMainWindow();
    Runtime().WriteUnitProperty(windowId, buttonId, 6, 0, 1, 0);
    Runtime().WriteUnitProperty(windowId, countId, 6, 0, 1, 0);
    EXPECT_FALSE(IsWindowEnabled(UnitHandle(buttonId)));
    EXPECT_FALSE(IsWindowEnabled(UnitHandle(countId)));
    EXPECT_FALSE(IsWindowEnabled(Arrows())) << "the arrows follow the box";
    SetWindowTextA(UnitHandle(countId), "5");
    ClickArrow(true);
    EXPECT_EQ(TextOf(UnitHandle(countId)), "5") << "a disabled box does not step";
    Runtime().WriteUnitProperty(windowId, buttonId, 6, 0, 0, 0);
    Runtime().WriteUnitProperty(windowId, countId, 6, 0, 0, 0);
    EXPECT_TRUE(IsWindowEnabled(Arrows()));
    SetWindowTextA(UnitHandle(countId), "10");
}

TEST(Clicks, ButtonAndSuperButtonFireEventZeroOnce) {
    OpenMainWindow();
    int starts = startClicks, opens = openFolderClicks;
    SendMessageA(UnitHandle(buttonId), BM_CLICK, 0, 0);
    Pump();
    EXPECT_EQ(startClicks, starts + 1);
    SendMessageA(UnitHandle(superId), BM_CLICK, 0, 0);
    Pump();
    EXPECT_EQ(openFolderClicks, opens + 1);
    EXPECT_EQ(startClicks, starts + 1);
}

// One pixel of what a unit paints, painted into a bitmap of the test's.
COLORREF PrintedPixel(HWND unit, int x, int y) {
    RECT client;
    GetClientRect(unit, &client);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    SendMessageA(unit, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    COLORREF pixel = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return pixel;
}

void WriteColour(uint32_t unit, int32_t property, uint32_t colour) {
    Runtime().WriteUnitProperty(windowId, unit, property, 0, colour, 0);
}
uint32_t ReadColour(uint32_t unit, int32_t property) {
    return static_cast<uint32_t>(Runtime().ReadUnitProperty(windowId, unit, property, 0));
}

TEST(SuperButton, TheDefaultColourIsTheSystemsNotBlack) {
    OpenMainWindow();
    WriteColour(superId, 13, 0xFF000000);  // normal background
    WriteColour(superId, 12, 0xFF000000);  // normal text
    EXPECT_EQ(ReadColour(superId, 13), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(ReadColour(superId, 12), GetSysColor(COLOR_BTNTEXT));
    WriteColour(superId, 12, 0x00FF8800);
    EXPECT_EQ(ReadColour(superId, 12), 0x00FF8800u);
}

// The super button with no caption, so one pixel tells the state by its background.
struct BareSuperButton {
    static constexpr COLORREF hot = RGB(255, 0, 0), normal = RGB(0, 255, 0);
    HWND button = UnitHandle(superId);
    BareSuperButton() {
        Runtime().WriteUnitProperty(windowId, superId, 10, 0, reinterpret_cast<uint32_t>(""), 0);
        for (int32_t property : {13, 17}) WriteColour(superId, property, normal);
        WriteColour(superId, 15, hot);
    }
    ~BareSuperButton() {
        Runtime().WriteUnitProperty(windowId, superId, 10, 0, reinterpret_cast<uint32_t>("打开下载文件夹"), 0);
        for (int32_t property : {13, 15, 17}) WriteColour(superId, property, 0xFF000000);
        SetCursorPos(0, 0);
    }
    COLORREF Shown() { return PrintedPixel(button, 1, 1); }
    void PointAt() {
        RECT rect;
        GetWindowRect(button, &rect);
        SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        SendMessageA(button, WM_MOUSEMOVE, 0, MAKELPARAM((rect.right - rect.left) / 2, (rect.bottom - rect.top) / 2));
    }
};

TEST(SuperButton, DeactivationAndCancelModeEndTheHotState) {
    HWND window = OpenMainWindow();
    SetForegroundWindow(window);
    SetActiveWindow(window);
    Pump();
    BareSuperButton bare;
    bare.PointAt();
    ASSERT_EQ(bare.Shown(), bare.hot) << "the mouse over the button makes it hot";

    // Children never see these; the window passes them on.
    SendMessageA(window, WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_EQ(bare.Shown(), bare.normal) << "the window lost activation";

    bare.PointAt();
    ASSERT_EQ(bare.Shown(), bare.hot);
    ValidateRect(bare.button, nullptr);
    SendMessageA(window, WM_ACTIVATEAPP, FALSE, 0);
    EXPECT_EQ(bare.Shown(), bare.normal) << "the program lost activation";
    EXPECT_TRUE(GetUpdateRect(bare.button, nullptr, FALSE)) << "repainted";

    bare.PointAt();
    ASSERT_EQ(bare.Shown(), bare.hot);
    SendMessageA(bare.button, WM_CANCELMODE, 0, 0);
    EXPECT_EQ(bare.Shown(), bare.normal);
}

// One pixel of what a unit shows on the screen after a full repaint.
COLORREF ShownPixel(HWND unit, int x, int y) {
    RedrawWindow(unit, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    HDC dc = GetDC(unit);
    COLORREF pixel = GetPixel(dc, x, y);
    ReleaseDC(unit, dc);
    return pixel;
}

// A version 2 label without a caption.
struct LabelStream {
    uint32_t border = 0, frameWidth = 8, pictureMode = 1, shadeMode = 0;
    std::vector<uint8_t> picture;
};

HWND MakeLabel(const LabelStream& label, RECT place = {8, 8, 128, 88}) {
    StreamWriter stream;
    for (uint32_t field : {2u, 0u, label.frameWidth, label.border, 0x808080u, 0xFFFFFFu, 0x808080u, 0u, 0xFF000000u,
                           label.pictureMode, label.shadeMode, 0x808080u, 0xFFFFFFu, 0x808080u, 0u, 1u, 1u})
        stream.Dword(field);
    stream.Block({});
    stream.Block(label.picture);
    for (int text = 0; text < 3; ++text) stream.Text("");
    UnitObject* unit = MakeUnit(0x0001000A, stream.bytes, progressId, place);
    return unit ? unit->Window() : nullptr;
}

int32_t SetLabelProperty(HWND label, int32_t number, uint32_t value) {
    auto set = UnitOperation<SetPropertyOperation>(FindUnitType(0x0001000A), UnitServiceSetProperty);
    return set(ValueRecord{value, 0, 0}, UnitOfWindow(label), number - 8);
}

TEST(Label, FrameWidthStaysAtLeastFive) {
    OpenMainWindow();
    for (int32_t written : {-1, 3, static_cast<int32_t>(0x80000000)}) {
        Runtime().WriteUnitProperty(windowId, progressId, 16, 0, static_cast<uint32_t>(written), 0);
        EXPECT_EQ(static_cast<int32_t>(Runtime().ReadUnitProperty(windowId, progressId, 16, 0)), 5) << written;
    }
    Runtime().WriteUnitProperty(windowId, progressId, 16, 0, 12, 0);
    EXPECT_EQ(Runtime().ReadUnitProperty(windowId, progressId, 16, 0), 12u);
    Runtime().WriteUnitProperty(windowId, progressId, 16, 0, 8, 0);
}

// Brushes and pens a paint makes, and which of them it deletes again.
std::vector<HGDIOBJ> gdiObjectsLive;
int gdiObjectsMade = 0;
decltype(&CreateSolidBrush) originalSolidBrush;
decltype(&CreateBrushIndirect) originalBrushIndirect;
decltype(&CreatePen) originalPen;
decltype(&DeleteObject) originalDeleteObject;
template <class Handle>
Handle Made(Handle handle) {
    if (handle) ++gdiObjectsMade, gdiObjectsLive.push_back(handle);
    return handle;
}
HBRUSH WINAPI CountedSolidBrush(COLORREF colour) { return Made(originalSolidBrush(colour)); }
HBRUSH WINAPI CountedBrushIndirect(const LOGBRUSH* brush) { return Made(originalBrushIndirect(brush)); }
HPEN WINAPI CountedPen(int style, int width, COLORREF colour) { return Made(originalPen(style, width, colour)); }
BOOL WINAPI CountedDeleteObject(HGDIOBJ object) {
    BOOL deleted = originalDeleteObject(object);
    if (deleted) gdiObjectsLive.erase(std::remove(gdiObjectsLive.begin(), gdiObjectsLive.end(), object), gdiObjectsLive.end());
    return deleted;
}

struct PaintObjects {
    int made, left;
};

// What one paint of the unit makes, and leaves undeleted.
PaintObjects GdiObjectsOfOnePaint(HWND unit) {
    ImportHook solid("gdi32.dll", "CreateSolidBrush", reinterpret_cast<void*>(CountedSolidBrush));
    ImportHook indirect("gdi32.dll", "CreateBrushIndirect", reinterpret_cast<void*>(CountedBrushIndirect));
    ImportHook pen("gdi32.dll", "CreatePen", reinterpret_cast<void*>(CountedPen));
    ImportHook deleting("gdi32.dll", "DeleteObject", reinterpret_cast<void*>(CountedDeleteObject));
    EXPECT_TRUE(solid.Installed() && deleting.Installed());
    originalSolidBrush = reinterpret_cast<decltype(&CreateSolidBrush)>(solid.original);
    originalBrushIndirect = reinterpret_cast<decltype(&CreateBrushIndirect)>(indirect.original);
    originalPen = reinterpret_cast<decltype(&CreatePen)>(pen.original);
    originalDeleteObject = reinterpret_cast<decltype(&DeleteObject)>(deleting.original);
    gdiObjectsMade = 0;
    gdiObjectsLive.clear();
    RedrawWindow(unit, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    return {gdiObjectsMade, static_cast<int>(gdiObjectsLive.size())};
}

// A shaded frame of any width paints with at most a couple of brushes or
// pens (today none: it fills with the DC's own colour), deleted before the
// paint ends, and in bounded time. (The object balance over thousands of
// paints is ObjectBalance's, whose counters must move.)
TEST(Label, ShadedFramesPaintWithAFewObjectsThatTheyDelete) {
    OpenMainWindow();
    HWND label = MakeLabel({6, 30, 1, 1, {}});
    ASSERT_NE(label, nullptr);
    PaintObjects first = GdiObjectsOfOnePaint(label);
    EXPECT_LE(first.made, 2) << "not one per frame ring or shaded line";
    EXPECT_EQ(first.left, 0) << "every object a paint makes, it deletes";
    for (uint32_t width : {0x7FFFFFFFu, 100000u}) {
        SetLabelProperty(label, 16, width);
        DWORD start = GetTickCount();
        PaintObjects wide = GdiObjectsOfOnePaint(label);
        EXPECT_LE(wide.made, 2) << width;
        EXPECT_EQ(wide.left, 0) << width;
        EXPECT_LT(GetTickCount() - start, 2000u) << "a frame wider than the label is drawn as far as it fits";
    }
    DestroyWindow(label);
}

TEST(Label, BackgroundPictureIsDrawnByItsMode) {
    OpenMainWindow();
    const COLORREF red = RGB(255, 0, 0);
    std::vector<uint8_t> icon = SolidIcon(16, red);
    HWND tiled = MakeLabel({0, 8, 1, 0, icon});
    ASSERT_NE(tiled, nullptr);
    EXPECT_EQ(ShownPixel(tiled, 2, 2), red);
    EXPECT_EQ(ShownPixel(tiled, 100, 70), red) << "tiled over the whole label";
    DestroyWindow(tiled);
    HWND corner = MakeLabel({0, 8, 0, 0, icon});
    EXPECT_EQ(ShownPixel(corner, 15, 15), red);
    EXPECT_EQ(ShownPixel(corner, 16, 16), GetSysColor(COLOR_BTNFACE)) << "at the corner in its own size";
    DestroyWindow(corner);
    HWND framed = MakeLabel({6, 10, 0, 0, icon});
    EXPECT_NE(ShownPixel(framed, 9, 9), red) << "inside the frame";
    EXPECT_EQ(ShownPixel(framed, 10, 10), red);
    DestroyWindow(framed);
    HWND damaged = MakeLabel({0, 8, 1, 0, {'n', 'o', ' ', 'i', 'c', 'o', 'n'}});
    EXPECT_EQ(ShownPixel(damaged, 2, 2), GetSysColor(COLOR_BTNFACE)) << "a picture that is no icon is left out";
    DestroyWindow(damaged);

    // The window draws its own 48 x 48 tile the same way (its top-left pixel is this blue).
    HWND window = MainTemplate().window;
    EXPECT_EQ(ShownPixel(window, 0, 0), RGB(214, 232, 252));
    EXPECT_EQ(ShownPixel(window, 0, 48 * 7), RGB(214, 232, 252)) << "tiled";
}

int iconsDrawn = 0;
decltype(&DrawIconEx) originalDrawIcon;
BOOL WINAPI CountedDrawIcon(HDC dc, int x, int y, HICON icon, int w, int h, UINT step, HBRUSH brush, UINT flags) {
    return ++iconsDrawn, originalDrawIcon(dc, x, y, icon, w, h, step, brush, flags);
}

// A tiny icon tiled over a label far larger than the screen: what is visible
// is drawn, in a few hundred draws rather than one per tile of the label.
TEST(Label, ATinyIconTilesAHugeLabelInAFewDraws) {
    OpenMainWindow();
    const COLORREF red = RGB(255, 0, 0);
    HWND label = MakeLabel({0, 8, 1, 0, SolidIcon(2, red)}, {0, 0, 32000, 32000});
    ASSERT_NE(label, nullptr);
    ImportHook draw("user32.dll", "DrawIconEx", reinterpret_cast<void*>(CountedDrawIcon));
    ASSERT_TRUE(draw.Installed());
    originalDrawIcon = reinterpret_cast<decltype(&DrawIconEx)>(draw.original);
    iconsDrawn = 0;
    RedrawWindow(label, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_GT(iconsDrawn, 0);
    EXPECT_LE(iconsDrawn, 1000) << "256 million tiles in the label";
    EXPECT_EQ(ShownPixel(label, 0, 0), red);
    EXPECT_EQ(ShownPixel(label, 67, 45), red) << "beyond the first block of tiles";
    DestroyWindow(label);
}

// The same picture: kind, hot spot and the bits of its mask and colour bitmaps.
bool SameImage(HICON a, HICON b) {
    auto bits = [](HBITMAP bitmap) {
        BITMAP info{};
        std::vector<uint8_t> bytes;
        if (bitmap && GetObjectA(bitmap, sizeof info, &info)) {
            bytes.resize(static_cast<size_t>(info.bmWidthBytes) * info.bmHeight);
            GetBitmapBits(bitmap, static_cast<LONG>(bytes.size()), bytes.data());
        }
        DeleteObject(bitmap);
        return bytes;
    };
    ICONINFO first{}, second{};
    if (!a || !b || !GetIconInfo(a, &first) || !GetIconInfo(b, &second)) return false;
    bool same = first.fIcon == second.fIcon && first.xHotspot == second.xHotspot && first.yHotspot == second.yHotspot;
    std::vector<uint8_t> masks[2] = {bits(first.hbmMask), bits(second.hbmMask)};
    std::vector<uint8_t> colours[2] = {bits(first.hbmColor), bits(second.hbmColor)};
    return same && !masks[0].empty() && masks[0] == masks[1] && colours[0] == colours[1];
}

void WritePointer(uint32_t unit, const std::vector<uint8_t>& bytes) { WriteBytes(unit, 7, bytes); }

// The cursor the unit sets when the mouse moves over its client area.
HCURSOR CursorShownOver(HWND unit) {
    SetCursor(nullptr);
    SendMessageA(unit, WM_SETCURSOR, reinterpret_cast<WPARAM>(unit), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    return GetCursor();
}

TEST(MousePointers, EveryUnitShowsItsRecordsCursorElseItsClassCursor) {
    HWND window = OpenMainWindow();
    const uint32_t windowRecord = 0x06010000;
    for (uint32_t unit : {windowRecord, buttonId, listId, progressId, countId, superId}) {
        HWND handle = unit == windowRecord ? window : UnitHandle(unit);
        WritePointer(unit, {2, 0, 0, 0});  // the cross
        ASSERT_NE(RecordCursor(unit), nullptr) << std::hex << unit;
        EXPECT_EQ(CursorShownOver(handle), RecordCursor(unit)) << std::hex << unit;
        EXPECT_TRUE(SameImage(GetCursor(), LoadCursorA(nullptr, IDC_CROSS))) << std::hex << unit;

        WritePointer(unit, {0, 0, 0, 0});
        EXPECT_EQ(RecordCursor(unit), nullptr);
        char name[32];
        GetClassNameA(handle, name, sizeof name);
        WNDCLASSA windowClass{};
        if (!GetClassInfoA(GetModuleHandleA(nullptr), name, &windowClass)) GetClassInfoA(nullptr, name, &windowClass);
        EXPECT_EQ(CursorShownOver(handle), windowClass.hCursor) << name;
    }
    WritePointer(windowRecord, {2, 0, 0, 0});
    SetCursor(nullptr);
    SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(UnitHandle(listId)), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_NE(GetCursor(), RecordCursor(windowRecord)) << "asked about a child, the window leaves the cursor to it";
    WritePointer(windowRecord, {0, 0, 0, 0});
}

TEST(MousePointers, CodeFourteenIsTheRuntimesHandAndUnknownCodesGiveNone) {
    OpenMainWindow();
    WritePointer(buttonId, {14, 0, 0, 0});
    HCURSOR hand = LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(VELMORA_HAND_CURSOR));
    ASSERT_NE(hand, nullptr) << "the test program embeds the runtime's resources";
    EXPECT_TRUE(SameImage(RecordCursor(buttonId), hand));
    EXPECT_FALSE(SameImage(RecordCursor(buttonId), LoadCursorA(nullptr, IDC_HAND))) << "not the system's hand";
    EXPECT_EQ(CursorShownOver(UnitHandle(buttonId)), RecordCursor(buttonId));
    auto* read = reinterpret_cast<ByteSetBlock*>(static_cast<uint32_t>(Runtime().ReadUnitProperty(windowId, buttonId, 7, 0)));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(ReadDword(read->data()), 14u) << "read back as the program's code";
    FreeMemory(read);
    for (std::vector<uint8_t> unknown : {std::vector<uint8_t>{99, 0, 0, 0}, {15, 0, 0, 0}, {0xFF, 0xFF, 0xFF, 0xFF, 1, 2},
                                         {0xFF}, {0x80, 0, 0, 0x80}}) {
        WritePointer(buttonId, unknown);
        EXPECT_EQ(RecordCursor(buttonId), nullptr) << unknown.size();
    }
    WritePointer(buttonId, {0, 0, 0, 0});
}

TEST(WindowIcon, WithoutATemplateIconTheRuntimesOwn) {
    HWND window = OpenMainWindow();
    HMODULE module = GetModuleHandleA(nullptr);
    auto big = reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, ICON_BIG, 0));
    auto small = reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, ICON_SMALL, 0));
    EXPECT_TRUE(SameImage(big, LoadIconA(module, MAKEINTRESOURCEA(VELMORA_DEFAULT_ICON))));
    HANDLE smallSize = LoadImageA(module, MAKEINTRESOURCEA(VELMORA_DEFAULT_ICON), IMAGE_ICON,
                                  GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0);
    EXPECT_TRUE(SameImage(small, static_cast<HICON>(smallSize)));
    DestroyIcon(static_cast<HICON>(smallSize));
    EXPECT_FALSE(SameImage(big, LoadIconA(nullptr, IDI_APPLICATION))) << "not the system's application icon";
}

const ValueRecord listBox{windowId, listId, 0x0001000F};

int deletions = 0;
LRESULT CALLBACK CountDeletions(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message == LB_DELETESTRING) ++deletions;
    return DefSubclassProc(window, message, wParam, lParam);
}

TEST(ListBoxMethods, InsertAndReplaceKeepingDataSelectionTopAndCaret) {
    OpenMainWindow();
    HWND list = UnitHandle(listId);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    EXPECT_EQ(routine::InsertItem(listBox, -1, "x"), -1);
    EXPECT_EQ(routine::GetItemCount(listBox), 0);
    for (int i = 0; i < 40; ++i) {
        std::string line = "正在下载：" + std::to_string(i);
        ASSERT_EQ(routine::InsertItem(listBox, routine::GetItemCount(listBox), line.c_str()), i);
    }
    EXPECT_EQ(routine::InsertItem(listBox, 99, "beyond"), -1);
    SendMessageA(list, LB_SETITEMDATA, 5, 777);
    SendMessageA(list, LB_SETCURSEL, 7, 0);
    SendMessageA(list, LB_SETTOPINDEX, 3, 0);
    LRESULT top = SendMessageA(list, LB_GETTOPINDEX, 0, 0);
    EXPECT_TRUE(routine::SetItemText(listBox, 5, "下载完成：5"));
    char text[64] = {};
    SendMessageA(list, LB_GETTEXT, 5, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "下载完成：5");
    EXPECT_EQ(SendMessageA(list, LB_GETITEMDATA, 5, 0), 777);
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 7);
    EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), top);
    EXPECT_EQ(SendMessageA(list, LB_GETCARETINDEX, 0, 0), 7);
    EXPECT_EQ(routine::GetItemCount(listBox), 40);

    SetWindowSubclass(list, CountDeletions, 7, 0);
    deletions = 0;
    EXPECT_TRUE(routine::SetItemText(listBox, 5, "下载完成：5"));
    EXPECT_EQ(deletions, 0) << "an equal text leaves the list untouched";
    RemoveWindowSubclass(list, CountDeletions, 7);
    EXPECT_FALSE(routine::SetItemText(listBox, 40, "no such line"));
    EXPECT_FALSE(routine::SetItemText(listBox, -1, "no such line"));
}

// A version 3 list box of its own: border 1, one column, the given items.
HWND MakeListBox(uint32_t sorted, const std::string& firstText, const std::string& secondText, uint32_t extended,
                 const std::vector<std::string>& items, int32_t selection = -1) {
    StreamWriter stream;
    for (uint32_t field : {3u, 1u, sorted, 0u, 0u, 0u, 0xFFFFFFu, extended}) stream.Dword(field);
    stream.Int(selection);
    stream.Block({});
    stream.Block({});
    stream.TextList(items);
    stream.Text(firstText);
    stream.Text(secondText);
    stream.Dword(0);
    UnitObject* unit = MakeUnit(0x0001000F, stream.bytes, listId);
    return unit ? unit->Window() : nullptr;
}

TEST(ListBoxStream, TheFirstVersionTwoTextGatesSorting) {
    HWND sorted = MakeListBox(1, "", "a setting", 0, {"b", "a"});
    ASSERT_NE(sorted, nullptr);
    EXPECT_TRUE(Style(sorted) & LBS_SORT) << "an empty first text lets sorting take effect";
    EXPECT_EQ(ListItemText(sorted, 0), "a");
    EXPECT_TRUE(GetWindowLongA(sorted, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) << "border 1: the sunken edge";
    HWND linked = MakeListBox(1, "a link", "", 0, {"b", "a"});
    ASSERT_NE(linked, nullptr);
    EXPECT_FALSE(Style(linked) & LBS_SORT) << "a link text keeps the stored order";
    EXPECT_EQ(ListItemText(linked, 0), "b");
    DestroyWindow(sorted);
    DestroyWindow(linked);
}

TEST(ListBoxStream, ExtendedSelectionKeepsSelectedLinesOnReplaceAndWrite) {
    HWND list = MakeListBox(0, "", "", 1, {"0", "1", "2", "3", "4"});
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(Style(list) & LBS_EXTENDEDSEL);
    SendMessageA(list, LB_SETSEL, TRUE, 1);
    SendMessageA(list, LB_SETSEL, TRUE, 3);
    EXPECT_TRUE(ListSetItemText(list, 3, "three"));
    EXPECT_TRUE(ListSetItemText(list, 2, "two"));
    EXPECT_GT(SendMessageA(list, LB_GETSEL, 3, 0), 0) << "the replaced line stays selected";
    EXPECT_GT(SendMessageA(list, LB_GETSEL, 1, 0), 0);
    EXPECT_EQ(SendMessageA(list, LB_GETSEL, 2, 0), 0) << "an unselected line is not selected by its replacement";
    EXPECT_EQ(SendMessageA(list, LB_GETSELCOUNT, 0, 0), 2);

    auto set = UnitOperation<SetPropertyOperation>(FindUnitType(0x0001000F), UnitServiceSetProperty);
    set(ValueRecord{4, 0, 0}, UnitOfWindow(list), 0);  // property 8, the current selection
    EXPECT_GT(SendMessageA(list, LB_GETSEL, 4, 0), 0);
    EXPECT_EQ(SendMessageA(list, LB_GETSELCOUNT, 0, 0), 1) << "writing the selection replaces it";
    set(ValueRecord{static_cast<uint32_t>(-1), 0, 0}, UnitOfWindow(list), 0);
    EXPECT_EQ(SendMessageA(list, LB_GETSELCOUNT, 0, 0), 0);
    DestroyWindow(list);

    // The stream's selection is the line it names, as a single-selection box shows it.
    HWND stored = MakeListBox(0, "", "", 1, {"0", "1", "2", "3"}, 2);
    ASSERT_NE(stored, nullptr);
    EXPECT_GT(SendMessageA(stored, LB_GETSEL, 2, 0), 0);
    EXPECT_EQ(SendMessageA(stored, LB_GETSELCOUNT, 0, 0), 1) << "line 2 alone, not line 0";
    DestroyWindow(stored);
}

TEST(StreamVersions, ATooNewStreamMakesCreationFail) {
    WindowTemplate& real = MainTemplate();
    auto copy = std::make_unique<WindowTemplate>();
    copy->unitCount = real.unitCount;
    copy->unitTable = real.unitTable;
    UnitRecordRef record;
    ASSERT_TRUE(copy->Record(static_cast<uint32_t>(copy->IndexOf(progressId)), record));
    WriteDword(record.data + record.layout.streamOffset, 3);  // labels know versions up to 2
    record.SetObject(nullptr);
    WindowTemplate* tooNew = copy.get();
    ProgramWindows().Add(0x52010002, std::move(copy));
    for (uint32_t i = 0; i < tooNew->unitCount; ++i)
        if (tooNew->Record(i, record) && !record.layout.menuItem) record.SetObject(nullptr);
    EXPECT_FALSE(CreateWindowFromTemplate(*tooNew, false, nullptr));
    EXPECT_EQ(tooNew->window, nullptr);
}

// On any system code page (ctest runs this in prefixes of several): every
// unit's text as the platform holds it, UTF-16, in the template's face, which
// holds a glyph for each of its characters.
TEST(AnyCodePage, EveryUnitsTextInItsFontWhichHoldsEachCharacter) {
    OpenMainWindow();
    struct Row {
        uint32_t unitId;
        const wchar_t* text;
    };
    const Row rows[] = {{buttonId, L"开始下载"},
                        {noteId, L"将保存到图片用户文件夹中，已经下载的图片不会覆盖"},
                        {progressId, L"0 / 0"},
                        {captionId, L"设置下载线程数量："},
                        {countId, L"10"},
                        {superId, L"打开下载文件夹"}};
    HDC dc = GetDC(nullptr);
    for (const Row& row : rows) {
        HWND unit = UnitHandle(row.unitId);
        wchar_t text[256] = {};
        GetWindowTextW(unit, text, 256);
        EXPECT_STREQ(text, row.text) << std::hex << row.unitId;
        auto font = reinterpret_cast<HFONT>(SendMessageW(unit, WM_GETFONT, 0, 0));
        ASSERT_NE(font, nullptr) << std::hex << row.unitId;
        LOGFONTW description{};
        GetObjectW(font, sizeof description, &description);
        EXPECT_STREQ(description.lfFaceName, L"微软雅黑") << std::hex << row.unitId;
        HGDIOBJ old = SelectObject(dc, font);
        std::vector<WORD> glyphs(std::wcslen(row.text));
        GetGlyphIndicesW(dc, row.text, static_cast<int>(glyphs.size()), glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
        SelectObject(dc, old);
        EXPECT_EQ(std::count(glyphs.begin(), glyphs.end(), 0xFFFF), 0) << std::hex << row.unitId << ": glyphs missing";
    }
    ReleaseDC(nullptr, dc);
}

// WM_DPICHANGED (as Windows sends it when the window moves to a monitor of
// another scale): every unit at its template rectangle scaled to the new
// DPI, its font too, the window where the platform suggests; and back.
TEST(Dpi, AChangeOfDpiLaysTheWindowOutAgainAndBack) {
    HWND window = OpenMainWindow();
    const uint32_t units[] = {buttonId, listId, noteId, progressId, countId, captionId, superId};
    std::vector<RECT> before;
    for (uint32_t unit : units) before.push_back(RectInWindow(UnitHandle(unit)));
    RECT outer;
    GetWindowRect(window, &outer);
    auto fontHeight = [](uint32_t unit) {
        LOGFONTW font{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(UnitHandle(unit), WM_GETFONT, 0, 0)), sizeof font, &font);
        return font.lfHeight;
    };
    LONG heightBefore = fontHeight(noteId);
    auto rectOf = [](uint32_t unit) {
        return RECT{static_cast<LONG>(Runtime().ReadUnitProperty(windowId, unit, 0, 0)),
                    static_cast<LONG>(Runtime().ReadUnitProperty(windowId, unit, 1, 0)),
                    static_cast<LONG>(Runtime().ReadUnitProperty(windowId, unit, 2, 0)),
                    static_cast<LONG>(Runtime().ReadUnitProperty(windowId, unit, 3, 0))};
    };
    RECT buttonInTemplate = rectOf(buttonId);

    // At 150%, as most laptops are: every template value here is even, so exact.
    auto scaled = [](LONG value) { return value * 3 / 2; };
    RECT suggested{outer.left, outer.top, outer.left + MulDiv(472, 3, 2), outer.top + MulDiv(407, 3, 2)};
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    RECT now;
    GetWindowRect(window, &now);
    EXPECT_TRUE(EqualRect(&now, &suggested)) << "where the platform suggests";
    const RECT templateRects[] = {{368, 16, 72, 40},  {32, 16, 328, 328}, {368, 64, 72, 88},  {368, 176, 72, 40},
                                  {368, 296, 72, 24}, {368, 256, 72, 40}, {368, 328, 88, 16}};
    for (size_t i = 0; i < std::size(units); ++i) {
        RECT rect = RectInWindow(UnitHandle(units[i]));
        EXPECT_EQ(rect.left, scaled(templateRects[i].left)) << std::hex << units[i];
        EXPECT_EQ(rect.top, scaled(templateRects[i].top)) << std::hex << units[i];
        EXPECT_EQ(rect.right - rect.left, scaled(templateRects[i].right)) << std::hex << units[i];
        EXPECT_GE(rect.bottom - rect.top, scaled(templateRects[i].bottom)) << std::hex << units[i];
    }
    EXPECT_EQ(fontHeight(noteId), scaled(heightBefore)) << "the font made anew at the new DPI";
    EXPECT_EQ(fontHeight(countId), scaled(heightBefore));
    RECT arrows;
    GetWindowRect(GetWindow(UnitHandle(countId), GW_HWNDNEXT), &arrows);
    EXPECT_EQ(arrows.right - arrows.left, 27) << "the count's arrows";
    RECT read = rectOf(buttonId);
    EXPECT_TRUE(EqualRect(&read, &buttonInTemplate)) << "a program reads template pixels at any DPI";

    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&outer));
    for (size_t i = 0; i < std::size(units); ++i) {
        RECT rect = RectInWindow(UnitHandle(units[i]));
        EXPECT_TRUE(EqualRect(&rect, &before[i])) << std::hex << units[i] << ": back where it was";
    }
    EXPECT_EQ(fontHeight(noteId), heightBefore);
}

}  // namespace
}  // namespace velmora::testing
