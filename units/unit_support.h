// What the standard unit types share: fonts from 60-byte descriptions,
// border styles, colours, and the cached brushes of colour messages.
#pragma once
#include <windows.h>
#include <cstdint>
#include <vector>

namespace velmora {

constexpr uint32_t DefaultColour = 0xFF000000;  // the system's button face

COLORREF ResolveColour(uint32_t colour);
// A colour property written: kept in the unit's settings, the control repainted.
inline void SetColourProperty(uint32_t& setting, uint32_t colour, HWND window) {
    setting = colour;
    InvalidateRect(window, nullptr, TRUE);
}
// Fills a rectangle with a colour without making a brush (the text
// background's opaque fill), for drawing made of many small fills.
void FillSolid(HDC dc, const RECT& rect, COLORREF colour);
// The procedure a unit's window had before the unit's own, or the default one.
inline LRESULT CallPreviousProcedure(WNDPROC previous, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return previous ? CallWindowProcW(previous, window, message, wParam, lParam)
                    : DefWindowProcW(window, message, wParam, lParam);
}
// A font from a 60-byte description with character set, precisions, quality
// and pitch overridden, its sizes (template pixels, at 96 dots per inch)
// scaled to `dpi`; the default GUI font for any other length (not owned, but
// made anew at the default font's size when `dpi` is not the system's).
HFONT MakeUnitFont(const std::vector<uint8_t>& description, UINT dpi, bool& owned);
// The description of the font a unit uses (for font properties): its face a
// program text, its sizes in template pixels.
LOGFONTA FontDescription(const std::vector<uint8_t>& description);
// Border styles 0-5: the edge styles they give a window's normal and extended
// styles. A unit is created with them, so its frame is right from the start.
void AddBorderStyle(uint32_t border, DWORD& style, DWORD& exStyle);
// The same applied in place; a window that has them already is left alone
// (a frame change is a round of messages and a repaint).
void ApplyBorderStyle(HWND window, uint32_t border);

// A font handle that deletes itself when it was made for the unit.
class UnitFont {
public:
    UnitFont() = default;
    UnitFont(const UnitFont&) = delete;
    UnitFont& operator=(const UnitFont&) = delete;
    ~UnitFont() { Reset(); }
    void Set(const std::vector<uint8_t>& description, UINT dpi) {
        Reset();
        handle_ = MakeUnitFont(description, dpi, owned_);
    }
    void Reset() {
        if (owned_ && handle_) DeleteObject(handle_);
        handle_ = nullptr;
        owned_ = false;
    }
    HFONT Get() const { return handle_; }

private:
    HFONT handle_ = nullptr;
    bool owned_ = false;
};

// A solid brush kept for a unit's colour messages, remade only when the colour changes.
class CachedBrush {
public:
    CachedBrush() = default;
    CachedBrush(const CachedBrush&) = delete;
    CachedBrush& operator=(const CachedBrush&) = delete;
    ~CachedBrush() {
        if (brush_) DeleteObject(brush_);
    }
    HBRUSH Get(COLORREF colour) {
        if (!brush_ || colour != colour_) {
            if (brush_) DeleteObject(brush_);
            brush_ = CreateSolidBrush(colour);
            colour_ = colour;
        }
        return brush_;
    }
    // A colour message answered: the text and background colours set on the
    // device context, the background's brush returned.
    HBRUSH Colour(HDC dc, uint32_t textColour, uint32_t background) {
        SetTextColor(dc, textColour & 0x00FFFFFF);
        COLORREF back = ResolveColour(background);
        SetBkColor(dc, back);
        return Get(back);
    }

private:
    HBRUSH brush_ = nullptr;
    COLORREF colour_ = 0;
};

}  // namespace velmora
