// InitializeRuntime and the runtime's hidden window.
#include <windows.h>
#include <objbase.h>
#include "runtime/dll_commands.h"
#include "runtime/error_report.h"
#include "runtime/libraries.h"
#include "runtime/memory.h"
#include "runtime/private_messages.h"
#include "runtime/runtime_app.h"
#include "units/framework/form_templates.h"
#include "units/framework/ui_thread.h"

namespace velmora {
namespace {

constexpr const char* hiddenWindowClass = "VelmoraRuntimeHidden";

LRESULT CALLBACK HiddenWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // ExitProgram on another thread lands here so the shutdown runs on the main thread.
    if (message == ExitOnMainThreadMessage) ExitProgram(static_cast<int32_t>(wParam));
    if (message == RunOnMainThreadMessage) return RunMarshalledWork(reinterpret_cast<void*>(lParam)) ? 0 : 1;
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateHiddenWindow() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = HiddenWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    windowClass.lpszClassName = hiddenWindowClass;
    RegisterClassA(&windowClass);
    return CreateWindowExA(WS_EX_TOOLWINDOW, hiddenWindowClass, "", 0, 0, 0, 0, 0, nullptr, nullptr,
                           windowClass.hInstance, nullptr);
}

void SplitModulePath(RuntimeApp& app) {
    char path[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string full = path;
    size_t slash = full.rfind('\\');
    if (slash == std::string::npos) {
        app.programDirectory.clear();
        app.programFileName = full;
    } else {
        app.programDirectory = full.substr(0, slash);
        app.programFileName = full.substr(slash + 1);
    }
    if (!app.programDirectory.empty()) SetCurrentDirectoryA(app.programDirectory.c_str());
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
