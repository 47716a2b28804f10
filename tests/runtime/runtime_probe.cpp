// A small program on the runtime whose scenarios the process tests start:
// each ends the process in its own way and says on standard output what ran.
#include <windows.h>
#include <cstring>
#include <string>
#include "commands/core_commands.h"
#include "commands/core_library.h"
#include "runtime/error_report.h"
#include "runtime/facade.h"
#include "runtime/facade_arrays.h"
#include "runtime/memory.h"
#include "runtime/message_box.h"
#include "runtime/runtime_app.h"
#include "runtime/runtime_services.h"

namespace velmora {
namespace {

struct ProbeConstants {
    uint32_t emptyByteSet[2];
    char emptyText[4];
};
const ProbeConstants probeConstants = {{1, 0}, ""};

void Say(const std::string& line) {
    std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

const char* ThreadName() { return GetCurrentThreadId() == App().mainThreadId ? "main" : "worker"; }

int32_t ProbeNotify(int32_t code, uint32_t, uint32_t) {
    if (code == NotifyShutdown) Say(std::string("notify6 ") + ThreadName());
    return code == NotifyStartup || code == NotifyShutdown ? 0 : -1;
}

const LibraryDescriptor probeLibrary = {LibrarySignature, "00000000000000000000000000000001", "probe", 0,
                                        nullptr,          0,  nullptr, ProbeNotify};
const LibraryDescriptor* const libraries[2] = {&probeLibrary, &coreLibrary};
const char* const dllLibraries[5] = {"dll_probe.dll", "dll_probe.dll", "no_such_library.dll", "", ""};
const char* const dllFunctions[5] = {"CdeclAdd", "NoSuchExport", "Anything", "NoSuchExportAnywhere", "GetTickCount"};
const ProgramHeader header = {
    3, 0, 1, nullptr, &probeConstants, sizeof probeConstants, nullptr, 0, 2, libraries, 5, dllLibraries, dllFunctions,
};

// A form template whose window map claims more bytes than the block holds.
const uint8_t damagedTemplate[8] = {0xF0, 0, 0, 0, 1, 0, 1, 0x52};
const ProgramHeader damagedHeader = {
    3, 0, 1, nullptr, &probeConstants, sizeof probeConstants, damagedTemplate, sizeof damagedTemplate, 2, libraries,
    5, dllLibraries, dllFunctions,
};

int WINAPI RecordBox(HWND, LPCSTR text, LPCSTR caption, UINT style) {
    Say(std::string("box[") + caption + "][" + std::to_string(style) + "]" + text);
    return IDOK;
}

void SayCleanup() { Say(std::string("cleanup ") + ThreadName()); }

DWORD WINAPI ExitFromWorker(void* code) {
    routine::rt().ExitProgram(static_cast<int32_t>(reinterpret_cast<intptr_t>(code)));
    Say("worker went on after ExitProgram");
    return 0;
}

void ExitFromWorkerDuringShutdown() {
    SayCleanup();
    CloseHandle(CreateThread(nullptr, 0, ExitFromWorker, reinterpret_cast<void*>(9), 0, nullptr));
    Sleep(500);  // the worker now waits on the main thread, which is busy shutting down
}

// A worker that calls DLL commands for as long as the process lives.
DWORD WINAPI CallDllCommandsForever(void*) {
    for (;;) routine::rt().CallDllCommand(4, nullptr, 0);
}

// A worker holds a lock the cleanup routine needs and makes DLL calls
// inside it once the shutdown has begun: it must be able to finish them and
// let go, or the shutdown waits for ever.
CRITICAL_SECTION heldByWorker;
HANDLE workerHoldsLock = nullptr;

DWORD WINAPI CallDllCommandsInsideTheLock(void*) {
    EnterCriticalSection(&heldByWorker);
    SetEvent(workerHoldsLock);
    while (!App().exiting) Sleep(1);
    for (int i = 0; i < 20; ++i) {
        routine::rt().CallDllCommand(4, nullptr, 0);
        Sleep(5);
    }
    LeaveCriticalSection(&heldByWorker);
    return 0;
}

void CleanupThatNeedsTheWorkersLock() {
    EnterCriticalSection(&heldByWorker);
    Say(std::string("cleanup got the lock ") + ThreadName());
    LeaveCriticalSection(&heldByWorker);
}

// The worker that holds the lock ends the program while the main thread's
// cleanup waits for that lock: the exit must not wait for ever.
DWORD WINAPI ExitWhileHoldingTheLock(void*) {
    EnterCriticalSection(&heldByWorker);
    SetEvent(workerHoldsLock);
    while (!App().exiting) Sleep(1);
    Sleep(50);  // the cleanup is now waiting for the lock
    routine::rt().ExitProgram(5);
    return 0;
}

// Starts the worker, lets it take the lock, and registers a cleanup routine that needs it.
void CleanupWaitsForAWorkersLock(LPTHREAD_START_ROUTINE worker) {
    InitializeCriticalSection(&heldByWorker);
    workerHoldsLock = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    CloseHandle(CreateThread(nullptr, 0, worker, nullptr, 0, nullptr));
    WaitForSingleObject(workerHoldsLock, INFINITE);
    routine::CallProgramService(ProgramService::SetCleanupRoutine,
                                reinterpret_cast<uint32_t>(&CleanupThatNeedsTheWorkersLock));
}

std::string scenario;
std::string scenarioArgument;

// Records how this process was asked to show its window, for RunProgram's tests.
void WriteStartupInfo() {
    STARTUPINFOA startup{};
    GetStartupInfoA(&startup);
    std::string text = std::to_string(startup.dwFlags & STARTF_USESHOWWINDOW) + " " + std::to_string(startup.wShowWindow);
    HANDLE file = CreateFileA(scenarioArgument.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

void PumpForever() {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
}

int ProbeEntry() {
    const RuntimeInterface& rt = routine::rt();
    if (scenario != "real-box") SetMessageBoxFunction(RecordBox);
    routine::CallProgramService(ProgramService::InitializeRuntime);
    routine::CallProgramService(ProgramService::SetCleanupRoutine, reinterpret_cast<uint32_t>(&SayCleanup));

    if (scenario == "box6" || scenario == "real-box") rt.ReportRuntimeError(6);
    if (scenario == "box-empty") RuntimeService(Service::Fatal, reinterpret_cast<uint32_t>(""), 0);
    if (scenario == "out-of-memory") rt.AllocMemory(0x7FFFFFF0);
    if (scenario == "text-command-out-of-memory") {
        // Run with a test allocation limit of 1.3 MB: the command's own buffer
        // doubles past it (to 1.35 MB) while the text and the 1.2 MB result fit.
        constexpr uint32_t length = 600000;
        auto* text = static_cast<char*>(rt.AllocMemory(length + 1));
        std::memset(text, 'a', length);
        text[length] = '\0';
        ValueRecord arguments[6] = {{reinterpret_cast<uint32_t>(text), 0, Type::Text},
                                    {reinterpret_cast<uint32_t>("a"), 0, Type::Text},
                                    {reinterpret_cast<uint32_t>("bb"), 0, Type::Text},
                                    {}, {}, {1, 0, Type::Logical}};
        rt.CallCoreCommand(CoreCommand(CmdReplaceSubtext), 6, arguments);
        Say("the command came back");
    }
    if (scenario == "hook" || scenario == "hook-error") {
        App().errorHandler = [](int32_t code, const char* message) -> int32_t {
            Say("hook " + std::to_string(code) + " " + message);
            if (scenario == "hook-error") ReportFatalError("inner", 0);
            return 1;
        };
        rt.ReportRuntimeError(3);
    }
    if (scenario == "worker-exit") {
        CloseHandle(CreateThread(nullptr, 0, ExitFromWorker, reinterpret_cast<void*>(7), 0, nullptr));
        PumpForever();
    }
    const uint32_t twoWords[2] = {1, 2};
    if (scenario == "dll-stack") rt.CallDllCommand(0, twoWords, 2);
    if (scenario == "dll-missing-export") rt.CallDllCommand(1, twoWords, 2);
    if (scenario == "dll-missing-library") rt.CallDllCommand(2, twoWords, 2);
    if (scenario == "dll-missing-system") rt.CallDllCommand(3, twoWords, 2);
    if (scenario == "convert-text" || scenario == "convert-integer-array") {
        ValueRecord value = scenario == "convert-text" ? ValueRecord{reinterpret_cast<uint32_t>("12"), 0, Type::Text}
                                                       : ValueRecord{0, 0, Type::Integer | Type::ArrayBit};
        Say("converted " + std::to_string(RuntimeService(Service::ToInteger, reinterpret_cast<uint32_t>(&value), 0)));
    }
    if (scenario == "convert-no-record") Say("converted " + std::to_string(RuntimeService(Service::ToInteger, 0, 0)));
    if (scenario == "resize-overflow") {
        routine::IntArray words;
        words.Resize(0x40000000);  // 8 + 4 * 2^30 bytes wraps to 8 in 32 bits
        Say("resized to " + std::to_string(words.Count()));
    }
    if (scenario == "service-out-of-range")
        for (int32_t service : {7, -1, 0x7FFFFFFF})
            Say("service " + std::to_string(service) + " " + std::to_string(routine::CallProgramService(service)));
    if (scenario == "startup-info") WriteStartupInfo();
    if (scenario == "startup-window") rt.LoadStartupWindow(0x52010001);
    if (scenario == "dll-calls-during-shutdown") {
        CloseHandle(CreateThread(nullptr, 0, CallDllCommandsForever, nullptr, 0, nullptr));
        Sleep(50);
    }
    if (scenario == "dll-calls-inside-a-lock-the-cleanup-needs")
        CleanupWaitsForAWorkersLock(CallDllCommandsInsideTheLock);
    if (scenario == "worker-exit-holding-a-lock-the-cleanup-needs")
        CleanupWaitsForAWorkersLock(ExitWhileHoldingTheLock);
    if (scenario == "worker-exit-during-shutdown")
        routine::CallProgramService(ProgramService::SetCleanupRoutine,
                                    reinterpret_cast<uint32_t>(&ExitFromWorkerDuringShutdown));
    return 0;  // "normal-exit": the exit hook runs the shutdown
}

}  // namespace

extern const char* const programEmptyText;
const char* const programEmptyText = probeConstants.emptyText;
extern const ByteSetBlock* const programEmptyByteSet;
const ByteSetBlock* const programEmptyByteSet = reinterpret_cast<const ByteSetBlock*>(probeConstants.emptyByteSet);

}  // namespace velmora

int main(int argc, char** argv) {
    velmora::scenario = argc > 1 ? argv[1] : "";
    velmora::scenarioArgument = argc > 2 ? argv[2] : "";
    velmora::RuntimeApp app(velmora::scenario == "damaged-template" ? &velmora::damagedHeader : &velmora::header,
                            velmora::ProbeEntry);
    return velmora::framework::RunApplication();
}
