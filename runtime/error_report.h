// Fatal error reporting: one box, then the process ends with -1.
#pragma once
#include <cstdint>
#include <string>

namespace velmora {

// Shows the error box (unless the error handler hook takes it) and ends the
// process through ExitProgram(-1). Never returns, on any thread.
[[noreturn]] void ReportFatalError(const char* message, int32_t code);
// The numbered runtime errors 1-11.
[[noreturn]] void ReportRuntimeError(int32_t code);

// The text of the error box for a message and a code (0 = no code line).
std::string ErrorBoxText(const char* message, int32_t code);

// Fatal messages raised by the runtime itself (reported with code 0).
namespace FatalMessage {
constexpr const char* OutOfMemory = "分配 %u 字节内存失败!";
constexpr const char* StartupWindow = "载入启动窗口失败";
constexpr const char* FormTemplate = "载入窗口模板数据段出错!";
constexpr const char* NotNumeric = "欲转换数据类型不是数值";
constexpr const char* NoSuchUnit = "指定窗口或窗口组件不存在或尚未载入";
constexpr const char* WindowNotLoaded = "指定窗口尚未载入";
constexpr const char* UnitWindowNotLoaded = "未载入欲访问窗口组件所在的窗口";
constexpr const char* EventWindowUnknown = "未找到引发事件的窗口";
constexpr const char* EventUnitUnknown = "未找到引发事件的窗口组件";
constexpr const char* EventUnitInvalid = "引发事件的窗口组件无效";
constexpr const char* DllExportInLibrary = "无法找到指定DLL库文件“%s”中的输出命令“%s”";
constexpr const char* DllExport = "无法找到指定DLL库文件中的输出命令“%s”";
}  // namespace FatalMessage

constexpr int32_t RuntimeErrorDllStack = 6;
constexpr int32_t RuntimeErrorRedimension = 10;

}  // namespace velmora
