// MessageBox, ReadEnvironment and RunProgram.
#include <string>
#include <iterator>
#include "commands/command_args.h"
#include "commands/core_commands.h"
#include "commands/value_text.h"
#include "runtime/message_box.h"
#include "runtime/platform_text.h"
#include "runtime/runtime_app.h"

namespace velmora::commands {
namespace {

int32_t ButtonCode(int pressed) {
    switch (pressed) {
        case IDCANCEL: return 1;
        case IDABORT: return 2;
        case IDRETRY: return 3;
        case IDIGNORE: return 4;
        case IDYES: return 5;
        case IDNO: return 6;
        default: return 0;  // OK and anything else
    }
}

}  // namespace

void MessageBox(ValueRecord* result, int32_t count, ValueRecord* arguments) {
    Args args(count, arguments);
    std::string text = ValueToText(args[0]);
    std::string caption = args.Given(2) ? std::string(args.Text(2)) : std::string("信息：");
    auto style = static_cast<uint32_t>(args.Int(1));
    // Arithmetic, not a bit set: a style already holding 0x2000 becomes 0x4000.
    if (!(style & MB_SYSTEMMODAL)) style += MB_TASKMODAL;
    SetInt(result, ButtonCode(ShowMessageBox(text.c_str(), caption.c_str(), style)));
}

void ReadEnvironment(ValueRecord* result, int32_t count, ValueRecord* arguments) {
    std::string_view name = Args(count, arguments).Text(0);
    if (name.empty()) return;
    // Read wide and converted by the program's own rule, not the system's
    // code page: a value holding characters that page lacks keeps them.
    std::wstring value(32768, L'\0');
    DWORD length = GetEnvironmentVariableW(WideFromText(name).c_str(), value.data(), static_cast<DWORD>(value.size()));
    if (length == 0 || length >= value.size()) return;
    value.resize(length);
    SetText(result, TextFromWide(value));
}

void RunProgram(ValueRecord* result, int32_t count, ValueRecord* arguments) {
    Args args(count, arguments);
    static const WORD showCommands[] = {0,           SW_HIDE,           SW_SHOWNORMAL, SW_SHOWMINIMIZED,
                                         SW_SHOWMAXIMIZED, SW_SHOWNOACTIVATE, SW_MINIMIZE};
    static_assert(std::size(showCommands) == 7);
    int32_t style = args.Int(2, 2);
    if (style > 6) style = 6;
    if (style < 1) style = 1;
    std::wstring commandLine = WideFromText(args.Text(0));  // the platform may write into it
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = showCommands[style];
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return SetBool(result, false);
    if (args[1].low != 0)
        WaitForSingleObject(process.hProcess, INFINITE);
    else
        WaitForInputIdle(process.hProcess, 1000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    SetBool(result, true);
}

}  // namespace velmora::commands
