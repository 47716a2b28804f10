// The window unit (core type 1): a top-level window of class "KVWindow" with
// its background picture, icon and optional sound; it reflects its children's
// notifications back to their units.
#include <windows.h>
#include <mmsystem.h>
#include <memory>
#include <string>
#include <utility>
#include <vector>
#include <iterator>
#include "runtime/platform_text.h"
#include "runtime/private_messages.h"
#include "runtime/runtime_app.h"
#include "units/framework/dpi.h"
#include "units/framework/gdi_scope.h"
#include "units/framework/keyboard.h"
#include "units/framework/pictures.h"
#include "units/framework/runtime_resources.h"
#include "units/framework/sound.h"
#include "units/framework/window_creation.h"
#include "units/standard_units.h"
#include "units/stream_codec.h"
#include "units/unit_support.h"
#include "units/unit_type_template.h"

namespace velmora {
namespace {

constexpr uint32_t newestVersion = 6;

struct WindowSettings {
    uint32_t version = newestVersion;
    uint32_t border = 2, pictureMode = 1, background = DefaultColour, maximizeBox = 0, minimizeBox = 1,
             controlBox = 1, startPosition = 0, movable = 1, soundPlay = 0;
    uint32_t settings[4] = {0, 1, 0, 0};
    uint32_t inTaskbar = 1;
    uint32_t settingsV3[2] = {0, 0};
    uint32_t topmost = 0, settingV5 = 0;
    std::string className;
    std::vector<uint8_t> picture, icon, sound;
    std::string caption, settingText;

    template <class Codec>
    void Fields(Codec& c) {
        c.Dword(version);
        for (uint32_t* field : {&border, &pictureMode, &background, &maximizeBox, &minimizeBox, &controlBox,
                                &startPosition, &movable, &soundPlay, &settings[0], &settings[1], &settings[2],
                                &settings[3]})
            c.Dword(*field);
        if (version >= 2) c.Dword(inTaskbar);
        if (version >= 3) c.Dword(settingsV3[0]), c.Dword(settingsV3[1]);
        if (version >= 4) c.Dword(topmost);
        if (version >= 5) c.Dword(settingV5);
        if (version >= 6) c.Text(className);
        c.Block(picture);
        c.Block(icon);
        c.Block(sound);
        c.Text(caption);
        c.Text(settingText);
    }
};

class WindowUnit final : public UnitObject {
public:
    WindowSettings settings;

    bool Create(const CreateParams& params) {
        const WindowSettings& s = settings;
        DWORD style = params.style | WS_CLIPCHILDREN, exStyle = 0;
        if (s.border != 0) {
            style |= WS_DLGFRAME;
            if (!s.caption.empty() || s.controlBox) style |= s.controlBox ? (WS_CAPTION | WS_SYSMENU) : WS_CAPTION;
        }
        bool resizable = s.border == 1 || s.border == 3 || s.border == 5;
        if (resizable) style |= WS_THICKFRAME;
        if (s.border == 3 || s.border == 4) exStyle |= WS_EX_TOOLWINDOW;
        if (s.border == 5 || s.border == 6) exStyle |= WS_EX_CLIENTEDGE;
        if (s.maximizeBox) style |= WS_MAXIMIZEBOX;
        if (s.minimizeBox) style |= WS_MINIMIZEBOX;
        int left = params.left, top = params.top;
        if (s.startPosition == 1) {
            left = (GetSystemMetrics(SM_CXSCREEN) - params.width) / 2;
            top = (GetSystemMetrics(SM_CYSCREEN) - params.height) / 2;
        } else if (s.startPosition == 2) {
            style |= WS_MINIMIZE;
        } else if (s.startPosition == 3 && resizable) {
            style |= WS_MAXIMIZE;
        }
        HWND owner = params.parent;
        if (!s.inTaskbar && !owner) owner = App().hiddenWindow;
        if (owner) style |= WS_POPUP;
        std::string windowClass = s.className.empty() ? "KVWindow" : s.className;
        // A class of ours finds this object at WM_NCCREATE, so creation's own
        // messages reach it; a class of that name that another procedure owns
        // (a template may name any class) is subclassed once the window exists.
        bool ownClass = RegisterUnitClass(windowClass.c_str(), Procedure);
        Attach(nullptr, params.windowId, params.unitId);
        HWND window = CreateWindowExW(exStyle, WideFromText(windowClass).c_str(), WideFromText(s.caption).c_str(), style,
                                      left, top, params.width, params.height, owner, params.menu,
                                      GetModuleHandleW(nullptr), ownClass ? static_cast<UnitObject*>(this) : nullptr);
        if (!window) return false;
        created_ = true;
        previous_ = BindAfterCreation(this, window, Procedure);
        RECT outer;
        GetWindowRect(window, &outer);
        if (outer.right - outer.left != params.width || outer.bottom - outer.top != params.height)
            MoveWindow(window, left, top, params.width, params.height, FALSE);
        SetIcons();
        if (!s.sound.empty() && s.soundPlay <= 1)
            PlayUnitSound(reinterpret_cast<LPCSTR>(s.sound.data()), nullptr,
                       SND_MEMORY | SND_ASYNC | SND_NODEFAULT | (s.soundPlay == 1 ? SND_LOOP : 0));
        defaultFont_.Set({}, Dpi());
        SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(defaultFont_.Get()), FALSE);
        if (s.topmost) SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        if (!s.movable) RemoveMenu(GetSystemMenu(window, FALSE), SC_MOVE, MF_BYCOMMAND);
        background_ = s.picture.empty() ? nullptr
                                        : IconFromFileData(s.picture.data(), static_cast<uint32_t>(s.picture.size()),
                                                           false, &pictureWidth_, &pictureHeight_);
        ScaleBackground();
        return true;
    }

    // The background picture at the window's DPI (the picture itself at the template's).
    void ScaleBackground() {
        tiles_.Forget();  // the picture it was made of goes
        if (scaledBackground_) DestroyIcon(scaledBackground_);
        scaledBackground_ = Dpi() == TemplateDpi ? nullptr
                                                 : ScaledIcon(background_, Scaled(pictureWidth_), Scaled(pictureHeight_));
    }

    void OnDpiChanged() override {
        ScaleBackground();
        if (!Window()) return;
        // The window shows its icons until the new ones are set.
        HICON old[3] = {bigIcon_, smallIcon_, runtimeBigIcon_};
        bigIcon_ = smallIcon_ = runtimeBigIcon_ = nullptr;
        SetIcons();
        for (HICON icon : old)
            if (icon) DestroyIcon(icon);
        defaultFont_.Set({}, Dpi());
        SendMessageW(Window(), WM_SETFONT, reinterpret_cast<WPARAM>(defaultFont_.Get()), FALSE);
        InvalidateRect(Window(), nullptr, FALSE);
    }

    WindowKeyboard* Keyboard() override { return &keyboard_; }

    // The template's icon, else the runtime's own from the program's module
    // (the system's only for a module without it).
    // Both at the sizes of the window's DPI.
    void SetIcons() {
        const std::vector<uint8_t>& icon = settings.icon;
        bigIcon_ = icon.empty() ? nullptr : IconFromFileData(icon.data(), static_cast<uint32_t>(icon.size()), false);
        HICON big = bigIcon_, small = bigIcon_;
        int bigSize = SystemMetricForDpi(SM_CXICON, Dpi()), smallSize = SystemMetricForDpi(SM_CXSMICON, Dpi());
        if (!big) {
            HMODULE module = GetModuleHandleW(nullptr);
            runtimeBigIcon_ = static_cast<HICON>(
                LoadImageW(module, MAKEINTRESOURCEW(VELMORA_DEFAULT_ICON), IMAGE_ICON, bigSize, bigSize, 0));
            smallIcon_ = static_cast<HICON>(
                LoadImageW(module, MAKEINTRESOURCEW(VELMORA_DEFAULT_ICON), IMAGE_ICON, smallSize, smallSize, 0));
            big = runtimeBigIcon_ ? runtimeBigIcon_ : LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
            small = smallIcon_ ? smallIcon_ : big;
        }
        SendMessageW(Window(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
        SendMessageW(Window(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    }

    void DestroyIcons() {
        for (HICON* icon : {&bigIcon_, &smallIcon_, &runtimeBigIcon_}) {
            if (*icon) DestroyIcon(*icon);
            *icon = nullptr;
        }
    }

    int ShowCommand() const override {
        if (settings.startPosition == 2) return SW_SHOWMINIMIZED;
        if (settings.startPosition == 3) return SW_SHOWMAXIMIZED;
        return SW_SHOW;
    }

    ~WindowUnit() override {
        StopUnitSound(settings.sound.data());  // a looping background sound plays from this buffer
        tiles_.Forget();
        if (background_) DestroyIcon(background_);
        if (scaledBackground_) DestroyIcon(scaledBackground_);
        DestroyIcons();
    }

private:
    // Only the area asked for is drawn: an off-screen bitmap of its size
    // (so the tiles never flicker), the client's coordinates moved onto it.
    void Paint(HDC target, const RECT& area) {
        int width = area.right - area.left, height = area.bottom - area.top;
        if (width <= 0 || height <= 0) return;
        RECT client;
        GetClientRect(Window(), &client);
        MemoryDc memory(target);
        OwnedGdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(target, width, height));
        SelectedObject drawingOn(memory, bitmap);
        SetViewportOrgEx(memory, -area.left, -area.top, nullptr);
        OwnedGdiObject<HBRUSH> fill(CreateSolidBrush(ResolveColour(settings.background)));
        FillRect(memory, &area, fill);
        if (scaledBackground_)
            DrawPicture(memory, scaledBackground_, Scaled(pictureWidth_), Scaled(pictureHeight_), client,
                        settings.pictureMode, &tiles_);
        else
            DrawPicture(memory, background_, pictureWidth_, pictureHeight_, client, settings.pictureMode, &tiles_);
        BitBlt(target, area.left, area.top, width, height, memory, area.left, area.top, SRCCOPY);
    }

    static BOOL CALLBACK TellDeactivated(HWND child, LPARAM) {
        UnitObject* unit = UnitOfWindow(child);
        if (unit && unit->Window() == child) unit->OnWindowDeactivated();  // not the edit box's arrows again
        return TRUE;
    }

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) BindAtCreation(window, lParam);
        // Only a window's own object: another type's class may stand behind this procedure.
        auto* unit = dynamic_cast<WindowUnit*>(UnitOfWindow(window));
        if (!unit) return DefWindowProcW(window, message, wParam, lParam);
        LRESULT reflected = 0;
        if (ReflectToChild(message, wParam, lParam, reflected)) return reflected;
        switch (message) {
            case WM_ERASEBKGND:
                return 1;
            case WM_PAINT: {
                PAINTSTRUCT paint;
                HDC dc = BeginPaint(window, &paint);
                unit->Paint(dc, paint.rcPaint);
                EndPaint(window, &paint);
                return 0;
            }
            case WM_SETCURSOR:
                if (ShowUnitCursor(unit, wParam, lParam)) return TRUE;
                break;
            case WM_ACTIVATE:
                if (LOWORD(wParam) == WA_INACTIVE) EnumChildWindows(window, TellDeactivated, 0);
                // The focus stays where it was while the window is away.
                if (unit->keyboard_.OnActivate(window, wParam)) return 0;
                break;
            case WM_ACTIVATEAPP:  // says "lost" with a zero wParam, as WM_ACTIVATE does
                if (!wParam) EnumChildWindows(window, TellDeactivated, 0);
                break;
            case WM_SIZE:
                // Back from the taskbar, not any resize (a move to a monitor of another DPI resizes too).
                if (wParam == SIZE_MINIMIZED)
                    unit->minimised_ = true;
                else if (std::exchange(unit->minimised_, false))
                    unit->keyboard_.OnRestored(window);
                break;
            case WM_WINDOWPOSCHANGED:
                // Raised by anything at all: a box of the program's goes back in front.
                if (!(reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_NOZORDER))
                    PostMessageW(window, MessageBoxesToFront, FALSE, 0);
                break;
            case MessageBoxesToFront:
                BringMessageBoxesToFront(window, wParam != 0);
                return 0;
            case WM_DPICHANGED:
                RescaleWindow(unit->WindowId(), HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
                return 0;
            case WM_SETTEXT:
                unit->settings.caption = TextFromWide(reinterpret_cast<const wchar_t*>(lParam));
                break;
            case WM_NCDESTROY: {
                WNDPROC previous = unit->previous_;
                BindUnitToWindow(window, nullptr);
                // A window that failed during its creation leaves its object to the creator.
                if (!unit->created_) return CallPreviousProcedure(previous, window, message, wParam, lParam);
                uint32_t windowId = unit->WindowId();
                ForgetUnit(unit);
                delete unit;
                LRESULT result = CallPreviousProcedure(previous, window, message, wParam, lParam);
                FinishWindowCleanup(windowId);
                return result;
            }
            default:
                break;
        }
        return CallPreviousProcedure(unit->previous_, window, message, wParam, lParam);
    }

    bool created_ = false;       // CreateWindowEx has returned the window
    WNDPROC previous_ = nullptr;  // a foreign class's procedure, when the window is subclassed
    HICON background_ = nullptr;
    HICON scaledBackground_ = nullptr;  // at the window's DPI, when that is not the template's
    TileCache tiles_;                   // the tiled background's block, made once per picture
    HICON bigIcon_ = nullptr;
    HICON smallIcon_ = nullptr;       // the runtime's, at the small size
    HICON runtimeBigIcon_ = nullptr;  // the runtime's, at the big size
    UnitFont defaultFont_;
    WindowKeyboard keyboard_;
    bool minimised_ = false;
    int pictureWidth_ = 0, pictureHeight_ = 0;
};

int32_t SetWindowProperty(const ValueRecord& value, UnitObject* object, int32_t number) {
    auto* unit = static_cast<WindowUnit*>(object);
    switch (number) {
        case 0:  // caption
            SetWindowTextW(unit->Window(), WideFromText(reinterpret_cast<const char*>(value.low)).c_str());
            return 0;
        case 1:  // background colour
            unit->settings.background = value.low;
            InvalidateRect(unit->Window(), nullptr, FALSE);
            return 0;
        case 2:  // background picture mode
            unit->settings.pictureMode = value.low;
            InvalidateRect(unit->Window(), nullptr, FALSE);
            return 0;
        default:
            return 0;
    }
}

int32_t GetWindowProperty(UnitObject* object, int32_t number, uint32_t raw[2]) {
    auto* unit = static_cast<WindowUnit*>(object);
    switch (number) {
        case 0: raw[0] = reinterpret_cast<uint32_t>(unit->settings.caption.c_str()); return 1;
        case 1: raw[0] = unit->settings.background; return 1;
        case 2: raw[0] = unit->settings.pictureMode; return 1;
        default: return 0;
    }
}

}  // namespace

const PropertyDescriptor windowProperties[] = {
    COMMON_PROPERTIES,
    {{}, DataText, 0x8000, 0},    // 8 caption
    {{}, DataColour, 0x8000, 0},  // 9 background colour
    {{}, DataChoice, 0x8000, 0},  // 10 background picture mode
};

static_assert(std::size(windowProperties) == 11);

const UnitTypeDescriptor windowType = {
    "窗口", "Window", {}, 0x800000D0, {}, std::size(windowProperties), windowProperties,
    UnitInterface<CreateFromStream<WindowUnit, newestVersion>, SetWindowProperty, SaveSettings<WindowUnit>, GetWindowProperty>, {},
};

}  // namespace velmora
