#include "units/unit_support.h"
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <iterator>
#include <string>
#include "runtime/platform_text.h"
#include "units/framework/dpi.h"
#include "units/framework/font_properties.h"

namespace velmora {

COLORREF ResolveColour(uint32_t colour) {
    return colour == DefaultColour ? GetSysColor(COLOR_BTNFACE) : static_cast<COLORREF>(colour & 0x00FFFFFF);
}

void FillSolid(HDC dc, const RECT& rect, COLORREF colour) {
    COLORREF old = SetBkColor(dc, colour);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    SetBkColor(dc, old);
}

LOGFONTA FontDescription(const std::vector<uint8_t>& description) {
    LOGFONTA font{};
    if (description.size() == 60)
        std::memcpy(&font, description.data(), 60);
    else
        font = DefaultFontDescription();
    return font;
}

HFONT MakeUnitFont(const std::vector<uint8_t>& description, UINT dpi, bool& owned) {
    owned = false;
    auto* stock = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    LOGFONTW font{};
    if (description.size() == 60) {
        LOGFONTA narrow;
        std::memcpy(&narrow, description.data(), 60);
        narrow.lfFaceName[LF_FACESIZE - 1] = '\0';
        std::memcpy(&font, &narrow, offsetof(LOGFONTA, lfFaceName));
        // The face name is a program text: on any code page it names the same font.
        std::wstring face = WideFromText(narrow.lfFaceName);
        if (face.size() > LF_FACESIZE - 1) {  // cut at a character, not inside a surrogate pair
            size_t keep = LF_FACESIZE - 1;
            if (face[keep - 1] >= 0xD800 && face[keep - 1] <= 0xDBFF) --keep;
            face.resize(keep);
        }
        std::memcpy(font.lfFaceName, face.c_str(), (face.size() + 1) * sizeof(wchar_t));
        font.lfHeight = ScaleToDpi(font.lfHeight, dpi);
        font.lfWidth = ScaleToDpi(font.lfWidth, dpi);
        font.lfCharSet = DEFAULT_CHARSET;
        font.lfOutPrecision = 0;
        font.lfClipPrecision = 0;
        font.lfQuality = PROOF_QUALITY;
        font.lfPitchAndFamily = 0;
    } else {
        // The stock font is made at the system's DPI; another DPI needs its own.
        UINT system = SystemDpi();
        if (!dpi || dpi == system) return stock;
        GetObjectW(stock, sizeof font, &font);
        font.lfHeight = MulDiv(font.lfHeight, static_cast<int>(dpi), static_cast<int>(system));
        font.lfWidth = MulDiv(font.lfWidth, static_cast<int>(dpi), static_cast<int>(system));
    }
    HFONT made = CreateFontIndirectW(&font);
    if (!made) return stock;
    owned = true;
    return made;
}

void AddBorderStyle(uint32_t border, DWORD& style, DWORD& exStyle) {
    static const DWORD extended[] = {0, WS_EX_CLIENTEDGE, WS_EX_DLGMODALFRAME, WS_EX_STATICEDGE,
                                      WS_EX_CLIENTEDGE | WS_EX_DLGMODALFRAME, 0};
    static_assert(std::size(extended) == 6);
    if (border > 5) return;
    exStyle = (exStyle & ~(WS_EX_STATICEDGE | WS_EX_CLIENTEDGE | WS_EX_DLGMODALFRAME)) | extended[border];
    style = (style & ~WS_BORDER) | (border == 5 ? WS_BORDER : 0);
}

void ApplyBorderStyle(HWND window, uint32_t border) {
    auto style = static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE));
    auto exStyle = static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE));
    DWORD newStyle = style, newExStyle = exStyle;
    AddBorderStyle(border, newStyle, newExStyle);
    if (newStyle == style && newExStyle == exStyle) return;
    SetWindowLongW(window, GWL_EXSTYLE, static_cast<LONG>(newExStyle));
    SetWindowLongW(window, GWL_STYLE, static_cast<LONG>(newStyle));
    SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

}  // namespace velmora
