// The second yardstick for start-up: the platform work Velmora's window needs,
// with none of the runtime around it. OLE, a hidden tool window, the main
// window with its icons, three labels, a read-only edit box with up-down
// arrows (the common controls load at their first use, as in Velmora), a list
// box, two buttons, the Pictures folder asked for, then shown.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>
#include <utility>

static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(window, message, wParam, lParam);
}

static void RegisterWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = name;
    RegisterClassW(&windowClass);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    CoInitialize(nullptr);
    RegisterWindowClass(instance, L"PlatformHidden", DefWindowProcW);
    CreateWindowExW(WS_EX_TOOLWINDOW, L"PlatformHidden", L"", 0, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    RegisterWindowClass(instance, L"PlatformWindow", Procedure);
    HWND window = CreateWindowExW(0, L"PlatformWindow", L"Platform", WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN,
                                  CW_USEDEFAULT, CW_USEDEFAULT, 472, 407, nullptr, nullptr, instance, nullptr);
    for (auto [which, size] : {std::pair{ICON_BIG, 32}, std::pair{ICON_SMALL, 16}}) {
        auto icon = LoadImageW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION), IMAGE_ICON, size, size, 0);
        SendMessageW(window, WM_SETICON, which, reinterpret_cast<LPARAM>(icon));
    }
    // The window's units use the system's font; the owner-drawn button a face of its own.
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    HFONT buttonFont = CreateFontW(-14, 0, 0, 0, FW_NORMAL, 0, TRUE, 0, GB2312_CHARSET, 0, 0, 0, 0, L"SimSun");
    struct Control {
        const wchar_t* className;
        DWORD style, exStyle;
        int left, top, width, height;
        bool arrows;
    } controls[] = {{L"BUTTON", BS_PUSHBUTTON, 0, 10, 330, 100, 30, false},
                    {L"LISTBOX", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER, 0, 10, 10, 440, 270, false},
                    {L"STATIC", 0, 0, 10, 290, 100, 20, false},
                    {L"STATIC", 0, 0, 120, 290, 100, 20, false},
                    {L"EDIT", ES_READONLY | WS_BORDER, 0, 368, 296, 72, 24, true},
                    {L"STATIC", 0, 0, 230, 290, 100, 20, false},
                    {L"BUTTON", BS_OWNERDRAW, 0, 340, 330, 100, 30, false}};
    for (const Control& control : controls) {
        HWND child = CreateWindowExW(control.exStyle, control.className, L"10", WS_CHILD | WS_VISIBLE | control.style,
                                     control.left, control.top, control.width, control.height, window, nullptr,
                                     instance, nullptr);
        HFONT face = (control.style & BS_OWNERDRAW) == BS_OWNERDRAW ? buttonFont : font;
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(face), FALSE);
        if (control.arrows)
            CreateWindowExW(0, UPDOWN_CLASSW, L"", WS_CHILD | WS_VISIBLE, control.left + control.width,
                            control.top, 18, control.height, window, nullptr, instance, nullptr);
    }
    PWSTR pictures = nullptr;
    SHGetKnownFolderPath(FOLDERID_Pictures, 0, nullptr, &pictures);
    CoTaskMemFree(pictures);
    ShowWindow(window, show);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    CoUninitialize();
    return 0;
}
