// How the super button draws itself on the platform's owner-draw request:
// background by state and look, border, picture, caption, focus rectangle.
#include <windows.h>
#include <string>
#include "runtime/platform_text.h"
#include "units/ext/super_button_unit.h"
#include "units/framework/gdi_scope.h"
#include "units/unit_support.h"

namespace velmora {

void SuperButton::Paint(DRAWITEMSTRUCT* item) {
    if (settings.systemColours) SystemColours();
    HDC dc = item->hDC;
    SavedDcState asFound(dc);
    RECT rect = item->rcItem;
    bool selected = item->itemState & ODS_SELECTED;
    bool pressed = selected || (settings.checkMode && checked);
    bool focused = item->itemState & ODS_FOCUS;
    bool disabled = item->itemState & ODS_DISABLED;
    if (!Flat() && (focused || isDefault)) {
        FrameRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        InflateRect(&rect, -1, -1);
    }
    COLORREF back = hot || pressed ? colours[HotBack] : focused ? colours[FocusBack] : colours[NormalBack];
    if (Rounded() && (hot || pressed)) {
        OwnedGdiObject<HBRUSH> face(CreateSolidBrush(GetSysColor(COLOR_BTNFACE)));
        FillRect(dc, &rect, face);
        OwnedGdiObject<HBRUSH> brush(CreateSolidBrush(back));
        SelectedObject filling(dc, brush);
        SelectedObject outline(dc, GetStockObject(BLACK_PEN));
        RoundRect(dc, rect.left, rect.top, rect.right, rect.bottom, Scaled(8), Scaled(8));
    } else {
        OwnedGdiObject<HBRUSH> brush(CreateSolidBrush(back));
        FillRect(dc, &rect, brush);
    }
    DrawBorder(dc, rect, pressed);
    DrawPictures(dc, rect);
    if (!settings.caption.empty()) DrawCaption(dc, rect, pressed, focused, disabled);
    if (focused && ShowsFocusRectangle(item)) {
        RECT focusRect = item->rcItem;
        InflateRect(&focusRect, -Scaled(3), -Scaled(3));
        DrawFocusRect(dc, &focusRect);
    }
}

bool SuperButton::ShowsFocusRectangle(const DRAWITEMSTRUCT* item) const {
    // Focus cues wait for the keyboard, as on every other unit.
    if ((item->itemState & ODS_NOFOCUSRECT) || (SendMessageW(Window(), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS))
        return false;
    if (!Flat() || settings.flatFocus) return true;
    // A flat button shows its focus by its colours; where they are those of
    // the normal state, nothing would show it but the rectangle.
    return colours[FocusText] == colours[NormalText] && colours[FocusBack] == colours[NormalBack];
}

void SuperButton::DrawBorder(HDC dc, RECT rect, bool pressed) {
    if (Rounded()) return;
    if (pressed) {
        if (!Flat()) {
            OwnedGdiObject<HBRUSH> shadow(CreateSolidBrush(GetSysColor(COLOR_BTNSHADOW)));
            FrameRect(dc, &rect, shadow);
        } else if (settings.hotBorder) {
            DrawEdge(dc, &rect, BDR_SUNKENOUTER, BF_RECT);
        }
    } else if (!Flat()) {
        DrawRaisedEdge(dc, rect, Scaled(1));
    } else if (hot && settings.hotBorder) {
        DrawEdge(dc, &rect, BDR_RAISEDINNER, BF_RECT);
    }
}

void SuperButton::DrawRaisedEdge(HDC dc, RECT rect, int width) {
    const int lines[2][2] = {{COLOR_BTNHIGHLIGHT, COLOR_3DDKSHADOW}, {COLOR_3DLIGHT, COLOR_BTNSHADOW}};
    for (const auto& line : lines) {
        COLORREF topLeft = GetSysColor(line[0]), bottomRight = GetSysColor(line[1]);
        FillSolid(dc, {rect.left, rect.top, rect.right - width, rect.top + width}, topLeft);
        FillSolid(dc, {rect.left, rect.top, rect.left + width, rect.bottom - width}, topLeft);
        FillSolid(dc, {rect.left, rect.bottom - width, rect.right, rect.bottom}, bottomRight);
        FillSolid(dc, {rect.right - width, rect.top, rect.right, rect.bottom}, bottomRight);
        InflateRect(&rect, -width, -width);
    }
}

void SuperButton::DrawPictures(HDC dc, const RECT& rect) {
    HICON picture = pictures[hot ? 1 : 0] ? pictures[hot ? 1 : 0] : pictures[0];
    if (!picture) return;
    SetBkColor(dc, RGB(255, 255, 255));
    ICONINFO info{};
    int size = 16;
    if (GetIconInfo(picture, &info)) {
        BITMAP bitmap{};
        GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
        size = bitmap.bmWidth;
        if (info.hbmColor) DeleteObject(info.hbmColor);
        if (info.hbmMask) DeleteObject(info.hbmMask);
    }
    size = Scaled(size);
    int margin = Scaled(2);
    int x = rect.left + margin, y = (rect.top + rect.bottom - size) / 2;
    if (settings.picturePosition == 1) x = (rect.left + rect.right - size) / 2, y = rect.top + margin;
    if (settings.picturePosition == 2) x = rect.right - size - margin;
    DrawIconEx(dc, x, y, picture, size, size, 0, nullptr, DI_NORMAL);
}

void SuperButton::DrawCaption(HDC dc, RECT rect, bool pressed, bool focused, bool disabled) {
    if (pressed && !settings.checkMode)
        OffsetRect(&rect, Scaled(settings.pressedShift ? 0 : 1), Scaled(settings.pressedShift ? 2 : 1));
    SelectObject(dc, font.Get());
    SetBkMode(dc, TRANSPARENT);
    std::wstring caption = WideFromText(settings.caption);
    RECT measured = rect;
    DrawTextW(dc, caption.c_str(), -1, &measured, DT_WORDBREAK | DT_CENTER | DT_CALCRECT);
    int height = measured.bottom - measured.top;
    RECT text{rect.left, rect.top + (rect.bottom - rect.top - height) / 2, rect.right, rect.bottom};
    UINT flags = DT_WORDBREAK | DT_CENTER;
    if (disabled) {
        RECT shifted = text;
        OffsetRect(&shifted, Scaled(1), Scaled(1));
        SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
        DrawTextW(dc, caption.c_str(), -1, &shifted, flags);
        SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
    } else {
        SetTextColor(dc, hot || pressed ? colours[HotText] : focused ? colours[FocusText] : colours[NormalText]);
    }
    DrawTextW(dc, caption.c_str(), -1, &text, flags);
}

}  // namespace velmora
