// What the routines need to reach the platform on any code page: a text as
// the platform's wide functions take it (for the program's own DLL commands),
// and the shell's known folders, which follow a folder the user moved.
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

}  // namespace velmora::commands
