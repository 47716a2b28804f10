// Stands in for the shell in the open-folder tests: writes down its command
// line, as UTF-8 of what the platform passed, where VELMORA_EXPLORER_LOG
// says, and ends.
#include <windows.h>
#include <string>

int main() {
    wchar_t path[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"VELMORA_EXPLORER_LOG", path, MAX_PATH)) return 1;
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    const wchar_t* line = GetCommandLineW();
    int size = WideCharToMultiByte(CP_UTF8, 0, line, -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(size > 0 ? size - 1 : 0), '\0');
    if (size > 1) WideCharToMultiByte(CP_UTF8, 0, line, -1, utf8.data(), size, nullptr, nullptr);
    DWORD written = 0;
    WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    CloseHandle(file);
    return 0;
}
