// Every message box the runtime shows (fatal reports, the MessageBox command)
// goes through one function, which tests replace to read the box and go on.
#pragma once
#include <windows.h>

namespace velmora {

using MessageBoxFunction = int(WINAPI*)(HWND, LPCSTR, LPCSTR, UINT);

int ShowMessageBox(const char* text, const char* caption, UINT style);
// Replaces how boxes are shown; returns the function used before.
MessageBoxFunction SetMessageBoxFunction(MessageBoxFunction show);

}  // namespace velmora
