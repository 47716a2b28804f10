// Pixels of what units draw, read back into bitmaps of the test's own, and
// the few questions drawing tests ask of them. Text is found by its colour,
// never by glyph shapes: fonts differ from system to system.
#pragma once
#include <windows.h>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

// Rectangles compared and printed in failing checks.
inline bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline void PrintTo(const RECT& rect, std::ostream* out) {
    *out << "{" << rect.left << ", " << rect.top << ", " << rect.right << ", " << rect.bottom << "}";
}

namespace velmora::testing {

// A 32-bit top-down bitmap selected into a memory device context, filled
// with magenta at first (no unit draws it, so a pixel left unpainted shows).
class Pixels {
public:
    Pixels(int width, int height, COLORREF fill = RGB(255, 0, 255));
    Pixels(Pixels&& other) noexcept;
    Pixels(const Pixels&) = delete;
    Pixels& operator=(const Pixels&) = delete;
    ~Pixels();

    HDC Dc() const { return dc_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    RECT Whole() const { return {0, 0, width_, height_}; }
    // The colour at a point; CLR_INVALID outside the bitmap.
    COLORREF At(int x, int y) const;
    int Count(COLORREF colour) const { return Count(colour, Whole()); }
    int Count(COLORREF colour, const RECT& within) const;
    // The smallest rectangle holding every pixel of the colour; empty (all
    // zero) when there is none.
    RECT Bounds(COLORREF colour) const;
    // The bounds of the pixels in horizontal runs of at least `length` of the
    // colour: an underline, which (unlike glyph edges) is never smoothed.
    RECT Runs(COLORREF colour, int length) const;
    // Pixels that differ from another bitmap's of the same size (all when the sizes differ).
    int Differences(const Pixels& other) const;
    // Pasted into another bitmap at a point.
    void CopyTo(const Pixels& target, int x, int y) const;
    // A 24-bit BMP file of the pixels.
    bool Save(const std::string& path) const;

private:
    int width_, height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    uint32_t* bits_ = nullptr;
};

// What a unit paints of its client area when asked with WM_PRINTCLIENT.
Pixels Printed(HWND window);
// What the screen shows of a window's client area after a full repaint.
Pixels Shown(HWND window);
// An owner-draw request for the whole of an owner-drawn button, with the
// given state bits, sent through its parent as the platform sends it.
Pixels OwnerDrawn(HWND button, UINT state);

bool IsEmpty(const RECT& rect);
RECT Offset(RECT rect, int dx, int dy);

// A 60-byte font description as unit streams carry it; bold and underlined
// by default, so text shows crisp runs of its own colour (the underline).
std::vector<uint8_t> FontBlock(int height = -16, bool underline = true, int weight = FW_BOLD,
                               const char* face = "Tahoma");

// An icon file with one opaque square image of one colour, 32 bits per pixel.
std::vector<uint8_t> SolidIcon(int size, COLORREF colour);

// Screenshots for the documentation: saved as BMP files in the folder named
// by VELMORA_DRAWING_SHOTS when it is set (scripts/drawing-screenshots turns
// them into the PNGs of docs/); nothing otherwise.
void SaveShot(const Pixels& pixels, const char* name);

}  // namespace velmora::testing
