// InitializeRuntime and the runtime's hidden window.
#include <windows.h>
#include <objbase.h>
#include "runtime/dll_commands.h"
#include "runtime/error_report.h"
#include "runtime/libraries.h"
#include "runtime/memory.h"
#include "runtime/platform_text.h"
#include "runtime/private_messages.h"
#include "runtime/runtime_app.h"
#include "units/framework/form_templates.h"
#include "units/framework/ui_thread.h"

namespace velmora {
namespace {

constexpr const wchar_t* hiddenWindowClass = L"VelmoraRuntimeHidden";

LRESULT CALLBACK HiddenWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // ExitProgram on another thread lands here so the shutdown runs on the main thread.
    if (message == ExitOnMainThreadMessage) ExitProgram(static_cast<int32_t>(wParam));
    if (message == RunOnMainThreadMessage) return RunMarshalledWork(reinterpret_cast<void*>(lParam)) ? 0 : 1;
    if (message == RunPostedOnMainThreadMessage) {
        RunPostedWork(reinterpret_cast<void*>(lParam));
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateHiddenWindow() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = HiddenWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    windowClass.lpszClassName = hiddenWindowClass;
    RegisterClassW(&windowClass);
    return CreateWindowExW(WS_EX_TOOLWINDOW, hiddenWindowClass, L"", 0, 0, 0, 0, 0, nullptr, nullptr,
                           windowClass.hInstance, nullptr);
}

void SplitModulePath(RuntimeApp& app) {
    // Any folder, whatever the code page holds; at most the platform's 260 characters, as ever.
    // Split before converting: a double-byte character may end in the byte of a backslash.
    wchar_t path[MAX_PATH + 1] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring full = path;
    size_t slash = full.rfind(L'\\');
    app.programDirectory = slash == std::wstring::npos ? std::string() : TextFromWide(full.substr(0, slash));
    app.programFileName = TextFromWide(slash == std::wstring::npos ? full : full.substr(slash + 1));
    if (slash != std::wstring::npos && slash > 0) SetCurrentDirectoryW(full.substr(0, slash).c_str());
}

}  // namespace

void InitializeRuntime() {
    RuntimeApp& app = App();
    const ProgramHeader& header = *app.header;
    app.heap = GetProcessHeap();
    app.runMode = header.runMode;
    app.reserved = header.reserved;
    app.serial = header.serial + 1;
    if (!app.oleInitialised && SUCCEEDED(CoInitialize(nullptr))) app.oleInitialised = true;
    SplitModulePath(app);
    app.hiddenWindow = CreateHiddenWindow();
    app.mainThreadId = GetCurrentThreadId();
    if (header.constantBlockSize != 0) AddConstantRange(header.constantBlock, header.constantBlockSize);
    SetUpDllCommandTables(*app.header);
    StartLibraries(header);
    LoadFormTemplates(app);
}

}  // namespace velmora
