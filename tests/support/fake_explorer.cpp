// Stands in for the shell in the open-folder test: writes down its command
// line where VELMORA_EXPLORER_LOG says, and ends.
#include <windows.h>
#include <cstring>

int main() {
    char path[MAX_PATH] = {};
    if (!GetEnvironmentVariableA("VELMORA_EXPLORER_LOG", path, MAX_PATH)) return 1;
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    const char* line = GetCommandLineA();
    DWORD written = 0;
    WriteFile(file, line, static_cast<DWORD>(std::strlen(line)), &written, nullptr);
    CloseHandle(file);
    return 0;
}
