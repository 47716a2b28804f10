// What the routines need to reach the platform on any code page: a text as
// the platform's wide functions take it (for the program's own DLL commands),
// the shell's known folders, which follow a folder the user moved, and the
// system's message for an error code.
#include <windows.h>
#include <shlobj.h>
#include <knownfolders.h>
#include <string>
#include "commands/command_args.h"
#include "commands/core_commands.h"
#include "runtime/platform_text.h"

namespace velmora::commands {

void ToWideText(ValueRecord* result, int32_t count, ValueRecord* arguments) {
    std::wstring wide = WideFromText(Args(count, arguments).Text(0));
    // With its terminating NUL, so the byte set's data is a string the platform reads as it is.
    SetByteSet(result, std::string_view(reinterpret_cast<const char*>(wide.c_str()), (wide.size() + 1) * sizeof(wchar_t)));
}

void ReadKnownFolder(ValueRecord* result, int32_t count, ValueRecord* arguments) {
    if (Args(count, arguments).Int(0) != KnownFolderPictures) return;
    // The path even of a folder that does not exist (yet): the caller makes it.
    PWSTR path = nullptr;
    HRESULT found = SHGetKnownFolderPath(FOLDERID_Pictures, KF_FLAG_DONT_VERIFY, nullptr, &path);
    // Workers ask too, on threads that never started COM.
    if (found == CO_E_NOTINITIALIZED && SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {
        found = SHGetKnownFolderPath(FOLDERID_Pictures, KF_FLAG_DONT_VERIFY, nullptr, &path);
        CoUninitialize();
    }
    if (SUCCEEDED(found) && path) SetText(result, TextFromWide(path));
    CoTaskMemFree(path);
}

void SystemMessage(ValueRecord* result, int32_t count, ValueRecord* arguments) {
    auto code = static_cast<DWORD>(Args(count, arguments).Int(0));
    wchar_t* message = nullptr;
    DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
    std::wstring text(message ? message : L"", length);
    LocalFree(message);
    // One line: the system ends its messages with a line break, sometimes with a period before it.
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) text.pop_back();
    for (wchar_t& c : text)
        if (c == L'\r' || c == L'\n') c = L' ';
    if (text.empty()) text = L"error " + std::to_wstring(code);
    SetText(result, TextFromWide(text));
}

}  // namespace velmora::commands
