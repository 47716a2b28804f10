// The super button's settings and unit object, shared by its behaviour
// (super_button.cpp) and its drawing (super_button_drawing.cpp).
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>
#include "units/standard_units.h"
#include "units/unit_support.h"

namespace velmora {

constexpr uint32_t superButtonNewestVersion = 2;

struct SuperSettings {
    uint32_t version = superButtonNewestVersion;
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

// Each of red, green and blue raised by `amount`, at most 255.
COLORREF Lighten(COLORREF colour, int amount);

enum Colour { NormalText, NormalBack, HotText, HotBack, FocusText, FocusBack };

// 0xFF000000 stands for the system's colour of the role: button face behind, button text in front.
COLORREF StateColour(uint32_t colour, int role);

class SuperButton final : public UnitObject {
public:
    SuperSettings settings;
    UnitFont font;
    COLORREF colours[6] = {};
    bool hot = false, checked = false, isDefault = false;
    HWND tooltip = nullptr;
    HICON pictures[3] = {};

    ~SuperButton() override;

    bool Flat() const { return settings.look != 1; }
    bool Rounded() const { return settings.look == 2; }
    void SystemColours();
    bool Create(const CreateParams& params);
    void CreateTooltip();
    void Play(const std::vector<uint8_t>& sound);
    void OnWindowDeactivated() override { SetHot(false); }
    void OnDpiChanged() override;
    void SetHot(bool value);
    bool OnCommand(WORD code) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void TrackHot(WPARAM keys);
    bool OnDrawItem(DRAWITEMSTRUCT* item) override {
        Paint(item);
        return true;
    }

    // Drawing, in super_button_drawing.cpp.
    void Paint(DRAWITEMSTRUCT* item);
    void DrawBorder(HDC dc, RECT rect, bool pressed);
    // Four lines, outer first: highlight and 3-D light on the top and left,
    // dark shadow and shadow on the bottom and right (the bottom and right own
    // the corners they share with the others).
    static void DrawRaisedEdge(HDC dc, RECT rect, int width);
    void DrawPictures(HDC dc, const RECT& rect);
    void DrawCaption(HDC dc, RECT rect, bool pressed, bool focused, bool disabled);
    // Whether a focused button shows its focus rectangle now.
    bool ShowsFocusRectangle(const DRAWITEMSTRUCT* item) const;
};

}  // namespace velmora
