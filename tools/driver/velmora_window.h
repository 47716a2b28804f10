// Velmora's window as a user sees it, worked from another process.
#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "tools/driver/process_control.h"

namespace velmora::driver {

struct VelmoraUnits {
    HWND window = nullptr;
    HWND startButton = nullptr;   // "开始下载"
    HWND threadCount = nullptr;   // the read-only edit box
    HWND arrows = nullptr;        // its up-down control
    HWND log = nullptr;           // the list box
    HWND progress = nullptr;      // the label that counts
    HWND openFolder = nullptr;    // the super button "打开下载文件夹"
    std::vector<HWND> labels;
};

// Finds the units of the main window by class and text.
VelmoraUnits FindUnits(HWND window);
std::string WindowText(HWND window);
// Clicks one arrow (up or down) and waits for the box to change.
void ClickArrow(const VelmoraUnits& units, bool up);
// Steps the thread count with the arrows until it reads `count`.
bool SetThreadCount(const VelmoraUnits& units, int count);
void Click(HWND button);
std::vector<std::string> LogLines(HWND listBox);

struct RunResult {
    bool completed = false;
    DWORD milliseconds = 0;  // from the click to the completion box
    std::string boxText;
    std::vector<std::string> log;
    std::string progress;
};
// Presses the start button and waits for the "下载完成" box captioned "提示";
// reads the log and the label, then presses OK and waits for the controls to return.
RunResult RunOnce(const ChildProcess& child, const VelmoraUnits& units, DWORD timeoutMilliseconds);

}  // namespace velmora::driver
