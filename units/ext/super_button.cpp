// The super button (extended UI library, type 1): an owner-drawn push button
// with flat or raised looks, hot tracking, colours per state, an optional
// check mode, sounds and a tooltip. A click fires event 0.
#include "units/ext/super_button.h"
#include <windows.h>
#include <commctrl.h>
#include <mmsystem.h>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>
#include "units/framework/pictures.h"
#include "units/framework/sound.h"
#include "units/framework/unit_events.h"
#include "units/standard_units.h"
#include "units/stream_codec.h"
#include "units/unit_support.h"
#include "units/unit_type_template.h"

namespace velmora {
namespace {

constexpr uint32_t newestVersion = 2;
constexpr const char* builtInSound = "vexo2_IDR_WAVE1";

struct SuperSettings {
    uint32_t version = newestVersion;
    uint32_t look = 0, checkMode = 0, checked = 0, picturePosition = 0, pressedShift = 0, hotBorder = 1,
             flatFocus = 0, transparent0 = DefaultColour, transparent1 = DefaultColour, systemColours = 1,
             builtInSound = 0, defaultButton = 0;
    uint32_t colours[6] = {};
    std::vector<uint8_t> picture0, picture1, font, hoverSound, clickSound;
    std::string caption = "超级按钮", tooltip;
    uint32_t transparent2 = DefaultColour;
    std::vector<uint8_t> picture2;

    template <class Codec>
    void Fields(Codec& c) {
        c.Dword(version);
        for (uint32_t* field : {&look, &checkMode, &checked, &picturePosition, &pressedShift, &hotBorder, &flatFocus,
                                &transparent0, &transparent1, &systemColours, &builtInSound, &defaultButton})
            c.Dword(*field);
        for (uint32_t& colour : colours) c.Dword(colour);
        c.Block(picture0);
        c.Block(picture1);
        c.Block(font);
        c.Block(hoverSound);
        c.Block(clickSound);
        c.Text(caption);
        c.Text(tooltip);
        if (version >= 2) c.Dword(transparent2), c.Block(picture2);
    }
};

COLORREF Lighten(COLORREF colour, int amount) {
    return RGB(std::min(255, GetRValue(colour) + amount), std::min(255, GetGValue(colour) + amount),
               std::min(255, GetBValue(colour) + amount));
}

enum Colour { NormalText, NormalBack, HotText, HotBack, FocusText, FocusBack };

// 0xFF000000 stands for the system's colour of the role: button face behind, button text in front.
COLORREF StateColour(uint32_t colour, int role) {
    if (colour != DefaultColour) return colour & 0x00FFFFFF;
    return GetSysColor(role % 2 == NormalBack % 2 ? COLOR_BTNFACE : COLOR_BTNTEXT);
}

class SuperButton final : public UnitObject {
public:
    SuperSettings settings;
    UnitFont font;
    COLORREF colours[6] = {};
    bool hot = false, checked = false, isDefault = false;
    HWND tooltip = nullptr;
    HICON pictures[3] = {};

    ~SuperButton() override {
        StopUnitSound(settings.hoverSound.data());
        StopUnitSound(settings.clickSound.data());
        for (HICON picture : pictures)
            if (picture) DestroyIcon(picture);
        // The tooltip belongs to the button's top-level window: when that window
        // goes, the tooltip went first; only a button destroyed alone leaves it.
        if (tooltip && IsWindow(tooltip)) DestroyWindow(tooltip);
    }

    bool Flat() const { return settings.look != 1; }
    bool Rounded() const { return settings.look == 2; }

    void SystemColours() {
        COLORREF text = GetSysColor(COLOR_BTNTEXT), face = GetSysColor(COLOR_BTNFACE);
        const COLORREF values[6] = {text, face, text, Lighten(face, 32), text, face};
        std::copy(values, values + 6, colours);
    }

    bool Create(const CreateParams& params) {
        const SuperSettings& s = settings;
        DWORD style = params.style | WS_CHILD | WS_CLIPSIBLINGS | BS_OWNERDRAW;
        if (s.checkMode) checked = s.checked != 0;
        else isDefault = s.defaultButton != 0;
        for (int i = 0; i < 6; ++i) colours[i] = StateColour(s.colours[i], i);
        // Pictures 1, 0 and 2; one that cannot be decoded is dropped.
        const std::vector<uint8_t>* data[3] = {&s.picture0, &s.picture1, &s.picture2};
        for (int i : {1, 0, 2})
            if (!data[i]->empty())
                pictures[i] = IconFromFileData(data[i]->data(), static_cast<uint32_t>(data[i]->size()), false);
        if (!CreateControlUnit(this, "BUTTON", s.caption.c_str(), style, params, font, s.font, params.height))
            return false;
        if (!s.tooltip.empty()) CreateTooltip();
        return true;
    }

    void CreateTooltip() {
        tooltip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Window(), nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
        if (!tooltip) return;
        TOOLINFOA tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_SUBCLASS;
        tool.hwnd = Window();
        tool.lpszText = const_cast<char*>(settings.tooltip.c_str());
        GetClientRect(Window(), &tool.rect);
        SendMessageA(tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
        SendMessageA(tooltip, TTM_SETMAXTIPWIDTH, 0, 400);
        SendMessageA(tooltip, TTM_ACTIVATE, TRUE, 0);
    }

    void Play(const std::vector<uint8_t>& sound) {
        if (settings.builtInSound)
            PlayUnitSound(builtInSound, GetModuleHandleA(nullptr), SND_RESOURCE | SND_ASYNC | SND_NODEFAULT | SND_NOWAIT);
        else if (!sound.empty())
            PlayUnitSound(reinterpret_cast<LPCSTR>(sound.data()), nullptr, SND_MEMORY | SND_ASYNC | SND_NODEFAULT | SND_NOWAIT);
    }

    void OnWindowDeactivated() override { SetHot(false); }

    void SetHot(bool value) {
        if (hot == value) return;
        hot = value;
        InvalidateRect(Window(), nullptr, FALSE);
    }

    bool OnCommand(WORD code) override {
        if (code != BN_CLICKED) return false;
        Play(settings.clickSound);
        if (settings.checkMode) {
            checked = !checked;
            InvalidateRect(Window(), nullptr, FALSE);
        }
        RaiseUnitEvent(WindowId(), UnitId(), 0);
        return true;
    }

    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        switch (message) {
            case WM_MOUSEMOVE:
                if (Flat()) TrackHot(wParam);
                return false;
            case WM_MOUSELEAVE:
            case WM_KILLFOCUS:
            case WM_CANCELMODE:
                SetHot(false);
                if (message == WM_KILLFOCUS) RaiseUnitEvent(WindowId(), UnitId(), -8);
                return false;
            case WM_SETFOCUS:
                result = DefSubclassProc(Window(), message, wParam, lParam);
                RaiseUnitEvent(WindowId(), UnitId(), -7);
                return true;
            case WM_ENABLE:
                if (!wParam) {
                    SetHot(false);
                    if (GetFocus() == Window()) {
                        HWND parent = GetParent(Window());
                        HWND next = GetNextDlgTabItem(parent, Window(), FALSE);
                        SetFocus(next && next != Window() ? next : parent);
                    }
                }
                return false;
            case BM_SETSTYLE:
                // Any button style becomes owner-drawn; asking for the default style sets the flag only.
                isDefault = (wParam & 0x0F) == BS_DEFPUSHBUTTON;
                result = DefSubclassProc(Window(), message, (wParam & ~0x0FULL) | BS_OWNERDRAW, lParam);
                return true;
            default:
                return false;
        }
    }

    void TrackHot(WPARAM keys) {
        POINT cursor;
        GetCursorPos(&cursor);
        bool over = WindowFromPoint(cursor) == Window() && GetActiveWindow() != nullptr;
        if (!over) return SetHot(false);
        if (hot || (keys & MK_LBUTTON)) return;  // a drag never makes a button hot
        SetHot(true);
        Play(settings.hoverSound);
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, Window(), 0};
        TrackMouseEvent(&track);
    }

    bool OnDrawItem(DRAWITEMSTRUCT* item) override {
        Paint(item);
        return true;
    }

    void Paint(DRAWITEMSTRUCT* item) {
        if (settings.systemColours) SystemColours();
        HDC dc = item->hDC;
        int saved = SaveDC(dc);
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
            HBRUSH face = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
            FillRect(dc, &rect, face);
            DeleteObject(face);
            HBRUSH brush = CreateSolidBrush(back);
            HGDIOBJ oldBrush = SelectObject(dc, brush);
            HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
            RoundRect(dc, rect.left, rect.top, rect.right, rect.bottom, 8, 8);
            SelectObject(dc, oldPen);
            SelectObject(dc, oldBrush);
            DeleteObject(brush);
        } else {
            HBRUSH brush = CreateSolidBrush(back);
            FillRect(dc, &rect, brush);
            DeleteObject(brush);
        }
        DrawBorder(dc, rect, pressed);
        DrawPictures(dc, rect);
        if (!settings.caption.empty()) DrawCaption(dc, rect, pressed, focused, disabled);
        if (focused && (!Flat() || settings.flatFocus)) {
            RECT focusRect = item->rcItem;
            InflateRect(&focusRect, -3, -3);
            DrawFocusRect(dc, &focusRect);
        }
        RestoreDC(dc, saved);
    }

    void DrawBorder(HDC dc, RECT rect, bool pressed) {
        if (Rounded()) return;
        if (pressed) {
            if (!Flat()) {
                HBRUSH shadow = CreateSolidBrush(GetSysColor(COLOR_BTNSHADOW));
                FrameRect(dc, &rect, shadow);
                DeleteObject(shadow);
            } else if (settings.hotBorder) {
                DrawEdge(dc, &rect, BDR_SUNKENOUTER, BF_RECT);
            }
        } else if (!Flat()) {
            DrawRaisedEdge(dc, rect);
        } else if (hot && settings.hotBorder) {
            DrawEdge(dc, &rect, BDR_RAISEDINNER, BF_RECT);
        }
    }

    // Four lines, outer first: highlight and 3-D light on the top and left,
    // dark shadow and shadow on the bottom and right (the bottom and right own
    // the corners they share with the others).
    static void DrawRaisedEdge(HDC dc, RECT rect) {
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

    void DrawPictures(HDC dc, const RECT& rect) {
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

    void DrawCaption(HDC dc, RECT rect, bool pressed, bool focused, bool disabled) {
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
};

int32_t SetSuperProperty(const ValueRecord& value, UnitObject* object, int32_t number) {
    auto* unit = static_cast<SuperButton*>(object);
    SuperSettings& s = unit->settings;
    switch (number) {
        case 0:  // look, kept within 0-2
            s.look = static_cast<int32_t>(value.low) < 0 ? 0 : std::min<uint32_t>(value.low, 2);
            break;
        case 1:
            unit->checked = value.low != 0;
            break;
        case 2: {  // caption
            const char* text = reinterpret_cast<const char*>(value.low);
            s.caption = text ? text : "";
            SetWindowTextA(unit->Window(), s.caption.c_str());
            break;
        }
        case 3:
            s.systemColours = value.low ? 1 : 0;
            break;
        default:
            if (number >= 4 && number < 10) {  // the six colours
                s.colours[number - 4] = value.low;
                unit->colours[number - 4] = StateColour(value.low, number - 4);
            }
            break;
    }
    InvalidateRect(unit->Window(), nullptr, FALSE);
    return 0;
}

int32_t GetSuperProperty(UnitObject* object, int32_t number, uint32_t raw[2]) {
    auto* unit = static_cast<SuperButton*>(object);
    SuperSettings& s = unit->settings;
    switch (number) {
        case 0: raw[0] = s.look; return 1;
        case 1: raw[0] = unit->checked ? 1 : 0; return 1;
        case 2: raw[0] = reinterpret_cast<uint32_t>(s.caption.c_str()); return 1;
        case 3: raw[0] = s.systemColours; return 1;
        default:
            if (number >= 4 && number < 10) {
                raw[0] = unit->colours[number - 4];
                return 1;
            }
            return 0;
    }
}

constexpr PropertyDescriptor Property(uint16_t dataType) { return {{}, dataType, 0x8000, 0}; }

}  // namespace

// 8 common properties and 27 of its own; those past the first ten are kept in the stream only.
const PropertyDescriptor superButtonProperties[35] = {
    COMMON_PROPERTIES,
    Property(DataChoice),   // 8 look
    Property(DataLogical),  // 9 checked
    Property(DataText),     // 10 caption
    Property(DataLogical),  // 11 system colours
    Property(DataColour), Property(DataColour), Property(DataColour),  // 12-14 normal text, normal back, hot text
    Property(DataColour), Property(DataColour), Property(DataColour),  // 15-17 hot back, focus text, focus back
    Property(DataInteger), Property(DataInteger), Property(DataInteger), Property(DataInteger),
    Property(DataInteger), Property(DataInteger), Property(DataInteger), Property(DataInteger),
    Property(DataPicture), Property(DataPicture), Property(DataPicture), Property(DataFont),
    Property(DataSound),   Property(DataSound),   Property(DataText),    Property(DataColour),
    Property(DataColour),
};

const UnitTypeDescriptor superButtonType = {
    "超级按钮", "SuperBtn", {}, 0x00000840, {}, 35, superButtonProperties,
    UnitInterface<CreateFromStream<SuperButton, newestVersion>, SetSuperProperty, SaveSettings<SuperButton>, GetSuperProperty>, {},
};

}  // namespace velmora
