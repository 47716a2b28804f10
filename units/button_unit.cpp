// The button unit (core type 11): the platform's push button. A click fires
// event 0; gaining and losing the focus fire -7 and -8.
#include <windows.h>
#include <commctrl.h>
#include <memory>
#include <string>
#include <vector>
#include <iterator>
#include "runtime/platform_text.h"
#include "units/framework/pictures.h"
#include "units/framework/unit_events.h"
#include "units/standard_units.h"
#include "units/stream_codec.h"
#include "units/unit_support.h"
#include "units/unit_type_template.h"

namespace velmora {
namespace {

constexpr uint32_t newestVersion = 1;

struct ButtonSettings {
    uint32_t version = newestVersion;
    uint32_t type = 0, horizontal = 1, vertical = 1;
    std::vector<uint8_t> picture, font;
    std::string caption;

    template <class Codec>
    void Fields(Codec& c) {
        c.Dword(version);
        c.Dword(type);
        c.Dword(horizontal);
        c.Dword(vertical);
        c.Block(picture);
        c.Block(font);
        c.Text(caption);
    }
};

class ButtonUnit final : public UnitObject {
public:
    ButtonSettings settings;
    UnitFont font;
    HICON icon = nullptr;

    ~ButtonUnit() override {
        if (icon) DestroyIcon(icon);
    }

    bool Create(const CreateParams& params) {
        static const DWORD horizontal[] = {BS_LEFT, BS_CENTER, BS_RIGHT};
        static_assert(std::size(horizontal) == 3);
        static const DWORD vertical[] = {BS_TOP, BS_VCENTER, BS_BOTTOM};
        static_assert(std::size(vertical) == 3);
        DWORD style = params.style | WS_CHILD | WS_CLIPSIBLINGS | BS_MULTILINE |
                      (settings.type == 1 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | horizontal[settings.horizontal % 3] |
                      vertical[settings.vertical % 3];
        // A picture that cannot be decoded is dropped; the caption shows instead.
        if (!settings.picture.empty())
            icon = IconFromFileData(settings.picture.data(), static_cast<uint32_t>(settings.picture.size()), false);
        if (icon) style |= BS_ICON;
        HWND window = CreateControlUnit(this, "BUTTON", settings.caption.c_str(), style, params, font, settings.font,
                                        params.height);
        if (!window) return false;
        if (icon) SendMessageW(window, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
        return true;
    }

    void OnDpiChanged() override {
        font.Set(settings.font, Dpi());
        if (Window()) SendMessageW(Window(), WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
    }

    bool OnCommand(WORD code) override {
        if (code != BN_CLICKED) return false;
        RaiseUnitEvent(WindowId(), UnitId(), 0);
        return true;
    }

    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (message == WM_SETFOCUS || message == WM_KILLFOCUS) {
            result = CallControlProcedure(Window(), message, wParam, lParam);
            RaiseUnitEvent(WindowId(), UnitId(), message == WM_SETFOCUS ? -7 : -8);
            return true;
        }
        if (message == WM_SETTEXT) settings.caption = TextFromWide(reinterpret_cast<const wchar_t*>(lParam));
        return false;
    }
};

int32_t SetButtonProperty(const ValueRecord& value, UnitObject* object, int32_t number) {
    auto* unit = static_cast<ButtonUnit*>(object);
    switch (number) {
        case 0: {  // picture: the button is made anew with it
            const auto* data = reinterpret_cast<const uint8_t*>(value.low);
            unit->settings.picture.assign(data, data ? data + value.high : data);
            return 1;
        }
        case 1:
            ApplyFontProperty(value, unit->settings.font, unit->font, unit->Window(), unit->Dpi());
            return 0;
        case 2:  // caption
            SetWindowTextW(unit->Window(), WideFromText(reinterpret_cast<const char*>(value.low)).c_str());
            return 0;
        case 3:
            unit->settings.type = value.low;
            return 1;
        default:
            return 0;
    }
}

int32_t GetButtonProperty(UnitObject* object, int32_t number, uint32_t raw[2]) {
    auto* unit = static_cast<ButtonUnit*>(object);
    ButtonSettings& s = unit->settings;
    switch (number) {
        case 0: raw[0] = reinterpret_cast<uint32_t>(s.picture.data()), raw[1] = static_cast<uint32_t>(s.picture.size()); return 1;
        case 1: raw[0] = reinterpret_cast<uint32_t>(s.font.data()), raw[1] = static_cast<uint32_t>(s.font.size()); return 1;
        case 2: raw[0] = reinterpret_cast<uint32_t>(s.caption.c_str()); return 1;
        case 3: raw[0] = s.type; return 1;
        default: return 0;
    }
}

}  // namespace

const PropertyDescriptor buttonProperties[] = {
    COMMON_PROPERTIES,
    {{}, DataPicture, 0x8000, 0},  // 8 picture
    {{}, DataFont, 0x8000, 0},     // 9 font
    {{}, DataText, 0x8000, 0},     // 10 caption
    {{}, DataChoice, 0x8000, 0},   // 11 type
};

static_assert(std::size(buttonProperties) == 12);

const UnitTypeDescriptor buttonType = {
    "按钮", "Button", {}, 0x80000840, {}, std::size(buttonProperties), buttonProperties,
    UnitInterface<CreateFromStream<ButtonUnit, newestVersion>, SetButtonProperty, SaveSettings<ButtonUnit>, GetButtonProperty>, {},
};

}  // namespace velmora
