// A small program on the runtime whose scenarios the process tests start:
// each ends the process in its own way and says on standard output what ran.
#include <windows.h>
#include <cstring>
#include <string>
#include "runtime/error_report.h"
#include "runtime/facade.h"
#include "runtime/memory.h"
#include "runtime/runtime_app.h"

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
const LibraryDescriptor* const libraries[1] = {&probeLibrary};
const char* const noNames[1] = {nullptr};
const ProgramHeader header = {
    3, 0, 1, nullptr, &probeConstants, sizeof probeConstants, nullptr, 0, 1, libraries, 0, noNames, noNames,
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

std::string scenario;

void PumpForever() {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
}

int ProbeEntry() {
    const RuntimeInterface& rt = routine::rt();
    routine::CallProgramService(ProgramService::InitializeRuntime);
    App().showMessageBox = RecordBox;
    routine::CallProgramService(ProgramService::SetCleanupRoutine, reinterpret_cast<uint32_t>(&SayCleanup));

    if (scenario == "box6") rt.ReportRuntimeError(6);
    if (scenario == "box-empty") RuntimeService(2027, reinterpret_cast<uint32_t>(""), 0);
    if (scenario == "out-of-memory") rt.AllocMemory(0x7FFFFFF0);
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
    if (scenario == "worker-exit-during-shutdown")
        routine::CallProgramService(ProgramService::SetCleanupRoutine,
                                    reinterpret_cast<uint32_t>(&ExitFromWorkerDuringShutdown));
    return 0;  // "normal-exit": the exit hook runs the shutdown
}

}  // namespace

const char* const programEmptyText = probeConstants.emptyText;
const ByteSetBlock* const programEmptyByteSet = reinterpret_cast<const ByteSetBlock*>(probeConstants.emptyByteSet);

}  // namespace velmora

int main(int argc, char** argv) {
    velmora::scenario = argc > 1 ? argv[1] : "";
    velmora::RuntimeApp app(&velmora::header, velmora::ProbeEntry);
    return velmora::framework::RunApplication();
}
