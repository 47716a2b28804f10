// Building a window and its units from its template.
#pragma once
#include <windows.h>
#include <cstdint>
#include "units/framework/window_map.h"

namespace velmora {

// Creates the window (or only restores or activates it when it exists);
// false when a unit type is missing or a unit cannot be created.
bool CreateWindowFromTemplate(WindowTemplate& window, bool modal, HWND owner);
// Runtime interface operation: creates the start-up window or reports
// "载入启动窗口失败".
void LoadStartupWindow(uint32_t windowId);
// A program window's final clean-up: releases its cursors and tells the runtime.
void FinishWindowCleanup(uint32_t windowId);
// The window shows at another DPI now: every unit at its template rectangle
// scaled to it, with fonts and drawing made anew; the window itself takes
// `suggested` (the platform's rectangle for it), or its own size scaled.
void RescaleWindow(uint32_t windowId, UINT dpi, const RECT* suggested);

}  // namespace velmora
