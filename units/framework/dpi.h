// Template positions, sizes, font heights and drawing offsets are pixels at
// 96 dots per inch; a window shows them at its own DPI, so the program looks
// as designed on a screen scaled to 125-200% and exactly as before at 100%.
#pragma once
#include <windows.h>

namespace velmora {

constexpr UINT TemplateDpi = 96;

inline int ScaleToDpi(int value, UINT dpi) { return dpi && dpi != TemplateDpi ? MulDiv(value, dpi, TemplateDpi) : value; }
inline int ScaleFromDpi(int value, UINT dpi) {
    return dpi && dpi != TemplateDpi ? MulDiv(value, TemplateDpi, dpi) : value;
}

// The DPI of the screen at start-up (the primary monitor's).
UINT SystemDpi();
// The DPI a window is shown at: the platform's answer where it has one
// (per monitor since Windows 10), else the system's.
UINT WindowDpi(HWND window);
// A system metric at a DPI: the platform's where it has one, else the
// system's scaled.
int SystemMetricForDpi(int index, UINT dpi);

}  // namespace velmora
