// Memory: the runtime heap's live blocks and bytes before the first run and
// after each of five runs of DownloadAll in one process, against the sample
// gallery. Needs VELMORA_HEAP_STATISTICS (set by scripts/bench).
#include <windows.h>
#include <cstdio>
#include <memory>
#include "app/downloader.h"
#include "program/program_header.h"
#include "runtime/memory.h"
#include "runtime/message_box.h"
#include "runtime/runtime_app.h"
#include "threads/thread_calls.h"
#include "units/framework/window_creation.h"
#include "units/framework/window_map.h"

using namespace velmora;

namespace {

int WINAPI CloseAtOnce(HWND, LPCSTR, LPCSTR, UINT) { return IDOK; }

void RunOnce() {
    int32_t handle = 0;
    routine::StartThread(app::DownloadAll, {}, &handle);
    HANDLE thread = reinterpret_cast<HANDLE>(handle);
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    }
    CloseHandle(thread);
}

}  // namespace

int main() {
    RuntimeApp app(&program::header, nullptr);
    InitializeRuntime();
    SetMessageBoxFunction(CloseAtOnce);
    CreateWindowFromTemplate(*ProgramWindows().Find(program::MainWindowId), false, nullptr);
    app::fileSection = routine::CreateCriticalSection();  // as the program's start-up makes it
    HeapStatistics before = RuntimeHeapStatistics();
    std::printf("\nMemory: the runtime heap around five runs in one process (sample gallery, 24 pictures)\n\n");
    std::printf("| after | live blocks | live bytes | growth bytes | allocations |\n|---|---|---|---|---|\n");
    std::printf("| start | %lld | %lld | - | %lld |\n", static_cast<long long>(before.liveBlocks),
                static_cast<long long>(before.liveBytes), static_cast<long long>(before.allocations));
    HeapStatistics previous = before;
    for (int run = 1; run <= 5; ++run) {
        RunOnce();
        HeapStatistics now = RuntimeHeapStatistics();
        std::printf("| run %d | %lld | %lld | %lld | %lld |\n", run, static_cast<long long>(now.liveBlocks),
                    static_cast<long long>(now.liveBytes), static_cast<long long>(now.liveBytes - previous.liveBytes),
                    static_cast<long long>(now.allocations));
        previous = now;
    }
    DestroyWindow(ProgramWindows().Find(program::MainWindowId)->window);
    std::printf("\nEach run keeps its two critical sections registered until the program ends (those of the\n"
                "batch model; the one that guards temporary files is made once); log lines live in the list box.\n");
    return 0;
}
