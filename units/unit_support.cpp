#include "units/unit_support.h"
#include <cstring>
#include <iterator>

namespace velmora {

COLORREF ResolveColour(uint32_t colour) {
    return colour == DefaultColour ? GetSysColor(COLOR_BTNFACE) : static_cast<COLORREF>(colour & 0x00FFFFFF);
}

void FillSolid(HDC dc, const RECT& rect, COLORREF colour) {
    COLORREF old = SetBkColor(dc, colour);
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    SetBkColor(dc, old);
}

LOGFONTA FontDescription(const std::vector<uint8_t>& description) {
    LOGFONTA font{};
    if (description.size() == 60)
        std::memcpy(&font, description.data(), 60);
    else
        GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    return font;
}

HFONT MakeUnitFont(const std::vector<uint8_t>& description, bool& owned) {
    owned = false;
    if (description.size() != 60) return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    LOGFONTA font = FontDescription(description);
    font.lfFaceName[LF_FACESIZE - 1] = '\0';
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfOutPrecision = 0;
    font.lfClipPrecision = 0;
    font.lfQuality = PROOF_QUALITY;
    font.lfPitchAndFamily = 0;
    HFONT made = CreateFontIndirectA(&font);
    if (!made) return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    owned = true;
    return made;
}

void ApplyBorderStyle(HWND window, uint32_t style) {
    static const DWORD extended[] = {0, WS_EX_CLIENTEDGE, WS_EX_DLGMODALFRAME, WS_EX_STATICEDGE,
                                      WS_EX_CLIENTEDGE | WS_EX_DLGMODALFRAME, 0};
    static_assert(std::size(extended) == 6);
    if (style > 5) return;
    LONG ex = GetWindowLongA(window, GWL_EXSTYLE) & ~(WS_EX_STATICEDGE | WS_EX_CLIENTEDGE | WS_EX_DLGMODALFRAME);
    LONG normal = GetWindowLongA(window, GWL_STYLE) & ~WS_BORDER;
    SetWindowLongA(window, GWL_EXSTYLE, ex | static_cast<LONG>(extended[style]));
    SetWindowLongA(window, GWL_STYLE, normal | (style == 5 ? WS_BORDER : 0));
    SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

}  // namespace velmora
