#include "tools/driver/velmora_window.h"
#include <commctrl.h>

namespace velmora::driver {


std::string WindowText(HWND window) {
    wchar_t text[1024] = {};
    SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 5000, nullptr);
    return WideToGbk(text);
}

namespace {

std::string ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return WideToGbk(name);
}

BOOL CALLBACK CollectChild(HWND child, LPARAM parameter) {
    auto* units = reinterpret_cast<VelmoraUnits*>(parameter);
    std::string name = ClassOf(child), text = WindowText(child);
    if (lstrcmpiA(name.c_str(), "Button") == 0) {
        if (text == "开始下载") units->startButton = child;
        if (text == "打开下载文件夹") units->openFolder = child;
    } else if (lstrcmpiA(name.c_str(), "Edit") == 0) {
        units->threadCount = child;
    } else if (lstrcmpiA(name.c_str(), "ListBox") == 0) {
        units->log = child;
    } else if (name == UPDOWN_CLASSA || lstrcmpiA(name.c_str(), "msctls_updown32") == 0) {
        units->arrows = child;
    } else if (name == "VelmoraLabel") {
        units->labels.push_back(child);
        if (text == "0 / 0" || text.find(" / ") != std::string::npos || text == "解析图片...") units->progress = child;
    }
    return TRUE;
}

}  // namespace

VelmoraUnits FindUnits(HWND window) {
    VelmoraUnits units;
    units.window = window;
    EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&units));
    return units;
}

void Click(HWND button) { SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_BLOCK, 10000, nullptr); }

void ClickArrow(const VelmoraUnits& units, bool up) {
    RECT rect;
    GetClientRect(units.arrows, &rect);
    LPARAM at = MAKELPARAM(rect.right / 2, up ? rect.bottom / 4 : rect.bottom * 3 / 4);
    std::string before = WindowText(units.threadCount);
    SendMessageTimeoutW(units.arrows, WM_LBUTTONDOWN, MK_LBUTTON, at, SMTO_BLOCK, 5000, nullptr);
    SendMessageTimeoutW(units.arrows, WM_LBUTTONUP, 0, at, SMTO_BLOCK, 5000, nullptr);
    for (int i = 0; i < 100 && WindowText(units.threadCount) == before; ++i) Sleep(10);
}

bool SetThreadCount(const VelmoraUnits& units, int count) {
    for (int steps = 0; steps < 12; ++steps) {
        int current = atoi(WindowText(units.threadCount).c_str());
        if (current == count) return true;
        ClickArrow(units, current < count);
    }
    return atoi(WindowText(units.threadCount).c_str()) == count;
}

std::vector<std::string> LogLines(HWND listBox) {
    std::vector<std::string> lines;
    DWORD_PTR count = 0;
    SendMessageTimeoutW(listBox, LB_GETCOUNT, 0, 0, SMTO_BLOCK, 5000, &count);
    for (DWORD_PTR i = 0; i < count; ++i) {
        wchar_t text[1024] = {};
        SendMessageTimeoutW(listBox, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 5000, nullptr);
        lines.push_back(WideToGbk(text));
    }
    return lines;
}

RunResult RunOnce(const ChildProcess& child, const VelmoraUnits& units, DWORD timeoutMilliseconds) {
    RunResult result;
    DWORD start = GetTickCount();
    Click(units.startButton);
    HWND box = child.WaitForTopWindow("#32770", "提示", timeoutMilliseconds);
    if (!box) return result;
    result.milliseconds = GetTickCount() - start;
    result.completed = true;
    result.boxText = MessageBoxText(box);
    result.log = LogLines(units.log);
    result.progress = WindowText(units.progress);
    PressDialogButton(box, IDOK);
    for (int i = 0; i < 500 && !IsWindowEnabled(units.startButton); ++i) Sleep(10);
    return result;
}

}  // namespace velmora::driver
