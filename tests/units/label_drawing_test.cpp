// The label as it paints itself: text effects, shaded frames and shaded
// backgrounds, its background colour, alignment and background pictures.
#include <windows.h>
#include <string>
#include <vector>
#include "tests/units/pixels.h"
#include "tests/units/window_test_support.h"
#include "units/stream_codec.h"

namespace velmora::testing {
namespace {

constexpr COLORREF red = RGB(255, 0, 0), green = RGB(0, 255, 0), blue = RGB(0, 0, 255), yellow = RGB(255, 255, 0),
                   teal = RGB(0, 128, 128), white = RGB(255, 255, 255), black = RGB(0, 0, 0);
constexpr uint32_t systemColour = 0xFF000000;

// A version 2 label stream; red text on teal, the test's bold underlined font.
struct LabelLook {
    uint32_t effect = 0, frameWidth = 8, border = 0;
    uint32_t frameColours[3] = {0x808080, 0xFFFFFF, 0x808080};
    uint32_t textColour = red, background = teal, pictureMode = 1, shadeMode = 0;
    uint32_t shadeColours[3] = {0x808080, 0xFFFFFF, 0x808080};
    uint32_t horizontal = 1, vertical = 1, wordWrap = 0;
    std::vector<uint8_t> picture;
    std::string caption;
};

// A label of the test's over the main window's units, gone with the test.
struct TestLabel {
    HWND window = nullptr;
    TestLabel(const LabelLook& look, RECT place) {
        StreamWriter stream;
        stream.Dword(2);
        for (uint32_t field : {look.effect, look.frameWidth, look.border}) stream.Dword(field);
        for (uint32_t colour : look.frameColours) stream.Dword(colour);
        for (uint32_t field : {look.textColour, look.background, look.pictureMode, look.shadeMode}) stream.Dword(field);
        for (uint32_t colour : look.shadeColours) stream.Dword(colour);
        for (uint32_t field : {look.horizontal, look.vertical, look.wordWrap}) stream.Dword(field);
        stream.Block(FontBlock());
        stream.Block(look.picture);
        for (const std::string& text : {look.caption, std::string(), std::string()}) stream.Text(text);
        HWND main = MainTemplate().window && IsWindow(MainTemplate().window) ? MainTemplate().window : OpenMainWindow();
        UnitObject* unit = MakeUnit(0x0001000A, stream.bytes, progressId, place, main);
        window = unit ? unit->Window() : nullptr;
    }
    ~TestLabel() { DestroyWindow(window); }
    Pixels Paint() const { return Printed(window); }
    int32_t Set(int32_t number, uint32_t value) const {
        auto set = UnitOperation<SetPropertyOperation>(FindUnitType(0x0001000A), UnitServiceSetProperty);
        return set(ValueRecord{value, 0, 0}, UnitOfWindow(window), number - 8);
    }
};

Pixels Painted(const LabelLook& look, RECT place = {40, 40, 200, 120}) { return TestLabel(look, place).Paint(); }

// The copies are told apart by their underlines: glyph edges are smoothed,
// and a copy's smoothed edge under the text is no longer its colour.
TEST(LabelDrawing, TextEffectsDrawTheirCopiesOffset) {
    LabelLook look;
    look.caption = "HH";
    Pixels plain = Painted(look);
    RECT text = plain.Bounds(red), line = plain.Runs(red, 20);
    ASSERT_FALSE(IsEmpty(line));
    EXPECT_EQ(plain.Count(white) + plain.Count(black), 0);

    look.effect = 1;  // a white copy 1 pixel down and right, under the text
    Pixels raised = Painted(look);
    EXPECT_EQ(raised.Bounds(red), text);
    EXPECT_EQ(raised.Runs(white, 20), (RECT{line.left + 1, line.bottom, line.right + 1, line.bottom + 1}));
    EXPECT_EQ(raised.Bounds(white).right, text.right + 1);
    EXPECT_EQ(raised.Bounds(white).bottom, text.bottom + 1);

    look.effect = 2;  // a white copy in place, the text 1 pixel down and right
    Pixels sunken = Painted(look);
    EXPECT_EQ(sunken.Bounds(red), Offset(text, 1, 1));
    EXPECT_EQ(sunken.Runs(white, 20), (RECT{line.left, line.top, line.right, line.top + 1}));

    look.effect = 3;  // a black shadow 2 pixels down and right
    Pixels shadowed = Painted(look);
    EXPECT_EQ(shadowed.Bounds(red), text);
    RECT shadow = shadowed.Runs(black, 20);
    EXPECT_EQ(shadow.left, line.left + 2);
    EXPECT_EQ(shadow.right, line.right + 2);
    EXPECT_EQ(shadow.bottom, line.bottom + 2);
    EXPECT_EQ(shadowed.Bounds(black).right, text.right + 2);
    EXPECT_EQ(shadowed.Count(white), 0);
}

// The colour of one frame ring, the same on all four sides.
COLORREF Ring(const Pixels& pixels, int ring) {
    int w = pixels.Width(), h = pixels.Height();
    COLORREF left = pixels.At(ring, h / 2);
    EXPECT_EQ(pixels.At(w / 2, ring), left) << "top of ring " << ring;
    EXPECT_EQ(pixels.At(w - 1 - ring, h / 2), left) << "right of ring " << ring;
    EXPECT_EQ(pixels.At(w / 2, h - 1 - ring), left) << "bottom of ring " << ring;
    return left;
}

// Nearer the middle colour than either end: green, with little red or blue.
bool MostlyGreen(COLORREF colour) { return GetGValue(colour) > 200 && GetRValue(colour) < 60 && GetBValue(colour) < 60; }

TEST(LabelDrawing, ShadedFrameOfItsWidthThroughItsColours) {
    LabelLook look;
    look.border = 6;
    look.frameWidth = 10;
    look.background = yellow;
    look.frameColours[0] = red, look.frameColours[1] = green, look.frameColours[2] = blue;
    Pixels three = Painted(look, {40, 40, 160, 120});
    EXPECT_EQ(Ring(three, 0), red) << "outside: the first colour";
    EXPECT_EQ(Ring(three, 9), blue) << "inside: the last colour";
    EXPECT_PRED1(MostlyGreen, Ring(three, 4)) << "the middle colour between them";
    EXPECT_PRED1(MostlyGreen, Ring(three, 5));
    EXPECT_EQ(Ring(three, 10), yellow) << "the background inside the frame";

    look.frameColours[2] = systemColour;  // two colours left: from the first to the second
    Pixels two = Painted(look, {40, 40, 160, 120});
    EXPECT_EQ(Ring(two, 0), red);
    EXPECT_EQ(Ring(two, 9), green);
    EXPECT_EQ(Ring(two, 10), yellow);

    look.frameColours[1] = systemColour;  // one colour is no frame
    EXPECT_EQ(Ring(Painted(look, {40, 40, 160, 120}), 0), yellow);

    LabelLook standard;  // grey, white, grey: a raised frame
    standard.border = 6;
    standard.background = yellow;
    TestLabel label(standard, {40, 40, 160, 120});
    Pixels frame = label.Paint();
    EXPECT_EQ(Ring(frame, 0), RGB(128, 128, 128));
    EXPECT_EQ(Ring(frame, 7), RGB(128, 128, 128));
    EXPECT_GT(GetRValue(Ring(frame, 3)), 230) << "white in the middle";
    EXPECT_EQ(Ring(frame, 8), yellow) << "8 pixels wide by default";
    label.Set(16, 5);
    EXPECT_EQ(Ring(label.Paint(), 5), yellow) << "a width written later";
    EXPECT_NE(Ring(label.Paint(), 4), yellow);
    label.Set(15, 0);
    EXPECT_EQ(Ring(label.Paint(), 0), yellow) << "other border styles draw no shaded frame";
}

// One row's colour, the same across the row.
COLORREF Row(const Pixels& pixels, int y, int left = 0, int right = -1) {
    if (right < 0) right = pixels.Width();
    COLORREF colour = pixels.At(left, y);
    EXPECT_EQ(pixels.At((left + right) / 2, y), colour) << "row " << y;
    EXPECT_EQ(pixels.At(right - 1, y), colour) << "row " << y;
    return colour;
}

TEST(LabelDrawing, ShadedBackgroundFromTopToBottomThroughItsColours) {
    LabelLook look;
    look.background = yellow;
    look.shadeMode = 1;
    look.shadeColours[0] = red, look.shadeColours[1] = green, look.shadeColours[2] = blue;
    Pixels three = Painted(look, {40, 40, 140, 121});
    EXPECT_EQ(Row(three, 0), red);
    EXPECT_PRED1(MostlyGreen, Row(three, 40));
    EXPECT_EQ(Row(three, 80), blue);

    look.shadeColours[0] = systemColour;  // two left: the second to the third
    Pixels two = Painted(look, {40, 40, 140, 121});
    EXPECT_EQ(Row(two, 0), green);
    EXPECT_EQ(Row(two, 80), blue);

    look.shadeColours[1] = systemColour;  // one left: the background colour
    EXPECT_EQ(Row(Painted(look, {40, 40, 140, 121}), 40), yellow);
    look.shadeColours[0] = red, look.shadeColours[1] = green;
    look.shadeMode = 0;
    EXPECT_EQ(Row(Painted(look, {40, 40, 140, 121}), 40), yellow) << "mode 0 is no shading";

    // Inside a shaded frame the shading fills what the frame leaves.
    look.shadeMode = 1;
    look.border = 6;
    look.frameWidth = 10;
    Pixels framed = Painted(look, {40, 40, 140, 121});
    EXPECT_EQ(Row(framed, 10, 10, 90), red);
    EXPECT_EQ(Row(framed, 70, 10, 90), blue);
}

TEST(LabelDrawing, BackgroundColourAndItsSystemDefault) {
    LabelLook look;
    look.background = systemColour;
    TestLabel label(look, {40, 40, 120, 80});
    EXPECT_EQ(label.Paint().At(1, 1), GetSysColor(COLOR_BTNFACE));
    label.Set(10, yellow);
    EXPECT_EQ(label.Paint().At(1, 1), yellow);
    label.Set(9, blue);
    label.Set(8, reinterpret_cast<uint32_t>("HH"));
    Pixels written = label.Paint();
    EXPECT_GT(written.Count(blue), 0) << "the text colour written";
    EXPECT_EQ(written.Count(red), 0);
}

TEST(LabelDrawing, TextAlignsByItsSettings) {
    LabelLook look;
    look.caption = "HH";
    RECT across[3], down[3];
    for (uint32_t i = 0; i < 3; ++i) {
        look.horizontal = i, look.vertical = 1;
        across[i] = Painted(look, {40, 40, 200, 100}).Bounds(red);
        look.horizontal = 1, look.vertical = i;
        down[i] = Painted(look, {40, 40, 200, 100}).Bounds(red);
    }
    ASSERT_FALSE(IsEmpty(across[0]));
    EXPECT_LE(across[0].left, 2) << "left";
    EXPECT_GE(across[2].right, 160 - 2) << "right";
    EXPECT_LE(std::abs(across[1].left - (160 - across[1].right)), 1) << "centred across";
    EXPECT_EQ(across[0].top, across[2].top);
    EXPECT_LE(down[0].top, 4) << "top";
    EXPECT_GE(down[2].bottom, 60 - 4) << "bottom";
    EXPECT_LE(std::abs((down[1].top - down[0].top) - (down[2].top - down[1].top)), 1) << "centred down";
    EXPECT_LT(down[0].top, down[1].top);

    // Wrapped text starts at the top whatever the vertical setting, each line aligned.
    look.wordWrap = 1;
    look.horizontal = 2, look.vertical = 2;
    look.caption = "HH HH HH HH HH HH HH HH";
    RECT wrapped = Painted(look, {40, 40, 200, 100}).Bounds(red);
    EXPECT_EQ(wrapped.top, down[0].top);
    EXPECT_GT(wrapped.bottom - wrapped.top, 2 * (down[0].bottom - down[0].top)) << "on several lines";
    EXPECT_GE(wrapped.right, 160 - 2);
}

TEST(LabelDrawing, BackgroundPictureCentredScaledOrStretched) {
    LabelLook look;
    look.background = yellow;
    look.picture = SolidIcon(16, red);
    look.pictureMode = 2;
    Pixels centred = Painted(look, {40, 40, 160, 120});
    EXPECT_EQ(centred.Bounds(red), (RECT{52, 32, 68, 48})) << "in its own size in the middle";
    EXPECT_EQ(centred.At(0, 0), yellow) << "the background colour around it";
    look.picture = SolidIcon(64, red);
    Pixels scaled = Painted(look, {40, 40, 80, 70});
    EXPECT_EQ(scaled.Bounds(red), (RECT{5, 0, 35, 30})) << "scaled down to fit, keeping its proportions";
    look.picture = SolidIcon(16, red);
    look.pictureMode = 3;
    Pixels stretched = Painted(look, {40, 40, 160, 120});
    EXPECT_EQ(stretched.Count(red), 120 * 80) << "stretched over the whole label";
}

// docs/label-shading.png: shaded frames and backgrounds, with text effects.
TEST(LabelDrawing, Screenshot) {
    std::vector<Pixels> shots;
    LabelLook framed;
    framed.border = 6;
    framed.background = RGB(235, 235, 235);
    framed.textColour = RGB(40, 40, 40);
    framed.effect = 1;
    framed.caption = "Velmora";
    shots.push_back(Painted(framed, {40, 40, 200, 120}));
    LabelLook shaded = framed;
    shaded.frameColours[0] = RGB(20, 60, 140), shaded.frameColours[1] = RGB(120, 180, 255);
    shaded.frameColours[2] = RGB(20, 60, 140);
    shaded.shadeMode = 1;
    shaded.shadeColours[0] = RGB(255, 250, 220), shaded.shadeColours[1] = RGB(255, 200, 120);
    shaded.shadeColours[2] = RGB(230, 120, 40);
    shaded.textColour = white;
    shaded.effect = 3;
    shots.push_back(Painted(shaded, {40, 40, 200, 120}));
    LabelLook background = shaded;
    background.border = 0;
    background.effect = 2;
    background.textColour = RGB(90, 40, 0);
    shots.push_back(Painted(background, {40, 40, 200, 120}));
    const int gap = 8;
    Pixels sheet(3 * (160 + gap) + gap, 80 + 2 * gap, white);
    for (size_t i = 0; i < shots.size(); ++i) shots[i].CopyTo(sheet, gap + static_cast<int>(i) * (160 + gap), gap);
    EXPECT_GT(shots[1].Differences(shots[0]), 160 * 80 / 2);
    SaveShot(sheet, "label-shading");
}

}  // namespace
}  // namespace velmora::testing
