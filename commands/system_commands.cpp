// MessageBox, ReadEnvironment and RunProgram.
#include <string>
#include <vector>
#include <iterator>
#include "commands/command_args.h"
#include "commands/core_commands.h"
#include "commands/value_text.h"
#include "runtime/message_box.h"
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
    std::string name(Args(count, arguments).Text(0));
    if (name.empty()) return;
    // Read wide and convert: the ANSI call of some platforms cuts values
    // holding double-byte characters short.
    int nameLength = MultiByteToWideChar(CP_ACP, 0, name.c_str(), -1, nullptr, 0);
    std::wstring wideName(static_cast<size_t>(nameLength), L'\0');
    MultiByteToWideChar(CP_ACP, 0, name.c_str(), -1, wideName.data(), nameLength);
    std::wstring value(32768, L'\0');
    DWORD length = GetEnvironmentVariableW(wideName.c_str(), value.data(), static_cast<DWORD>(value.size()));
    if (length == 0 || length >= value.size()) return;
    int bytes = WideCharToMultiByte(CP_ACP, 0, value.data(), static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, value.data(), static_cast<int>(length), text.data(), bytes, nullptr, nullptr);
    SetText(result, text);
}

void RunProgram(ValueRecord* result, int32_t count, ValueRecord* arguments) {
    Args args(count, arguments);
    static const WORD showCommands[] = {0,           SW_HIDE,           SW_SHOWNORMAL, SW_SHOWMINIMIZED,
                                         SW_SHOWMAXIMIZED, SW_SHOWNOACTIVATE, SW_MINIMIZE};
    static_assert(std::size(showCommands) == 7);
    int32_t style = args.Int(2, 2);
    if (style > 6) style = 6;
    if (style < 1) style = 1;
    std::string text(args.Text(0));
    std::vector<char> commandLine(text.begin(), text.end());
    commandLine.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = showCommands[style];
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
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
