// The edit box unit (core type 5): the platform's edit control, with an
// optional adjuster (up-down arrows) beside it.
#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>
#include <iterator>
#include "runtime/platform_text.h"
#include "units/adjuster_step.h"
#include "units/framework/gdi_scope.h"
#include "units/framework/unit_events.h"
#include "units/standard_units.h"
#include "units/stream_codec.h"
#include "units/unit_support.h"
#include "units/unit_type_template.h"

namespace velmora {
namespace {

constexpr uint32_t newestVersion = 2;
constexpr int AdjusterWidth = 18;

struct EditSettings {
    uint32_t version = newestVersion;
    uint32_t border = 5, textColour = 0, background = 0xFFFFFF, hideSelection = 1, maxLength = 0, multiLine = 0,
             scrollBars = 0, alignment = 0, inputMode = 0;
    uint16_t passwordChar = '*';
    uint32_t letterCase = 0, adjuster = 0;
    int32_t adjusterMinimum = 1, adjusterMaximum = 100;
    uint32_t selectionStart = 0, selectionLength = 0;
    std::vector<uint8_t> font;
    std::string content, linkText, settingText;

    template <class Codec>
    void Fields(Codec& c) {
        c.Dword(version);
        for (uint32_t* field : {&border, &textColour, &background, &hideSelection, &maxLength, &multiLine, &scrollBars,
                                &alignment, &inputMode})
            c.Dword(*field);
        c.Word(passwordChar);
        c.Dword(letterCase);
        c.Dword(adjuster);
        c.Int(adjusterMinimum);
        c.Int(adjusterMaximum);
        c.Dword(selectionStart);
        c.Dword(selectionLength);
        c.Block(font);
        c.Text(content);
        if (version >= 2) c.Text(linkText), c.Text(settingText);
    }
};

class EditBoxUnit final : public UnitObject {
public:
    EditSettings settings;
    UnitFont font;
    CachedBrush brush;
    HWND adjuster = nullptr;

    bool Create(const CreateParams& params) {
        const EditSettings& s = settings;
        DWORD style = params.style | WS_CHILD | WS_CLIPSIBLINGS;
        if (s.hideSelection == 0) style |= ES_NOHIDESEL;
        if (s.multiLine) {
            style |= ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL;
            if (s.scrollBars == 1 || s.scrollBars == 3) style |= ES_AUTOHSCROLL | WS_HSCROLL;
            if (s.scrollBars == 2 || s.scrollBars == 3) style |= WS_VSCROLL;
        } else {
            style |= ES_AUTOHSCROLL;
        }
        if (s.alignment == 1) style |= ES_CENTER;
        if (s.alignment == 2) style |= ES_RIGHT;
        if (s.inputMode == 1) style |= ES_READONLY;
        if (s.inputMode == 2) style |= ES_PASSWORD;
        if (s.letterCase == 1) style |= ES_LOWERCASE;
        if (s.letterCase == 2) style |= ES_UPPERCASE;
        int height = params.height;
        HWND window = CreateControlUnit(this, "EDIT", s.content.c_str(), style, params, font, s.font, height);
        if (!window) return false;
        if (!s.multiLine) height = KeepLineHeight(params.width, height);
        SendMessageW(window, EM_LIMITTEXT, s.maxLength, 0);
        if (s.inputMode == 2) SendMessageW(window, EM_SETPASSWORDCHAR, PasswordCharacter(), 0);
        // The stream counts the content's bytes, the platform's control its characters.
        SendMessageW(window, EM_SETSEL, CharactersIn(s.selectionStart),
                     CharactersIn(s.selectionStart + s.selectionLength));
        ApplyBorderStyle(window, s.border);
        if (!s.multiLine && (s.adjuster == 1 || s.adjuster == 2)) CreateAdjuster(params, height);
        return true;
    }

    HBRUSH OnControlColour(HDC dc) override { return brush.Colour(dc, settings.textColour, settings.background); }

    // The characters in the content's first `bytes` bytes.
    WPARAM CharactersIn(uint32_t bytes) const {
        const std::string& content = settings.content;
        return WideFromText(std::string_view(content).substr(0, std::min<size_t>(bytes, content.size()))).size();
    }

    // The stream's password character is a code page 936 character: one byte, or a lead and a trail byte.
    WPARAM PasswordCharacter() const {
        uint16_t code = settings.passwordChar;
        if (code < 0x80) return code;
        std::string bytes = code > 0xFF ? std::string{static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)}
                                        : std::string(1, static_cast<char>(code));
        std::wstring wide = WideFromText(bytes);
        return wide.empty() ? L'*' : wide[0];
    }

    // A single-line box is at least as tall as a line of its text and its edges.
    int KeepLineHeight(int width, int height) {
        int minimum = LineHeight() + 2 * SystemMetricForDpi(SM_CYEDGE, Dpi());
        if (height < minimum) SetWindowPos(Window(), nullptr, 0, 0, width, height = minimum, SWP_NOMOVE | SWP_NOZORDER);
        return height;
    }

    void OnDpiChanged() override {
        font.Set(settings.font, Dpi());
        if (!Window()) return;
        SendMessageW(Window(), WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
        RECT rect;
        GetWindowRect(Window(), &rect);
        if (!settings.multiLine) KeepLineHeight(rect.right - rect.left, rect.bottom - rect.top);
        if (adjuster) PlaceAdjuster();
    }

    // The arrows step the number themselves (adjuster 1) or only raise event 1 (adjuster 2).
    bool OnNotify(NMHDR* header, LRESULT& result) override {
        if (header->hwndFrom != adjuster || header->code != UDN_DELTAPOS) return false;
        int delta = reinterpret_cast<NMUPDOWN*>(header)->iDelta;
        result = TRUE;  // the control keeps no position of its own
        if (delta == 0) return true;
        if (settings.adjuster == 2) {
            uint32_t step = delta > 0 ? 1u : static_cast<uint32_t>(-1);
            RaiseUnitEvent(WindowId(), UnitId(), 1, 1, &step);
            return true;
        }
        if (!IsWindowEnabled(Window()) || !IsWindowVisible(Window())) return true;
        Step(delta > 0 ? 1 : -1);
        return true;
    }

    void Step(int step) {
        wchar_t text[64] = {};
        GetWindowTextW(Window(), text, 64);
        int32_t value =
            SteppedNumber(std::wcstoll(text, nullptr, 10), step, settings.adjusterMinimum, settings.adjusterMaximum);
        wchar_t stepped[16];
        std::swprintf(stepped, 16, L"%d", static_cast<int>(value));
        SetWindowTextW(Window(), stepped);
        SendMessageW(Window(), EM_SETSEL, 0, -1);
        SendMessageW(Window(), EM_SCROLLCARET, 0, 0);
        SetFocus(Window());
    }

    // The keyboard's Up and Down and the mouse wheel step as the arrows do.
    void StepFromInput(int step) {
        if (settings.adjuster == 2) {
            uint32_t direction = step > 0 ? 1u : static_cast<uint32_t>(-1);
            RaiseUnitEvent(WindowId(), UnitId(), 1, 1, &direction);
        } else if (IsWindowEnabled(Window()) && IsWindowVisible(Window())) {
            Step(step);
        }
    }

    bool OnMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) override {
        bool adjusted = !settings.multiLine && (settings.adjuster == 1 || settings.adjuster == 2);
        if (adjusted && message == WM_KEYDOWN && (wParam == VK_UP || wParam == VK_DOWN)) {
            StepFromInput(wParam == VK_UP ? 1 : -1);
            result = 0;
            return true;
        }
        if (adjusted && message == WM_MOUSEWHEEL) {
            // Fine-grained wheels send parts of a notch: a step per whole notch, the rest kept.
            wheel_ += GET_WHEEL_DELTA_WPARAM(wParam);
            for (; wheel_ >= WHEEL_DELTA; wheel_ -= WHEEL_DELTA) StepFromInput(1);
            for (; wheel_ <= -WHEEL_DELTA; wheel_ += WHEEL_DELTA) StepFromInput(-1);
            result = 0;
            return true;
        }
        // The arrows follow the box: disabled, shown and hidden with it.
        if (message == WM_ENABLE && adjuster) EnableWindow(adjuster, static_cast<BOOL>(wParam));
        if (message == WM_SHOWWINDOW && adjuster) ShowWindow(adjuster, wParam ? SW_SHOWNA : SW_HIDE);
        if (message == WM_WINDOWPOSCHANGED && adjuster) PlaceAdjuster();
        if (message == WM_NCDESTROY && adjuster) {
            // Unbound even when it went first, with the parent: a later window may get its handle.
            if (UnitOfWindow(adjuster) == this) BindUnitToWindow(adjuster, nullptr);
            if (IsWindow(adjuster)) DestroyWindow(adjuster);
            adjuster = nullptr;
        }
        return false;
    }

private:
    int wheel_ = 0;

    int LineHeight() {
        WindowDc dc(Window());
        SelectedObject measured(dc, font.Get());
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc, &metrics);
        return metrics.tmHeight;
    }

    void CreateAdjuster(const CreateParams& params, int height) {
        DWORD exStyle = (settings.border == 0 || settings.border == 1 || settings.border == 3) ? WS_EX_STATICEDGE : 0;
        DWORD style = WS_CHILD | (params.style & WS_DISABLED);
        adjuster = CreateWindowExW(exStyle, UPDOWN_CLASSW, L"", style, params.left + params.width, params.top,
                                   Scaled(AdjusterWidth), height, params.parent, nullptr, GetModuleHandleW(nullptr),
                                   nullptr);
        if (!adjuster) return;  // the box works without arrows
        BindUnitToWindow(adjuster, this);
        SendMessageW(adjuster, UDM_SETRANGE32, std::min(settings.adjusterMinimum, settings.adjusterMaximum),
                     std::max(settings.adjusterMinimum, settings.adjusterMaximum));
    }

    void PlaceAdjuster() {
        RECT rect;
        GetWindowRect(Window(), &rect);
        MapWindowPoints(nullptr, GetParent(Window()), reinterpret_cast<POINT*>(&rect), 2);
        SetWindowPos(adjuster, Window(), rect.right, rect.top, Scaled(AdjusterWidth), rect.bottom - rect.top,
                     SWP_NOACTIVATE);
    }
};

std::string CurrentText(HWND window) {
    int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), length + 1)));
    return TextFromWide(text);
}

std::vector<uint8_t> SaveEditBox(UnitObject* object) {
    auto* unit = static_cast<EditBoxUnit*>(object);
    unit->settings.content = CurrentText(unit->Window());
    StreamWriter writer;
    unit->settings.Fields(writer);
    return writer.bytes;
}

int32_t SetEditProperty(const ValueRecord& value, UnitObject* object, int32_t number) {
    auto* unit = static_cast<EditBoxUnit*>(object);
    switch (number) {
        case 0:  // content
            SetWindowTextW(unit->Window(), WideFromText(reinterpret_cast<const char*>(value.low)).c_str());
            return 0;
        case 1:
            unit->settings.maxLength = value.low;
            SendMessageW(unit->Window(), EM_LIMITTEXT, value.low, 0);
            return 0;
        case 2:  // input mode: styles of the platform control are fixed at creation
            unit->settings.inputMode = value.low;
            return 1;
        case 3:
            ApplyFontProperty(value, unit->settings.font, unit->font, unit->Window(), unit->Dpi());
            return 0;
        case 4:
            SetColourProperty(unit->settings.textColour, value.low, unit->Window());
            return 0;
        case 5:
            SetColourProperty(unit->settings.background, value.low, unit->Window());
            return 0;
        default:
            return 0;
    }
}

int32_t GetEditProperty(UnitObject* object, int32_t number, uint32_t raw[2]) {
    auto* unit = static_cast<EditBoxUnit*>(object);
    static thread_local std::string text;
    switch (number) {
        case 0:
            text = CurrentText(unit->Window());
            raw[0] = reinterpret_cast<uint32_t>(text.c_str());
            return 1;
        case 1: raw[0] = unit->settings.maxLength; return 1;
        case 2: raw[0] = unit->settings.inputMode; return 1;
        case 3:
            raw[0] = reinterpret_cast<uint32_t>(unit->settings.font.data());
            raw[1] = static_cast<uint32_t>(unit->settings.font.size());
            return 1;
        case 4: raw[0] = unit->settings.textColour; return 1;
        case 5: raw[0] = unit->settings.background; return 1;
        default: return 0;
    }
}

}  // namespace

const PropertyDescriptor editBoxProperties[] = {
    COMMON_PROPERTIES,
    {{}, DataText, 0x8000, 0},     // 8 content
    {{}, DataInteger, 0x8000, 0},  // 9 maximum length
    {{}, DataChoice, 0x8000, 0},   // 10 input mode
    {{}, DataFont, 0x8000, 0},     // 11 font
    {{}, DataColour, 0x8000, 0},   // 12 text colour
    {{}, DataColour, 0x8000, 0},   // 13 background colour
};

static_assert(std::size(editBoxProperties) == 14);

const UnitTypeDescriptor editBoxType = {
    "编辑框", "EditBox", {}, 0x80000040, {}, std::size(editBoxProperties), editBoxProperties,
    UnitInterface<CreateFromStream<EditBoxUnit, newestVersion>, SetEditProperty, SaveEditBox, GetEditProperty>, {},
};

}  // namespace velmora
