// Starting a Windows program and working its windows from outside, as a user
// would: used by the end-to-end tests and by the demo script.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

namespace velmora::driver {

class ChildProcess {
public:
    // Starts the command line with its standard output going to a temporary file.
    explicit ChildProcess(const std::string& commandLine);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return process_ != nullptr; }
    DWORD Id() const { return id_; }
    // Waits for the end; false when the time ran out.
    bool Wait(DWORD milliseconds);
    DWORD ExitCode() const;
    std::string Output() const;
    void Kill();

    // A visible top-level window of this process with the class and caption, or null.
    HWND FindTopWindow(const char* className, const char* caption) const;
    HWND WaitForTopWindow(const char* className, const char* caption, DWORD milliseconds) const;

private:
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
    std::wstring outputPath_;
};

// The directory of the running executable, with a trailing backslash.
std::string OwnDirectory();
// The static text of a message box.
std::string MessageBoxText(HWND box);
// Presses a message box button by its id (IDOK, IDCANCEL, ...).
void PressDialogButton(HWND box, int buttonId);
// Saves what the screen shows inside the rectangle as a 24-bit BMP file.
bool SaveScreenRectangle(const RECT& area, const std::string& path);
// Code page 936 and UTF-16, the platform's texts.
std::wstring GbkToWide(const std::string& text);
std::string WideToGbk(const wchar_t* text);
// Code page 936 to UTF-8, for printing on the host terminal.
std::string GbkToUtf8(const std::string& text);

}  // namespace velmora::driver
