// The runtime as a process sees it: exit codes, error boxes, shutdown order.
#include <gtest/gtest.h>
#include <string>
#include "tools/driver/process_control.h"

namespace velmora {
namespace {

using driver::ChildProcess;
using driver::OwnDirectory;

struct ProbeRun {
    DWORD exitCode;
    std::string output;
};

ProbeRun RunProbe(const std::string& scenario) {
    ChildProcess probe("\"" + OwnDirectory() + "runtime_probe.exe\" " + scenario);
    EXPECT_TRUE(probe.Started());
    bool ended = probe.Wait(30000);
    EXPECT_TRUE(ended) << scenario << " did not end";
    return {ended ? probe.ExitCode() : STILL_ACTIVE, probe.Output()};
}

constexpr DWORD minusOne = 0xFFFFFFFF;
const std::string boxStyle = "[16]";  // MB_OK | MB_ICONERROR

TEST(FatalErrors, CodeSixShowsCodeAndMessageThenEndsWithMinusOne) {
    ProbeRun run = RunProbe("box6");
    EXPECT_EQ(run.exitCode, minusOne);
    EXPECT_EQ(run.output, "box[错误]" + boxStyle +
                              "运行时出错!\r\n\r\n错误代码：6\r\n\r\n错误信息：调用DLL命令后发现堆栈错误\r\n\n"
                              "notify6 main\n")
        << "the cleanup routine is forgotten; the libraries still hear the shutdown";
}

TEST(FatalErrors, EmptyMessageWithoutCodeGivesOnlyTheOpeningLine) {
    ProbeRun run = RunProbe("box-empty");
    EXPECT_EQ(run.exitCode, minusOne);
    EXPECT_EQ(run.output, "box[错误]" + boxStyle + "运行时出错!\r\n\r\n\nnotify6 main\n");
}

TEST(FatalErrors, HeapExhaustionNamesTheByteCount) {
    ProbeRun run = RunProbe("out-of-memory");
    EXPECT_EQ(run.exitCode, minusOne);
    EXPECT_NE(run.output.find("错误信息：分配 2147483632 字节内存失败!\r\n"), std::string::npos) << run.output;
}

TEST(FatalErrors, AContainerThatCannotGrowInsideACommandTakesTheSameReport) {
    SetEnvironmentVariableA("VELMORA_ALLOCATION_LIMIT", "1300000");
    ProbeRun run = RunProbe("text-command-out-of-memory");
    SetEnvironmentVariableA("VELMORA_ALLOCATION_LIMIT", nullptr);
    EXPECT_EQ(run.exitCode, minusOne) << "not std::terminate's exit code 3";
    EXPECT_NE(run.output.find("box[错误]" + boxStyle + "运行时出错!\r\n\r\n错误信息：分配 "), std::string::npos) << run.output;
    EXPECT_NE(run.output.find(" 字节内存失败!\r\n"), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("came back"), std::string::npos) << run.output;
}

TEST(FatalErrors, HookThatAnswersSuppressesTheBoxButNotTheExit) {
    ProbeRun run = RunProbe("hook");
    EXPECT_EQ(run.exitCode, minusOne);
    EXPECT_EQ(run.output, "hook 3 引用数组成员时维数不为1且不等于该数组目前所具有的维数\nnotify6 main\n");
}

TEST(FatalErrors, ErrorInsideTheHookDoesNotReenterIt) {
    ProbeRun run = RunProbe("hook-error");
    EXPECT_EQ(run.exitCode, minusOne);
    EXPECT_EQ(run.output.rfind("hook 3 ", 0), 0u) << run.output;
    EXPECT_NE(run.output.find("错误信息：inner\r\n"), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("hook 0"), std::string::npos) << run.output;
}

TEST(Shutdown, NormalEndRunsTheSequenceOnTheMainThread) {
    ProbeRun run = RunProbe("normal-exit");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.output, "cleanup main\nnotify6 main\n");
}

TEST(Shutdown, ExitFromAWorkerRunsTheStepsOnTheMainThreadWithTheWorkersCode) {
    ProbeRun run = RunProbe("worker-exit");
    EXPECT_EQ(run.exitCode, 7u);
    EXPECT_EQ(run.output, "cleanup main\nnotify6 main\n");
}

TEST(Shutdown, WorkersCodeWinsWhileTheMainThreadIsAlreadyShuttingDown) {
    ProbeRun run = RunProbe("worker-exit-during-shutdown");
    EXPECT_EQ(run.exitCode, 9u);
    EXPECT_EQ(run.output, "cleanup main\nnotify6 main\n");
}

TEST(Shutdown, AWorkerCallingDllCommandsMeanwhileNeitherFailsNorCrashes) {
    // The tables go at shutdown: a worker still calling must wait, not find them gone.
    for (int i = 0; i < 5; ++i) {
        ProbeRun run = RunProbe("dll-calls-during-shutdown");
        EXPECT_EQ(run.exitCode, 0u);
        EXPECT_EQ(run.output, "cleanup main\nnotify6 main\n");
    }
}

TEST(Shutdown, AWorkerInsideALockTheCleanupNeedsFinishesItsDllCallsAndLetsGo) {
    ProbeRun run = RunProbe("dll-calls-inside-a-lock-the-cleanup-needs");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.output, "cleanup got the lock main\nnotify6 main\n");
}

TEST(Shutdown, AWorkerThatEndsTheProgramWhileTheCleanupWaitsForItsLockEndsItAllTheSame) {
    ProbeRun run = RunProbe("worker-exit-holding-a-lock-the-cleanup-needs");
    EXPECT_EQ(run.exitCode, 5u);
    EXPECT_EQ(run.output, "") << "the cleanup never got the lock; the process ended with the worker's code";
}

std::string BoxOf(const std::string& message, int code = 0) {
    std::string text = "box[错误]" + boxStyle + "运行时出错!\r\n\r\n";
    if (code) text += "错误代码：" + std::to_string(code) + "\r\n\r\n";
    return text + "错误信息：" + message + "\r\n\nnotify6 main\n";
}

TEST(DllCommandFailures, WrongArgumentListIsRuntimeErrorSix) {
    ProbeRun run = RunProbe("dll-stack");
    EXPECT_EQ(run.exitCode, minusOne);
    EXPECT_EQ(run.output, BoxOf("调用DLL命令后发现堆栈错误", 6));
}

TEST(DllCommandFailures, MissingExportOrLibraryNamesBoth) {
    ProbeRun run = RunProbe("dll-missing-export");
    EXPECT_EQ(run.exitCode, minusOne);
    EXPECT_EQ(run.output, BoxOf("无法找到指定DLL库文件“dll_probe.dll”中的输出命令“NoSuchExport”"));
    run = RunProbe("dll-missing-library");
    EXPECT_EQ(run.exitCode, minusOne);
    EXPECT_EQ(run.output, BoxOf("无法找到指定DLL库文件“no_such_library.dll”中的输出命令“Anything”"));
    run = RunProbe("dll-missing-system");
    EXPECT_EQ(run.exitCode, minusOne);
    EXPECT_EQ(run.output, BoxOf("无法找到指定DLL库文件中的输出命令“NoSuchExportAnywhere”"));
}

// Calls that damaged or compiled-wrong code could make: a clear refusal, never a jump or a write outside a block.
TEST(DamagedCalls, AreRefusedClearly) {
    const struct {
        const char* scenario;
        DWORD exitCode;
        std::string output;
    } rows[] = {
        {"resize-overflow", minusOne, BoxOf("“重定义数组”命令的数组维定义参数值必须大于零或单维时大于等于零", 10)},
        {"service-out-of-range", 0, "service 7 0\nservice -1 0\nservice 2147483647 0\ncleanup main\nnotify6 main\n"},
    };
    for (const auto& row : rows) {
        ProbeRun run = RunProbe(row.scenario);
        EXPECT_EQ(run.exitCode, row.exitCode) << row.scenario;
        EXPECT_EQ(run.output, row.output) << row.scenario;
    }
}

TEST(ConversionService, AnythingButANumberIsFatal) {
    for (const char* scenario : {"convert-text", "convert-integer-array", "convert-no-record"}) {
        ProbeRun run = RunProbe(scenario);
        EXPECT_EQ(run.exitCode, minusOne) << scenario;
        EXPECT_EQ(run.output, BoxOf("欲转换数据类型不是数值")) << scenario;
    }
}

TEST(FormTemplateFailures, NoTemplateMeansNoStartupWindow) {
    ProbeRun run = RunProbe("startup-window");
    EXPECT_EQ(run.exitCode, minusOne);
    EXPECT_EQ(run.output, BoxOf("载入启动窗口失败"));
}

TEST(FormTemplateFailures, AnUnreadableTemplateStopsTheStart) {
    ProbeRun run = RunProbe("damaged-template");
    EXPECT_EQ(run.exitCode, minusOne);
    EXPECT_EQ(run.output.find("box[错误][16]运行时出错!\r\n\r\n错误信息：载入窗口模板数据段出错!\r\n\n"), 0u) << run.output;
}

TEST(RealBox, AFatalErrorWaitsForTheUserAndEndsWithMinusOne) {
    ChildProcess probe("\"" + OwnDirectory() + "runtime_probe.exe\" real-box");
    ASSERT_TRUE(probe.Started());
    HWND box = probe.WaitForTopWindow("#32770", "错误", 60000);
    ASSERT_NE(box, nullptr) << "no error box appeared";
    EXPECT_EQ(driver::MessageBoxText(box), "运行时出错!\r\n\r\n错误代码：6\r\n\r\n错误信息：调用DLL命令后发现堆栈错误\r\n");
    EXPECT_FALSE(probe.Wait(300)) << "the box waits for the user";
    driver::PressDialogButton(box, IDOK);
    ASSERT_TRUE(probe.Wait(30000));
    EXPECT_EQ(probe.ExitCode(), minusOne);
}

TEST(RealBox, MemoryRefusedBeforeTheRuntimeExistsStillGivesTheBoxAndMinusOne) {
    // The scenario's long name is the first allocation, made before the runtime object.
    SetEnvironmentVariableA("VELMORA_ALLOCATION_LIMIT", "1");
    ChildProcess probe("\"" + OwnDirectory() + "runtime_probe.exe\" a-scenario-name-longer-than-any-short-string");
    SetEnvironmentVariableA("VELMORA_ALLOCATION_LIMIT", nullptr);
    ASSERT_TRUE(probe.Started());
    HWND box = probe.WaitForTopWindow("#32770", "错误", 60000);
    ASSERT_NE(box, nullptr) << "no error box appeared (a crash?)";
    EXPECT_NE(driver::MessageBoxText(box).find("字节内存失败!"), std::string::npos);
    driver::PressDialogButton(box, IDOK);
    ASSERT_TRUE(probe.Wait(30000));
    EXPECT_EQ(probe.ExitCode(), minusOne);
}

TEST(RealProgram, TheWindowAppearsAndClosingItEndsWithZero) {
    ChildProcess velmora("\"" + OwnDirectory() + "Velmora.exe\"");
    ASSERT_TRUE(velmora.Started());
    HWND window = velmora.WaitForTopWindow("KVWindow", "Velmora", 60000);
    ASSERT_NE(window, nullptr) << "no window appeared";
    PostMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(velmora.Wait(30000));
    EXPECT_EQ(velmora.ExitCode(), 0u);
}

}  // namespace
}  // namespace velmora
