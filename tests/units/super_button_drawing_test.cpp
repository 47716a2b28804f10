// The super button as it draws itself: colours by state, the pressed text's
// shift, embossed text when disabled, focus rectangles, and the three looks.
// States come from the platform (focus, the pushed state, enabling, the
// mouse) or from owner-draw requests carrying the state bits.
#include <windows.h>
#include <cstdlib>
#include <string>
#include <vector>
#include "runtime/runtime_interface.h"
#include "tests/units/pixels.h"
#include "tests/units/window_test_support.h"
#include "units/stream_codec.h"

namespace velmora::testing {
namespace {

constexpr COLORREF normalText = RGB(0, 0, 160), normalBack = RGB(255, 255, 160), hotText = RGB(160, 0, 0),
                   hotBack = RGB(255, 200, 200), focusText = RGB(0, 120, 0), focusBack = RGB(200, 230, 255);
const COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT), light = GetSysColor(COLOR_3DLIGHT),
               shadow = GetSysColor(COLOR_BTNSHADOW), darkShadow = GetSysColor(COLOR_3DDKSHADOW),
               face = GetSysColor(COLOR_BTNFACE);

struct Look {
    uint32_t look = 0, checkMode = 0, checked = 0, pressedShift = 0, hotBorder = 1, flatFocus = 0, systemColours = 0,
             defaultButton = 0;
};

// A version 2 stream with the six colours above and a bold, underlined font.
std::vector<uint8_t> SuperButtonStream(const Look& look) {
    StreamWriter stream;
    for (uint32_t field : {2u, look.look, look.checkMode, look.checked, 0u, look.pressedShift, look.hotBorder,
                           look.flatFocus, 0xFF000000u, 0xFF000000u, look.systemColours, 0u, look.defaultButton})
        stream.Dword(field);
    for (COLORREF colour : {normalText, normalBack, hotText, hotBack, focusText, focusBack}) stream.Dword(colour);
    stream.Block({});
    stream.Block({});
    stream.Block(FontBlock());
    stream.Block({});
    stream.Block({});
    stream.Text("HH");
    stream.Text("");
    stream.Dword(0xFF000000);
    stream.Block({});
    return stream.bytes;
}

// Hot tracking needs an active window.
HWND ActiveMainWindow() {
    HWND window = MainTemplate().window;
    if (window && IsWindow(window) && GetActiveWindow() == window) return window;
    window = OpenMainWindow();
    SetForegroundWindow(window);
    SetActiveWindow(window);
    Pump(10);
    return window;
}

// The mouse over a button's middle, or far from it, as the button learns of it.
void PointAt(HWND button) {
    RECT rect;
    GetWindowRect(button, &rect);
    SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    SendMessageA(button, WM_MOUSEMOVE, 0, MAKELPARAM((rect.right - rect.left) / 2, (rect.bottom - rect.top) / 2));
}
void PointAway(HWND button) {
    SetCursorPos(0, 0);
    SendMessageA(button, WM_MOUSEMOVE, 0, MAKELPARAM(-100, -100));
}

// A super button of the test's over the main window's units, gone with the test.
struct TestButton {
    HWND window;
    explicit TestButton(const Look& look) {
        UnitObject* unit = MakeUnit(0x00040001, SuperButtonStream(look), superId, {40, 40, 160, 80}, ActiveMainWindow());
        window = unit ? unit->Window() : nullptr;
    }
    ~TestButton() {
        PointAway(window);
        DestroyWindow(window);
    }
};

// The colours `inset` pixels inside each edge, away from the centred caption.
void ExpectRing(const Pixels& pixels, int inset, COLORREF topLeft, COLORREF bottomRight, const char* what) {
    int w = pixels.Width(), h = pixels.Height();
    EXPECT_EQ(pixels.At(inset, h / 2), topLeft) << what << ": left, " << inset << " inside";
    EXPECT_EQ(pixels.At(w / 4, inset), topLeft) << what << ": top, " << inset << " inside";
    EXPECT_EQ(pixels.At(w - 1 - inset, h / 2), bottomRight) << what << ": right, " << inset << " inside";
    EXPECT_EQ(pixels.At(w / 4, h - 1 - inset), bottomRight) << what << ": bottom, " << inset << " inside";
}

int32_t SetSuperProperty(HWND button, int32_t number, uint32_t value) {
    auto set = UnitOperation<SetPropertyOperation>(FindUnitType(0x00040001), UnitServiceSetProperty);
    return set(ValueRecord{value, 0, 0}, UnitOfWindow(button), number - 8);
}

// Pixels on the rectangle `inset` inside the edge that show the background
// inverted: the dots of a focus rectangle.
int FocusDots(const Pixels& pixels, int inset, COLORREF background) {
    COLORREF inverted = background ^ 0x00FFFFFF;
    int w = pixels.Width(), h = pixels.Height(), dots = 0;
    for (int x = inset; x < w - inset; ++x)
        dots += (pixels.At(x, inset) == inverted) + (pixels.At(x, h - 1 - inset) == inverted);
    for (int y = inset + 1; y < h - 1 - inset; ++y)
        dots += (pixels.At(inset, y) == inverted) + (pixels.At(w - 1 - inset, y) == inverted);
    return dots;
}

TEST(SuperButtonDrawing, EachStateShowsItsColoursAndTheFlatBorder) {
    HWND main = ActiveMainWindow();
    TestButton button({});
    ASSERT_NE(button.window, nullptr);

    Pixels normal = Printed(button.window);
    ExpectRing(normal, 0, normalBack, normalBack, "normal: no border");
    EXPECT_EQ(normal.Count(hotText) + normal.Count(focusText), 0);
    RECT text = normal.Bounds(normalText);
    ASSERT_FALSE(IsEmpty(text));
    EXPECT_LE(std::abs(text.left - (normal.Width() - text.right)), 1) << "centred across";
    EXPECT_LE(std::abs(text.top - (normal.Height() - text.bottom)), 3) << "centred down";

    SetFocus(button.window);
    Pixels focused = Printed(button.window);
    ExpectRing(focused, 0, focusBack, focusBack, "focused");
    EXPECT_GT(focused.Count(focusText), 0);
    EXPECT_EQ(focused.Count(normalText), 0);
    EXPECT_EQ(FocusDots(focused, 3, focusBack), 0) << "no focus rectangle in a flat look without its flag";
    SetFocus(main);

    PointAt(button.window);
    Pixels hot = Printed(button.window);
    ExpectRing(hot, 0, highlight, shadow, "hot: a raised one-pixel border");
    ExpectRing(hot, 1, hotBack, hotBack, "hot");
    EXPECT_GT(hot.Count(hotText), 0);
    EXPECT_EQ(hot.Count(normalText), 0);
    PointAway(button.window);
    EXPECT_EQ(Printed(button.window).Differences(normal), 0) << "the mouse gone, the button is normal again";

    SendMessageA(button.window, BM_SETSTATE, TRUE, 0);
    Pixels pressed = Printed(button.window);
    SendMessageA(button.window, BM_SETSTATE, FALSE, 0);
    ExpectRing(pressed, 0, shadow, highlight, "pressed: a sunken one-pixel border");
    ExpectRing(pressed, 1, hotBack, hotBack, "pressed");
    EXPECT_GT(pressed.Count(hotText), 0);

    EnableWindow(button.window, FALSE);
    Pixels disabled = Printed(button.window);
    EnableWindow(button.window, TRUE);
    ExpectRing(disabled, 0, normalBack, normalBack, "disabled");
    EXPECT_GT(disabled.Count(shadow), 0);
    EXPECT_EQ(disabled.Count(normalText), 0) << "disabled text is embossed, not in its colour";
}

TEST(SuperButtonDrawing, TheHotBorderFollowsItsFlag) {
    ActiveMainWindow();
    Look look;
    look.hotBorder = 0;
    TestButton button(look);
    PointAt(button.window);
    ExpectRing(Printed(button.window), 0, hotBack, hotBack, "hot without the hot-border flag");
    PointAway(button.window);
    SendMessageA(button.window, BM_SETSTATE, TRUE, 0);
    ExpectRing(Printed(button.window), 0, hotBack, hotBack, "pressed without the hot-border flag");
    SendMessageA(button.window, BM_SETSTATE, FALSE, 0);
}

TEST(SuperButtonDrawing, PressedTextMovesByTheShiftSettingButCheckedTextStays) {
    struct Case {
        uint32_t shift;
        int dx, dy;
    };
    for (Case shift : {Case{0, 1, 1}, Case{1, 0, 2}}) {
        Look look;
        look.pressedShift = shift.shift;
        TestButton button(look);
        PointAt(button.window);
        RECT hot = Printed(button.window).Bounds(hotText);
        PointAway(button.window);
        SendMessageA(button.window, BM_SETSTATE, TRUE, 0);
        RECT pressed = Printed(button.window).Bounds(hotText);
        SendMessageA(button.window, BM_SETSTATE, FALSE, 0);
        ASSERT_FALSE(IsEmpty(hot));
        EXPECT_EQ(pressed, Offset(hot, shift.dx, shift.dy)) << "shift setting " << shift.shift;
    }
    // In check mode a checked button looks pressed, its text where it was.
    Look check;
    check.checkMode = check.checked = 1;
    TestButton button(check);
    Pixels checked = Printed(button.window);
    ExpectRing(checked, 1, hotBack, hotBack, "checked");
    SendMessageA(button.window, BM_CLICK, 0, 0);  // unchecks
    PointAt(button.window);
    EXPECT_EQ(checked.Bounds(hotText), Printed(button.window).Bounds(hotText));
}

TEST(SuperButtonDrawing, DisabledTextIsEmbossed) {
    TestButton button({});
    RECT text = Printed(button.window).Bounds(normalText);
    EnableWindow(button.window, FALSE);
    Pixels disabled = Printed(button.window);
    RECT lower = disabled.Bounds(highlight), upper = disabled.Bounds(shadow);
    ASSERT_FALSE(IsEmpty(text));
    EXPECT_EQ(upper, text) << "the shadow copy where the text is";
    // The highlight copy lies 1 pixel down and right, under the shadow copy.
    EXPECT_EQ(lower.right, upper.right + 1);
    EXPECT_EQ(lower.bottom, upper.bottom + 1);
    EXPECT_GE(lower.left, upper.left + 1);
    EXPECT_GE(lower.top, upper.top + 1);
}

// Once the keyboard is used (no ODS_NOFOCUSRECT): three inside, in the raised
// look always, in flat looks with the flag, or when nothing else would show
// the focus (focused colours equal to the normal ones). Before, never.
TEST(SuperButtonDrawing, TheFocusRectangleLiesThreeInsideOnceTheKeyboardIsUsed) {
    struct Case {
        uint32_t look, flatFocus;
        bool focusColoursAsNormal, shown;
    };
    for (Case c : {Case{0, 0, false, false}, Case{0, 1, false, true}, Case{2, 0, false, false}, Case{2, 1, false, true},
                   Case{1, 0, false, true}, Case{0, 0, true, true}, Case{2, 0, true, true}}) {
        Look look;
        look.look = c.look;
        look.flatFocus = c.flatFocus;
        TestButton button(look);
        COLORREF background = focusBack;
        if (c.focusColoursAsNormal) {
            SetSuperProperty(button.window, 16, normalText);  // focused text and background as the normal ones
            SetSuperProperty(button.window, 17, normalBack);
            background = normalBack;
        }
        std::string name = "look " + std::to_string(c.look) + ", flat focus " + std::to_string(c.flatFocus) +
                           (c.focusColoursAsNormal ? ", focus colours as normal" : "");
        Pixels focused = OwnerDrawn(button.window, ODS_FOCUS);
        int dots = FocusDots(focused, 3, background);
        if (c.shown) {
            // A dotted line: every other pixel of the ring's 2 * (114 + 34) pixels.
            EXPECT_GE(dots, 130) << name;
            EXPECT_EQ(FocusDots(focused, 2, background) + FocusDots(focused, 4, background), 0) << "3 pixels inside";
        } else {
            EXPECT_EQ(dots, 0) << name;
        }
        EXPECT_EQ(FocusDots(OwnerDrawn(button.window, ODS_FOCUS | ODS_NOFOCUSRECT), 3, background), 0)
            << name << ": the mouse user's window hides focus cues";
        EXPECT_EQ(FocusDots(OwnerDrawn(button.window, 0), 3, normalBack), 0) << "only while focused";
    }
}

TEST(SuperButtonDrawing, ThreeDimensionalLookRaisedEdgeAndBlackFrame) {
    Look raised;
    raised.look = 1;
    TestButton button(raised);
    Pixels normal = OwnerDrawn(button.window, 0);
    ExpectRing(normal, 0, highlight, darkShadow, "raised edge, outer lines");
    ExpectRing(normal, 1, light, shadow, "raised edge, inner lines");
    ExpectRing(normal, 2, normalBack, normalBack, "inside the edge");

    Pixels focused = OwnerDrawn(button.window, ODS_FOCUS);
    ExpectRing(focused, 0, RGB(0, 0, 0), RGB(0, 0, 0), "focused: framed in black");
    ExpectRing(focused, 1, highlight, darkShadow, "focused: the edge inside the frame");
    ExpectRing(focused, 2, light, shadow, "focused: the edge inside the frame");

    Pixels pressed = OwnerDrawn(button.window, ODS_SELECTED);
    ExpectRing(pressed, 0, shadow, shadow, "pressed: a frame in the shadow colour");
    ExpectRing(pressed, 1, hotBack, hotBack, "pressed");
    Pixels both = OwnerDrawn(button.window, ODS_SELECTED | ODS_FOCUS);
    ExpectRing(both, 0, RGB(0, 0, 0), RGB(0, 0, 0), "pressed and focused");
    ExpectRing(both, 1, shadow, shadow, "pressed and focused");

    PointAt(button.window);
    EXPECT_EQ(Printed(button.window).Differences(normal), 0) << "a raised button is never hot";

    // Asking for the default style keeps the button owner-drawn and frames it.
    SendMessageA(button.window, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    EXPECT_EQ(GetWindowLongA(button.window, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
    ExpectRing(OwnerDrawn(button.window, 0), 0, RGB(0, 0, 0), RGB(0, 0, 0), "default: framed in black");
    raised.defaultButton = 1;
    TestButton byDefault(raised);
    ExpectRing(OwnerDrawn(byDefault.window, 0), 0, RGB(0, 0, 0), RGB(0, 0, 0), "default from the stream");
    ExpectRing(OwnerDrawn(byDefault.window, 0), 1, highlight, darkShadow, "default from the stream");
}

TEST(SuperButtonDrawing, RoundedLookHasARoundedHotBackground) {
    Look rounded;
    rounded.look = 2;
    TestButton button(rounded);
    Pixels normal = Printed(button.window);
    ExpectRing(normal, 0, normalBack, normalBack, "not hot: plain");
    PointAt(button.window);
    Pixels hot = Printed(button.window);
    int w = hot.Width(), h = hot.Height();
    ExpectRing(hot, 0, RGB(0, 0, 0), RGB(0, 0, 0), "hot: a black outline");
    ExpectRing(hot, 1, hotBack, hotBack, "hot: filled with the hot background");
    for (POINT corner : {POINT{0, 0}, POINT{w - 1, 0}, POINT{0, h - 1}, POINT{w - 1, h - 1}})
        EXPECT_EQ(hot.At(corner.x, corner.y), face) << "rounded: the corner " << corner.x << ", " << corner.y;
    EXPECT_GT(hot.Count(hotText), 0);
    PointAway(button.window);
    SendMessageA(button.window, BM_SETSTATE, TRUE, 0);
    ExpectRing(Printed(button.window), 0, RGB(0, 0, 0), RGB(0, 0, 0), "pressed: rounded too");
    SendMessageA(button.window, BM_SETSTATE, FALSE, 0);
}

TEST(SuperButtonDrawing, WithSystemColoursWrittenColoursGiveWayAtTheNextPaint) {
    const COLORREF red = RGB(255, 0, 0);
    Look system;
    system.systemColours = 1;
    TestButton button(system);
    EXPECT_EQ(Printed(button.window).At(1, 1), face);
    SetSuperProperty(button.window, 13, red);  // the normal background
    EXPECT_EQ(Printed(button.window).At(1, 1), face);
    EXPECT_GT(Printed(button.window).Count(GetSysColor(COLOR_BTNTEXT)), 0);
    SetSuperProperty(button.window, 11, 0);  // the flag off: the written colour shows
    SetSuperProperty(button.window, 13, red);
    EXPECT_EQ(Printed(button.window).At(1, 1), red);
}

// The program's own button: blue underlined text on the button face, darker
// while hot or pressed, never a border; a focus rectangle only for the keyboard.
constexpr COLORREF programText = 0x00FF8800, programHotText = 0x00C06000;

void ExpectNoBorder(const Pixels& pixels, const char* state) {
    int w = pixels.Width(), h = pixels.Height();
    for (int y = 0; y < h; ++y) {
        EXPECT_EQ(pixels.At(0, y), face) << state << ": left edge at " << y;
        EXPECT_EQ(pixels.At(w - 1, y), face) << state << ": right edge at " << y;
    }
}

TEST(SuperButtonDrawing, TheProgramsButtonInEveryState) {
    HWND main = ActiveMainWindow();
    HWND button = UnitHandle(superId);
    Pixels normal = Printed(button);
    EXPECT_FALSE(IsEmpty(normal.Runs(programText, 40))) << "underlined blue text";
    EXPECT_EQ(normal.Count(programHotText), 0);
    ExpectNoBorder(normal, "normal");

    // Its focused colours are its normal ones: for a mouse user focus changes
    // nothing; once the keyboard is used, its focus rectangle shows it.
    EXPECT_EQ(OwnerDrawn(button, ODS_FOCUS | ODS_NOFOCUSRECT).Differences(normal), 0);
    EXPECT_GE(FocusDots(OwnerDrawn(button, ODS_FOCUS), 3, face), 30) << "the keyboard's focus rectangle";

    PointAt(button);
    Pixels hot = Printed(button);
    EXPECT_FALSE(IsEmpty(hot.Runs(programHotText, 40)));
    EXPECT_EQ(hot.Count(programText), 0);
    ExpectNoBorder(hot, "hot");

    // Pressed by the mouse, as a user presses it; released over it, it clicks.
    RECT rect;
    GetClientRect(button, &rect);
    LPARAM middle = MAKELPARAM(rect.right / 2, rect.bottom / 2);
    int clicks = openFolderClicks;
    SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, middle);
    Pixels pressed = Printed(button);
    SendMessageA(button, WM_LBUTTONUP, 0, middle);
    Pump(10);
    EXPECT_EQ(openFolderClicks, clicks + 1);
    EXPECT_EQ(pressed.Count(programText), 0);
    EXPECT_EQ(pressed.Bounds(programHotText), Offset(hot.Bounds(programHotText), 1, 1)) << "1 right and 1 down";
    ExpectNoBorder(pressed, "pressed");
    PointAway(button);
    SetFocus(main);
}

// docs/super-button-states.png: the program's button, a raised one and a
// rounded one with the flat-focus flag, each normal, hot, pressed, disabled
// and focused.
TEST(SuperButtonDrawing, Screenshot) {
    HWND main = ActiveMainWindow();
    Look raised, rounded;
    raised.look = 1;
    rounded.look = 2;
    rounded.flatFocus = 1;
    TestButton raisedButton(raised), roundedButton(rounded);
    std::vector<Pixels> shots;
    for (HWND button : {UnitHandle(superId), raisedButton.window, roundedButton.window}) {
        shots.push_back(Printed(button));
        PointAt(button);
        shots.push_back(Printed(button));
        PointAway(button);
        SendMessageA(button, BM_SETSTATE, TRUE, 0);
        shots.push_back(Printed(button));
        SendMessageA(button, BM_SETSTATE, FALSE, 0);
        EnableWindow(button, FALSE);
        shots.push_back(Printed(button));
        EnableWindow(button, TRUE);
        SetFocus(button);
        shots.push_back(Printed(button));
        SetFocus(main);
    }
    const int gap = 8, width = 120 + gap, height = 40 + gap;
    Pixels sheet(5 * width + gap, 3 * height + gap, RGB(255, 255, 255));
    for (size_t i = 0; i < shots.size(); ++i) {
        int row = static_cast<int>(i / 5), column = static_cast<int>(i % 5);
        shots[i].CopyTo(sheet, gap + column * width, gap + row * height + (40 - shots[i].Height()) / 2);
        bool differs = column == 2 || column == 3 || column == 4 || (column == 1 && row != 1);
        if (differs) {
            EXPECT_GT(shots[i].Differences(shots[row * 5]), 0) << "row " << row << ", state " << column;
        }
    }
    SaveShot(sheet, "super-button-states");
}

}  // namespace
}  // namespace velmora::testing
