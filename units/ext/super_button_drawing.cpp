// How the super button draws itself on the platform's owner-draw request:
// background by state and look, border, picture, caption, focus rectangle.
#include <windows.h>
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
        RoundRect(dc, rect.left, rect.top, rect.right, rect.bottom, 8, 8);
    } else {
        OwnedGdiObject<HBRUSH> brush(CreateSolidBrush(back));
        FillRect(dc, &rect, brush);
    }
    DrawBorder(dc, rect, pressed);
    DrawPictures(dc, rect);
    if (!settings.caption.empty()) DrawCaption(dc, rect, pressed, focused, disabled);
    if (focused && (!Flat() || settings.flatFocus)) {
        RECT focusRect = item->rcItem;
        InflateRect(&focusRect, -3, -3);
        DrawFocusRect(dc, &focusRect);
    }
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
        DrawRaisedEdge(dc, rect);
    } else if (hot && settings.hotBorder) {
        DrawEdge(dc, &rect, BDR_RAISEDINNER, BF_RECT);
    }
}

void SuperButton::DrawRaisedEdge(HDC dc, RECT rect) {
    const int lines[2][2] = {{COLOR_BTNHIGHLIGHT, COLOR_3DDKSHADOW}, {COLOR_3DLIGHT, COLOR_BTNSHADOW}};
    for (const auto& line : lines) {
        COLORREF topLeft = GetSysColor(line[0]), bottomRight = GetSysColor(line[1]);
        FillSolid(dc, {rect.left, rect.top, rect.right - 1, rect.top + 1}, topLeft);
        FillSolid(dc, {rect.left, rect.top, rect.left + 1, rect.bottom - 1}, topLeft);
        FillSolid(dc, {rect.left, rect.bottom - 1, rect.right, rect.bottom}, bottomRight);
        FillSolid(dc, {rect.right - 1, rect.top, rect.right, rect.bottom}, bottomRight);
        InflateRect(&rect, -1, -1);
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
        GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
        size = bitmap.bmWidth;
        if (info.hbmColor) DeleteObject(info.hbmColor);
        if (info.hbmMask) DeleteObject(info.hbmMask);
    }
    int x = rect.left + 2, y = (rect.top + rect.bottom - size) / 2;
    if (settings.picturePosition == 1) x = (rect.left + rect.right - size) / 2, y = rect.top + 2;
    if (settings.picturePosition == 2) x = rect.right - size - 2;
    DrawIconEx(dc, x, y, picture, size, size, 0, nullptr, DI_NORMAL);
}

void SuperButton::DrawCaption(HDC dc, RECT rect, bool pressed, bool focused, bool disabled) {
    if (pressed && !settings.checkMode) OffsetRect(&rect, settings.pressedShift ? 0 : 1, settings.pressedShift ? 2 : 1);
    SelectObject(dc, font.Get());
    SetBkMode(dc, TRANSPARENT);
    RECT measured = rect;
    DrawTextA(dc, settings.caption.c_str(), -1, &measured, DT_WORDBREAK | DT_CENTER | DT_CALCRECT);
    int height = measured.bottom - measured.top;
    RECT text{rect.left, rect.top + (rect.bottom - rect.top - height) / 2, rect.right, rect.bottom};
    UINT flags = DT_WORDBREAK | DT_CENTER;
    if (disabled) {
        RECT shifted = text;
        OffsetRect(&shifted, 1, 1);
        SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
        DrawTextA(dc, settings.caption.c_str(), -1, &shifted, flags);
        SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
    } else {
        SetTextColor(dc, hot || pressed ? colours[HotText] : focused ? colours[FocusText] : colours[NormalText]);
    }
    DrawTextA(dc, settings.caption.c_str(), -1, &text, flags);
}

}  // namespace velmora
