// The list box unit (core type 15): the platform's list box with item data.
#include "units/list_box_unit.h"
#include <windows.h>
#include <commctrl.h>
#include <memory>
#include <string>
#include <vector>
#include <iterator>
#include "runtime/platform_text.h"
#include "units/framework/unit_record.h"
#include "units/standard_units.h"
#include "units/stream_codec.h"
#include "units/unit_support.h"
#include "units/unit_type_template.h"

namespace velmora {
namespace {

constexpr uint32_t newestVersion = 3;

struct ListSettings {
    uint32_t version = newestVersion;
    uint32_t border = 1, sorted = 0, multiColumn = 0, extraHeight = 0, textColour = 0, background = 0xFFFFFF,
             extendedSelection = 0;
    int32_t selection = -1;
    std::vector<uint8_t> font, itemData;
    std::vector<std::string> items;
    std::string linkText, settingText;
    uint32_t settingV3 = 0;

    template <class Codec>
    void Fields(Codec& c) {
        c.Dword(version);
        for (uint32_t* field : {&border, &sorted, &multiColumn, &extraHeight, &textColour, &background, &extendedSelection})
            c.Dword(*field);
        c.Int(selection);
        c.Block(font);
        c.Block(itemData);
        c.TextList(items);
        if (version >= 2) c.Text(linkText), c.Text(settingText);
        if (version >= 3) c.Dword(settingV3);
    }
};

class ListBoxUnit final : public UnitObject {
public:
    ListSettings settings;
    UnitFont font;
    CachedBrush brush;

    bool Create(const CreateParams& params) {
        const ListSettings& s = settings;
        DWORD style = params.style | WS_CHILD | WS_CLIPSIBLINGS | LBS_NOTIFY | LBS_USETABSTOPS | LBS_NOINTEGRALHEIGHT;
        if (s.sorted && s.linkText.empty()) style |= LBS_SORT;  // a linked list keeps its source's order
        style |= s.multiColumn == 1 ? (LBS_MULTICOLUMN | WS_HSCROLL) : WS_VSCROLL;
        if (s.extendedSelection) style |= LBS_EXTENDEDSEL;
        DWORD exStyle = 0;
        AddBorderStyle(s.border, style, exStyle);
        HWND window = CreateControlUnit(this, "LISTBOX", "", style, params, font, s.font, params.height, exStyle);
        if (!window) return false;
        SetItemHeight();
        for (size_t i = 0; i < s.items.size(); ++i) {
            LRESULT at = SendMessageW(window, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideFromText(s.items[i]).c_str()));
            uint32_t data = (i + 1) * 4 <= s.itemData.size() ? ReadDword(s.itemData.data() + 4 * i) : 0;
            if (at >= 0) SendMessageW(window, LB_SETITEMDATA, static_cast<WPARAM>(at), static_cast<LPARAM>(data));
        }
        int32_t count = static_cast<int32_t>(s.items.size());
        int32_t selection = s.selection < -1 ? -1 : s.selection >= count ? count - 1 : s.selection;
        if (s.extendedSelection) {
            if (count > 0 && selection >= 0) SendMessageW(window, LB_SETSEL, TRUE, static_cast<LPARAM>(selection));
        } else {
            SendMessageW(window, LB_SETCURSEL, static_cast<WPARAM>(selection), 0);
        }
        return true;
    }

    HBRUSH OnControlColour(HDC dc) override { return brush.Colour(dc, settings.textColour, settings.background); }

    // The platform's height for the font, and the extra pixels of the settings.
    void SetItemHeight() {
        LRESULT itemHeight = SendMessageW(Window(), LB_GETITEMHEIGHT, 0, 0);
        SendMessageW(Window(), LB_SETITEMHEIGHT, 0, itemHeight + static_cast<LPARAM>(Scaled(settings.extraHeight)));
    }

    void OnDpiChanged() override {
        font.Set(settings.font, Dpi());
        if (!Window()) return;
        // A new font gives the list the platform's height for it again.
        SendMessageW(Window(), WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
        SetItemHeight();
    }

    // Redrawing the list (its scroll bar above all) after every line costs
    // more than the line itself when workers log fast; changes made close
    // together are shown together, a moment later.
    void DeferRedraw() {
        if (redrawPending_) return;
        redrawPending_ = true;
        SendMessageW(Window(), WM_SETREDRAW, FALSE, 0);
        SetTimer(Window(), RedrawTimer, RedrawDelayMilliseconds, nullptr);
    }

    bool OnMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) override {
        if (message != WM_TIMER || wParam != RedrawTimer) return false;
        KillTimer(Window(), RedrawTimer);
        redrawPending_ = false;
        SendMessageW(Window(), WM_SETREDRAW, TRUE, 0);
        InvalidateRect(Window(), nullptr, TRUE);
        result = 0;
        return true;
    }

private:
    static constexpr UINT_PTR RedrawTimer = 1;
    static constexpr UINT RedrawDelayMilliseconds = 40;
    bool redrawPending_ = false;
};

// Multiple-selection boxes refuse LB_SETCURSEL; their lines are selected one by one.
bool MultipleSelection(HWND window) {
    return GetWindowLongW(window, GWL_STYLE) & (LBS_EXTENDEDSEL | LBS_MULTIPLESEL);
}

void DeferRedraw(HWND window) {
    if (auto* unit = dynamic_cast<ListBoxUnit*>(UnitOfWindow(window))) unit->DeferRedraw();
}

std::vector<uint8_t> SaveListBox(UnitObject* object) {
    auto* unit = static_cast<ListBoxUnit*>(object);
    ListSettings& s = unit->settings;
    HWND window = unit->Window();
    auto count = static_cast<int32_t>(SendMessageW(window, LB_GETCOUNT, 0, 0));
    s.items.clear();
    s.itemData.clear();
    for (int32_t i = 0; i < count; ++i) {
        s.items.push_back(ListItemText(window, i));
        auto data = static_cast<uint32_t>(SendMessageW(window, LB_GETITEMDATA, static_cast<WPARAM>(i), 0));
        s.itemData.insert(s.itemData.end(), reinterpret_cast<uint8_t*>(&data), reinterpret_cast<uint8_t*>(&data) + 4);
    }
    s.selection = static_cast<int32_t>(SendMessageW(window, LB_GETCURSEL, 0, 0));
    StreamWriter writer;
    s.Fields(writer);
    return writer.bytes;
}

int32_t SetListProperty(const ValueRecord& value, UnitObject* object, int32_t number) {
    auto* unit = static_cast<ListBoxUnit*>(object);
    switch (number) {
        case 0:
            if (MultipleSelection(unit->Window())) {
                SendMessageW(unit->Window(), LB_SETSEL, FALSE, -1);
                if (static_cast<int32_t>(value.low) >= 0) SendMessageW(unit->Window(), LB_SETSEL, TRUE, value.low);
            } else {
                SendMessageW(unit->Window(), LB_SETCURSEL, value.low, 0);
            }
            return 0;
        case 1:
            SetColourProperty(unit->settings.textColour, value.low, unit->Window());
            return 0;
        case 2:
            SetColourProperty(unit->settings.background, value.low, unit->Window());
            return 0;
        case 3:  // sorting is a style of the platform control, fixed at creation
            unit->settings.sorted = value.low ? 1 : 0;
            return 1;
        default:
            return 0;
    }
}

int32_t GetListProperty(UnitObject* object, int32_t number, uint32_t raw[2]) {
    auto* unit = static_cast<ListBoxUnit*>(object);
    switch (number) {
        case 0: raw[0] = static_cast<uint32_t>(SendMessageW(unit->Window(), LB_GETCURSEL, 0, 0)); return 1;
        case 1: raw[0] = unit->settings.textColour; return 1;
        case 2: raw[0] = unit->settings.background; return 1;
        case 3: raw[0] = unit->settings.sorted; return 1;
        default: return 0;
    }
}

}  // namespace

std::string ListItemText(HWND window, int32_t index) {
    LRESULT length = SendMessageW(window, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    LRESULT copied = SendMessageW(window, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return TextFromWide(text);
}

int32_t ListInsertItem(HWND window, int32_t index, const char* text, uint32_t data) {
    if (index < 0) return -1;
    DeferRedraw(window);
    LRESULT at = SendMessageW(window, LB_INSERTSTRING, static_cast<WPARAM>(index),
                              reinterpret_cast<LPARAM>(WideFromText(text).c_str()));
    if (at < 0) return -1;
    SendMessageW(window, LB_SETITEMDATA, static_cast<WPARAM>(at), static_cast<LPARAM>(data));
    return static_cast<int32_t>(at);
}

bool ListSetItemText(HWND window, int32_t index, const char* text) {
    auto count = static_cast<int32_t>(SendMessageW(window, LB_GETCOUNT, 0, 0));
    if (index < 0 || index >= count) return false;
    if (ListItemText(window, index) == (text ? text : "")) return true;
    LRESULT data = SendMessageW(window, LB_GETITEMDATA, static_cast<WPARAM>(index), 0);
    bool multiple = MultipleSelection(window);
    // A multiple-selection box answers LB_GETCURSEL with its caret, selected or not.
    LRESULT selection = multiple ? SendMessageW(window, LB_GETSEL, static_cast<WPARAM>(index), 0)
                                 : SendMessageW(window, LB_GETCURSEL, 0, 0);
    LRESULT top = SendMessageW(window, LB_GETTOPINDEX, 0, 0);
    LRESULT caret = SendMessageW(window, LB_GETCARETINDEX, 0, 0);
    DeferRedraw(window);
    SendMessageW(window, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
    SendMessageW(window, LB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(WideFromText(text).c_str()));
    SendMessageW(window, LB_SETITEMDATA, static_cast<WPARAM>(index), data);
    if (multiple && selection > 0)
        SendMessageW(window, LB_SETSEL, TRUE, index);
    else if (!multiple && selection != -1)
        SendMessageW(window, LB_SETCURSEL, static_cast<WPARAM>(selection), 0);
    if (top != -1) SendMessageW(window, LB_SETTOPINDEX, static_cast<WPARAM>(top), 0);
    if (caret != -1) SendMessageW(window, LB_SETCARETINDEX, static_cast<WPARAM>(caret), FALSE);
    return true;
}

const PropertyDescriptor listBoxProperties[] = {
    COMMON_PROPERTIES,
    {{}, DataInteger, 0x8000, 0},  // 8 current selection
    {{}, DataColour, 0x8000, 0},   // 9 text colour
    {{}, DataColour, 0x8000, 0},   // 10 background colour
    {{}, DataLogical, 0x8000, 0},  // 11 sorted
};

static_assert(std::size(listBoxProperties) == 12);

const UnitTypeDescriptor listBoxType = {
    "列表框", "ListBox", {}, 0x80000040, {}, std::size(listBoxProperties), listBoxProperties,
    UnitInterface<CreateFromStream<ListBoxUnit, newestVersion>, SetListProperty, SaveListBox, GetListProperty>, {},
};

}  // namespace velmora
