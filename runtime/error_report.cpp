#include "runtime/error_report.h"
#include <windows.h>
#include <cstdio>
#include <iterator>
#include "runtime/message_box.h"
#include "runtime/runtime_app.h"
#include "units/framework/unit_events.h"

namespace velmora {
namespace {

constexpr const char* runtimeErrors[] = {
    "",
    "数组成员引用下标超出定义范围",
    "未得到所需要的数值型数据",
    "引用数组成员时维数不为1且不等于该数组目前所具有的维数",
    "数组成员引用下标必须大于等于1",
    "数据或数组类型不匹配",
    "调用DLL命令后发现堆栈错误",
    "子语句参数未返回数据或者返回了非系统基本类型或数组型数据",
    "被比较数据只能使用等于或不等于命令比较",
    "“多项选择”命令的索引值参数小于零或超出了所提供参数表范围",
    "“重定义数组”命令的数组维定义参数值必须大于零或单维时大于等于零",
    "所提供参数的数据类型不符合要求",
};

static_assert(std::size(runtimeErrors) == 12);

// A plain flag, not a lock: it only keeps an error inside the hook from re-entering it.
bool hookInProgress = false;

constexpr size_t boxTextRoom = 2048;

// The box text in a buffer of the caller's: the report must not need the
// heap, which may be what has run out. A message too long for it is cut.
void FormatErrorBox(char* out, size_t room, const char* message, int32_t code) {
    int used = std::snprintf(out, room, "运行时出错!\r\n\r\n");
    if (code != 0 && used >= 0 && static_cast<size_t>(used) < room)
        used += std::snprintf(out + used, room - static_cast<size_t>(used), "错误代码：%d\r\n\r\n", code);
    if (message && *message && used >= 0 && static_cast<size_t>(used) < room)
        std::snprintf(out + used, room - static_cast<size_t>(used), "错误信息：%s\r\n", message);
}

}  // namespace

std::string ErrorBoxText(const char* message, int32_t code) {
    char text[boxTextRoom];
    FormatErrorBox(text, sizeof text, message, code);
    return text;
}

void ReportFatalError(const char* message, int32_t code) {
    if (!AppIfCreated()) {
        // Before the runtime exists (a static initialiser ran out of memory)
        // there is nothing to shut down: the box, then the end.
        char text[boxTextRoom];
        FormatErrorBox(text, sizeof text, message, code);
        ShowMessageBox(text, "错误", MB_OK | MB_ICONERROR);
        ExitProcess(static_cast<UINT>(-1));
    }
    RuntimeApp& app = App();
    HoldEvents();
    bool handled = false;
    if (app.errorHandler && !hookInProgress) {
        hookInProgress = true;
        handled = app.errorHandler(code, message ? message : "") != 0;
        hookInProgress = false;
    }
    if (!handled) {
        char text[boxTextRoom];
        FormatErrorBox(text, sizeof text, message, code);
        ShowMessageBox(text, "错误", MB_OK | MB_ICONERROR);
    }
    if (app.runMode == static_cast<uint32_t>(RunModeDebugger)) DebugBreak();
    app.cleanupRoutine = nullptr;
    ExitProgram(-1);
}

void ReportRuntimeError(int32_t code) {
    // Only codes 1-11 exist; anything else reports the bare code.
    const char* message = (code >= 1 && code <= 11) ? runtimeErrors[code] : "";
    ReportFatalError(message, code);
}

}  // namespace velmora
