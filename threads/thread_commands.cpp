#include "threads/thread_commands.h"
#include <windows.h>
#include <atomic>
#include <new>
#include "commands/command_args.h"
#include "threads/section_registry.h"

namespace velmora::threads {
namespace {

using commands::Args;

std::atomic<int32_t> runningThreads{0};

struct ThreadStart {
    ThreadRoutine routine;
    int32_t argument;
};

// Counts the thread while its routine runs, so the shutdown knows whether
// sections may still be in use.
DWORD WINAPI RunRoutine(void* parameter) {
    ThreadStart start = *static_cast<ThreadStart*>(parameter);
    delete static_cast<ThreadStart*>(parameter);
    start.routine(start.argument);
    --runningThreads;
    return 0;
}

}  // namespace

int32_t RunningThreads() { return runningThreads.load(); }

void StartThread(ValueRecord* result, int32_t count, ValueRecord* arguments) {
    Args args(count, arguments);
    auto* start = new (std::nothrow) ThreadStart{reinterpret_cast<ThreadRoutine>(args[0].low), args.Int(1, 0)};
    HANDLE thread = nullptr;
    if (start && start->routine) {
        ++runningThreads;
        thread = CreateThread(nullptr, 0, RunRoutine, start, 0, nullptr);
        if (!thread) {
            --runningThreads;
            delete start;
        }
    } else {
        delete start;
    }
    commands::SetBool(result, thread != nullptr);
    if (args.Given(2) && args[2].low != 0) {
        *reinterpret_cast<int32_t*>(args[2].low) = reinterpret_cast<int32_t>(thread);
    } else if (thread) {
        CloseHandle(thread);  // runs on unattached
    }
}

void WaitForThread(ValueRecord* result, int32_t count, ValueRecord* arguments) {
    Args args(count, arguments);
    DWORD timeout = args.Given(1) && args.Int(1) >= 0 ? static_cast<DWORD>(args.Int(1)) : INFINITE;
    auto thread = reinterpret_cast<HANDLE>(args[0].low);
    commands::SetBool(result, WaitForSingleObject(thread, timeout) != WAIT_FAILED);
}

void CreateCriticalSection(ValueRecord* result, int32_t, ValueRecord*) {
    result->low = reinterpret_cast<uint32_t>(CreateSection());
}

void EnterSection(ValueRecord*, int32_t count, ValueRecord* arguments) {
    if (SectionRecord* record = FindSection(Args(count, arguments)[0].low)) EnterCriticalSection(&record->section);
}

void LeaveSection(ValueRecord*, int32_t count, ValueRecord* arguments) {
    if (SectionRecord* record = FindSection(Args(count, arguments)[0].low)) LeaveCriticalSection(&record->section);
}

}  // namespace velmora::threads
