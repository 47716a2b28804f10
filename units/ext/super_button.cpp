// The super button (extended UI library, type 1): an owner-drawn push button
// with flat or raised looks, hot tracking, colours per state, an optional
// check mode, sounds and a tooltip. A click fires event 0.
#include "units/ext/super_button.h"
#include <windows.h>
#include <commctrl.h>
#include <mmsystem.h>
#include <algorithm>
#include <iterator>
#include <string>
#include <vector>
#include "runtime/platform_text.h"
#include "units/ext/super_button_unit.h"
#include "units/framework/pictures.h"
#include "units/framework/sound.h"
#include "units/framework/unit_events.h"
#include "units/stream_codec.h"
#include "units/unit_type_template.h"

namespace velmora {
namespace {

constexpr const char* builtInSound = "vexo2_IDR_WAVE1";

}  // namespace

COLORREF Lighten(COLORREF colour, int amount) {
    return RGB(std::min(255, GetRValue(colour) + amount), std::min(255, GetGValue(colour) + amount),
               std::min(255, GetBValue(colour) + amount));
}

// 0xFF000000 stands for the system's colour of the role: button face behind, button text in front.
COLORREF StateColour(uint32_t colour, int role) {
    if (colour != DefaultColour) return colour & 0x00FFFFFF;
    return GetSysColor(role % 2 == NormalBack % 2 ? COLOR_BTNFACE : COLOR_BTNTEXT);
}

SuperButton::~SuperButton() {
    StopUnitSound(settings.hoverSound.data());
    StopUnitSound(settings.clickSound.data());
    for (HICON picture : pictures)
        if (picture) DestroyIcon(picture);
    // The tooltip belongs to the button's top-level window: when that window
    // goes, the tooltip went first; only a button destroyed alone leaves it.
    if (tooltip && IsWindow(tooltip)) DestroyWindow(tooltip);
}

void SuperButton::SystemColours() {
    COLORREF text = GetSysColor(COLOR_BTNTEXT), face = GetSysColor(COLOR_BTNFACE);
    const COLORREF values[6] = {text, face, text, Lighten(face, 32), text, face};
    std::copy(values, values + 6, colours);
}

bool SuperButton::Create(const CreateParams& params) {
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

void SuperButton::CreateTooltip() {
    tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Window(), nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    if (!tooltip) return;
    std::wstring text = WideFromText(settings.tooltip);
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = Window();
    tool.lpszText = text.data();
    GetClientRect(Window(), &tool.rect);
    SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(tooltip, TTM_SETMAXTIPWIDTH, 0, Scaled(400));
    SendMessageW(tooltip, TTM_ACTIVATE, TRUE, 0);
}

void SuperButton::OnDpiChanged() {
    font.Set(settings.font, Dpi());
    if (!Window()) return;
    SendMessageW(Window(), WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
    if (!tooltip) return;
    SendMessageW(tooltip, TTM_SETMAXTIPWIDTH, 0, Scaled(400));
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = Window();
    GetClientRect(Window(), &tool.rect);  // the button's new size
    SendMessageW(tooltip, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void SuperButton::Play(const std::vector<uint8_t>& sound) {
    if (settings.builtInSound)
        PlayUnitSound(builtInSound, GetModuleHandleW(nullptr), SND_RESOURCE | SND_ASYNC | SND_NODEFAULT | SND_NOWAIT);
    else if (!sound.empty())
        PlayUnitSound(reinterpret_cast<LPCSTR>(sound.data()), nullptr, SND_MEMORY | SND_ASYNC | SND_NODEFAULT | SND_NOWAIT);
}

void SuperButton::SetHot(bool value) {
    if (hot == value) return;
    hot = value;
    InvalidateRect(Window(), nullptr, FALSE);
}

bool SuperButton::OnCommand(WORD code) {
    if (code != BN_CLICKED) return false;
    Play(settings.clickSound);
    if (settings.checkMode) {
        checked = !checked;
        InvalidateRect(Window(), nullptr, FALSE);
    }
    RaiseUnitEvent(WindowId(), UnitId(), 0);
    return true;
}

bool SuperButton::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
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
            result = CallControlProcedure(Window(), message, wParam, lParam);
            RaiseUnitEvent(WindowId(), UnitId(), -7);
            return true;
        case WM_ENABLE:
            // Where the focus goes is the window's rule for every unit (units/framework/keyboard.h).
            if (!wParam) SetHot(false);
            return false;
        case WM_GETDLGCODE:
            // A default button is the one the window's Enter presses.
            result = CallControlProcedure(Window(), message, wParam, lParam) | (isDefault ? DLGC_DEFPUSHBUTTON : 0);
            return true;
        case WM_UPDATEUISTATE:
            // The focus rectangle may show or hide now: the platform repaints only the buttons it draws.
            result = CallControlProcedure(Window(), message, wParam, lParam);
            InvalidateRect(Window(), nullptr, FALSE);
            return true;
        case BM_SETSTYLE:
            // Any button style becomes owner-drawn; asking for the default style sets the flag only.
            isDefault = (wParam & 0x0F) == BS_DEFPUSHBUTTON;
            result = CallControlProcedure(Window(), message, (wParam & ~0x0FULL) | BS_OWNERDRAW, lParam);
            return true;
        default:
            return false;
    }
}

void SuperButton::TrackHot(WPARAM keys) {
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

namespace {

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
            SetWindowTextW(unit->Window(), WideFromText(s.caption).c_str());
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
const PropertyDescriptor superButtonProperties[] = {
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
static_assert(std::size(superButtonProperties) == 35);

const UnitTypeDescriptor superButtonType = {
    "超级按钮", "SuperBtn", {}, 0x00000840, {}, std::size(superButtonProperties), superButtonProperties,
    UnitInterface<CreateFromStream<SuperButton, superButtonNewestVersion>, SetSuperProperty, SaveSettings<SuperButton>, GetSuperProperty>, {},
};

}  // namespace velmora
