// The label unit (core type 10): a child window of its own class, painted
// entirely here, with text effects, frames, shading and alignment.
#include <windows.h>
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>
#include <iterator>
#include "runtime/platform_text.h"
#include "units/framework/gdi_scope.h"
#include "units/framework/pictures.h"
#include "units/standard_units.h"
#include "units/stream_codec.h"
#include "units/unit_support.h"
#include "units/unit_type_template.h"

namespace velmora {
namespace {

constexpr uint32_t newestVersion = 2;
constexpr const char* labelClass = "VelmoraLabel";

struct LabelSettings {
    uint32_t version = newestVersion;
    uint32_t effect = 0, frameWidth = 8, border = 0;
    uint32_t frameColours[3] = {0x808080, 0xFFFFFF, 0x808080};
    uint32_t textColour = 0, background = DefaultColour, pictureMode = 1, shadeMode = 0;
    uint32_t shadeColours[3] = {0x808080, 0xFFFFFF, 0x808080};
    uint32_t horizontal = 0, vertical = 1, wordWrap = 0;
    std::vector<uint8_t> font, picture;
    std::string caption, linkText, settingText;

    template <class Codec>
    void Fields(Codec& c) {
        c.Dword(version);
        for (uint32_t* field : {&effect, &frameWidth, &border, &frameColours[0], &frameColours[1], &frameColours[2],
                                &textColour, &background, &pictureMode, &shadeMode, &shadeColours[0],
                                &shadeColours[1], &shadeColours[2], &horizontal, &vertical, &wordWrap})
            c.Dword(*field);
        c.Block(font);
        c.Block(picture);
        c.Text(caption);
        if (version >= 2) c.Text(linkText), c.Text(settingText);
    }
};

// The colours of a set of three that are not the default; drawing needs two.
std::vector<COLORREF> UsableColours(const uint32_t (&colours)[3]) {
    std::vector<COLORREF> usable;
    for (uint32_t colour : colours)
        if (colour != DefaultColour) usable.push_back(colour & 0x00FFFFFF);
    return usable;
}

COLORREF Blend(COLORREF a, COLORREF b, int step, int steps) {
    auto mix = [&](int x, int y) { return x + (y - x) * step / (steps > 0 ? steps : 1); };
    return RGB(mix(GetRValue(a), GetRValue(b)), mix(GetGValue(a), GetGValue(b)), mix(GetBValue(a), GetBValue(b)));
}

// Step `step` of `steps` along a shading through all the usable colours in
// their order, evenly spaced: the first at step 0, the last at `steps`.
COLORREF Shade(const std::vector<COLORREF>& colours, int step, int steps) {
    int segments = static_cast<int>(colours.size()) - 1;
    if (steps <= 0 || segments <= 0) return colours.front();
    int64_t along = static_cast<int64_t>(step) * segments;  // in units of 1 / steps
    int segment = static_cast<int>(std::min<int64_t>(along / steps, segments - 1));
    return Blend(colours[segment], colours[segment + 1], static_cast<int>(along - int64_t{segment} * steps), steps);
}

class LabelUnit final : public UnitObject {
public:
    LabelSettings settings;
    UnitFont font;

    ~LabelUnit() override {
        if (picture_) DestroyIcon(picture_);
        if (scaledPicture_) DestroyIcon(scaledPicture_);
    }

    bool Create(const CreateParams& params) {
        // The label's class finds this object at WM_NCCREATE, so creation's own
        // messages reach it; should another procedure own the class's name, the
        // window is subclassed once it exists.
        bool ownClass = RegisterUnitClass(labelClass, Procedure);
        Attach(nullptr, params.windowId, params.unitId);
        DWORD style = params.style | WS_CHILD | WS_CLIPSIBLINGS, exStyle = 0;
        AddBorderStyle(settings.border, style, exStyle);
        HWND window = CreateWindowExW(exStyle, WideFromText(labelClass).c_str(), WideFromText(settings.caption).c_str(),
                                      style, params.left, params.top, params.width,
                                      params.height, params.parent,
                                      reinterpret_cast<HMENU>(static_cast<intptr_t>(params.childId)),
                                      GetModuleHandleW(nullptr), ownClass ? static_cast<UnitObject*>(this) : nullptr);
        if (!window) return false;
        created_ = true;
        previous_ = BindAfterCreation(this, window, Procedure);
        font.Set(settings.font, Dpi());
        // Icon pictures are drawn; any other picture is left out and the label shows its background.
        if (!settings.picture.empty())
            picture_ = IconFromFileData(settings.picture.data(), static_cast<uint32_t>(settings.picture.size()), false,
                                        &pictureWidth_, &pictureHeight_);
        ScalePicture();
        return true;
    }

    void OnDpiChanged() override {
        font.Set(settings.font, Dpi());
        ScalePicture();
        if (Window()) InvalidateRect(Window(), nullptr, FALSE);
    }

    // The background picture at the label's DPI (the picture itself at the template's).
    void ScalePicture() {
        if (scaledPicture_) DestroyIcon(scaledPicture_);
        scaledPicture_ = Dpi() == TemplateDpi ? nullptr
                                              : ScaledIcon(picture_, Scaled(pictureWidth_), Scaled(pictureHeight_));
    }

    void Paint(HDC dc) {
        RECT area;
        GetClientRect(Window(), &area);
        // Frame widths and the effects' offsets are template pixels.
        auto frame = Scaled(static_cast<int32_t>(settings.frameWidth));
        if (settings.border == 6 && frame > 0) {
            std::vector<COLORREF> colours = UsableColours(settings.frameColours);
            if (colours.size() >= 2) {
                // A frame wider than the label fills it: no more rings than fit.
                int fits = (std::min(area.right - area.left, area.bottom - area.top) + 1) / 2;
                int width = std::min(frame, fits);
                for (int ring = 0; ring < width; ++ring) {
                    COLORREF colour = Shade(colours, ring, frame - 1);
                    RECT edge{area.left + ring, area.top + ring, area.right - ring, area.bottom - ring};
                    FillSolid(dc, {edge.left, edge.top, edge.right, edge.top + 1}, colour);
                    FillSolid(dc, {edge.left, edge.bottom - 1, edge.right, edge.bottom}, colour);
                    FillSolid(dc, {edge.left, edge.top, edge.left + 1, edge.bottom}, colour);
                    FillSolid(dc, {edge.right - 1, edge.top, edge.right, edge.bottom}, colour);
                }
                InflateRect(&area, -width, -width);
                // Rings that filled an odd-sized label leave no area rather than one inside out.
                area.right = std::max(area.right, area.left);
                area.bottom = std::max(area.bottom, area.top);
            }
        }
        std::vector<COLORREF> shades = UsableColours(settings.shadeColours);
        if (picture_) {
            FillSolid(dc, area, ResolveColour(settings.background));  // behind the icon's transparent parts
            if (scaledPicture_)
                DrawPicture(dc, scaledPicture_, Scaled(pictureWidth_), Scaled(pictureHeight_), area,
                            settings.pictureMode);
            else
                DrawPicture(dc, picture_, pictureWidth_, pictureHeight_, area, settings.pictureMode);
        } else if (settings.shadeMode != 0 && shades.size() >= 2) {
            // Only the lines the clip box shows: a label far taller than the screen paints its visible part.
            int height = area.bottom - area.top;
            RECT clip{area.left, area.top, area.left, area.bottom};
            GetClipBox(dc, &clip);
            int first = std::max(0, static_cast<int>(clip.top - area.top));
            int last = std::min(height, static_cast<int>(clip.bottom - area.top));
            for (int y = first; y < last; ++y)
                FillSolid(dc, {area.left, area.top + y, area.right, area.top + y + 1},
                          Shade(shades, y, height - 1));
        } else {
            FillSolid(dc, area, ResolveColour(settings.background));
        }
        if (settings.caption.empty()) return;
        SelectedObject captionFont(dc, font.Get());
        SetBkMode(dc, TRANSPARENT);
        static const UINT horizontal[] = {DT_LEFT, DT_CENTER, DT_RIGHT};
        static_assert(std::size(horizontal) == 3);
        static const UINT vertical[] = {DT_TOP, DT_VCENTER, DT_BOTTOM};
        static_assert(std::size(vertical) == 3);
        UINT flags = DT_NOCLIP | horizontal[settings.horizontal % 3] |
                     (settings.wordWrap ? DT_WORDBREAK : DT_SINGLELINE | vertical[settings.vertical % 3]);
        std::wstring caption = WideFromText(settings.caption);
        auto draw = [&](COLORREF colour, int dx, int dy) {
            RECT at{area.left + dx, area.top + dy, area.right + dx, area.bottom + dy};
            SetTextColor(dc, colour);
            DrawTextW(dc, caption.c_str(), -1, &at, flags);
        };
        int shift = 0, one = Scaled(1), two = Scaled(2);
        if (settings.effect == 1) draw(RGB(255, 255, 255), one, one);
        if (settings.effect == 2) draw(RGB(255, 255, 255), 0, 0), shift = one;
        if (settings.effect == 3) draw(RGB(0, 0, 0), two, two);
        draw(settings.textColour & 0x00FFFFFF, shift, shift);
    }

private:
    HICON picture_ = nullptr;
    HICON scaledPicture_ = nullptr;  // at the label's DPI, when that is not the template's
    int pictureWidth_ = 0, pictureHeight_ = 0;
    bool created_ = false;       // CreateWindowEx has returned the window
    WNDPROC previous_ = nullptr;  // a foreign class's procedure, when the window is subclassed

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) BindAtCreation(window, lParam);
        // Only a label's own object: a window may name this class in its template.
        auto* unit = dynamic_cast<LabelUnit*>(UnitOfWindow(window));
        WNDPROC previous = unit ? unit->previous_ : nullptr;
        switch (message) {
            case WM_ERASEBKGND:
                return 1;
            case WM_SETCURSOR:
                if (unit && ShowUnitCursor(unit, wParam, lParam)) return TRUE;
                break;
            case WM_GETFONT:  // the font it paints with, as the platform's controls answer
                if (unit) return reinterpret_cast<LRESULT>(unit->font.Get());
                break;
            case WM_PRINTCLIENT:
                if (unit) {
                    unit->Paint(reinterpret_cast<HDC>(wParam));
                    return 0;
                }
                break;
            case WM_PAINT:
                if (unit) {
                    PAINTSTRUCT paint;
                    HDC dc = BeginPaint(window, &paint);
                    unit->Paint(dc);
                    EndPaint(window, &paint);
                    return 0;
                }
                break;
            case WM_NCDESTROY:
                if (unit) {
                    BindUnitToWindow(window, nullptr);
                    // A window that failed during its creation leaves its object to the creator.
                    if (unit->created_) {
                        ForgetUnit(unit);
                        delete unit;
                    }
                }
                break;
            default:
                break;
        }
        return CallPreviousProcedure(previous, window, message, wParam, lParam);
    }
};

int32_t SetLabelProperty(const ValueRecord& value, UnitObject* object, int32_t number) {
    auto* unit = static_cast<LabelUnit*>(object);
    LabelSettings& s = unit->settings;
    switch (number) {
        case 0: {  // caption: stored, set as the window text, repainted
            const char* text = reinterpret_cast<const char*>(value.low);
            s.caption = text ? text : "";
            SetWindowTextW(unit->Window(), WideFromText(s.caption).c_str());
            break;
        }
        case 1: s.textColour = value.low; break;
        case 2: s.background = value.low; break;
        case 3: s.horizontal = value.low % 3; break;
        case 4: s.wordWrap = value.low ? 1 : 0; break;
        case 5:
            ApplyFontProperty(value, s.font, unit->font, nullptr, unit->Dpi());  // the label paints with it itself
            break;
        case 6: s.effect = value.low; break;
        case 7:
            s.border = value.low;
            if (s.border <= 5) ApplyBorderStyle(unit->Window(), s.border);
            break;
        case 8: s.frameWidth = static_cast<int32_t>(value.low) < 5 ? 5 : value.low; break;
        default: return 0;
    }
    InvalidateRect(unit->Window(), nullptr, FALSE);
    return 0;
}

int32_t GetLabelProperty(UnitObject* object, int32_t number, uint32_t raw[2]) {
    auto* unit = static_cast<LabelUnit*>(object);
    LabelSettings& s = unit->settings;
    switch (number) {
        case 0: raw[0] = reinterpret_cast<uint32_t>(s.caption.c_str()); return 1;
        case 1: raw[0] = s.textColour; return 1;
        case 2: raw[0] = s.background; return 1;
        case 3: raw[0] = s.horizontal; return 1;
        case 4: raw[0] = s.wordWrap; return 1;
        case 5: raw[0] = reinterpret_cast<uint32_t>(s.font.data()), raw[1] = static_cast<uint32_t>(s.font.size()); return 1;
        case 6: raw[0] = s.effect; return 1;
        case 7: raw[0] = s.border; return 1;
        case 8: raw[0] = s.frameWidth; return 1;
        default: return 0;
    }
}

}  // namespace

const PropertyDescriptor labelProperties[] = {
    COMMON_PROPERTIES,
    {{}, DataText, 0x8000, 0},      // 8 caption
    {{}, DataColour, 0x8000, 0},    // 9 text colour
    {{}, DataColour, 0x8000, 0},    // 10 background colour
    {{}, DataChoice, 0x8000, 0},    // 11 horizontal alignment
    {{}, DataLogical, 0x8000, 0},   // 12 word wrap
    {{}, DataFont, 0x8000, 0},      // 13 font
    {{}, DataChoice, 0x8000, 0},    // 14 text effect
    {{}, DataChoice, 0x8000, 0},    // 15 border style
    {{}, DataInteger, 0x8000, 0},   // 16 frame width
};

static_assert(std::size(labelProperties) == 17);

const UnitTypeDescriptor labelType = {
    "标签", "Label", {}, 0x84012040, {}, std::size(labelProperties), labelProperties,
    UnitInterface<CreateFromStream<LabelUnit, newestVersion>, SetLabelProperty, SaveSettings<LabelUnit>, GetLabelProperty>, {},
};

}  // namespace velmora
