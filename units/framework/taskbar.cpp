#include "units/framework/taskbar.h"
#include <shobjidl.h>
#include <atomic>
#include <cstdio>
#include "runtime/runtime_app.h"
#include "runtime/test_settings.h"

namespace velmora {
namespace {

// Made on first use, on the window thread, and kept until the process ends;
// null when the platform has no taskbar interface.
ITaskbarList3* Taskbar() {
    static ITaskbarList3* taskbar = [] {
        ITaskbarList3* made = nullptr;
        if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                    reinterpret_cast<void**>(&made))) ||
            !made)
            return static_cast<ITaskbarList3*>(nullptr);
        if (FAILED(made->HrInit())) {
            made->Release();
            return static_cast<ITaskbarList3*>(nullptr);
        }
        return made;
    }();
    return taskbar;
}

void PlatformState(HWND window, TaskbarState state) {
    if (ITaskbarList3* taskbar = Taskbar())
        taskbar->SetProgressState(window, state == TaskbarState::Failed     ? TBPF_ERROR
                                          : state == TaskbarState::Progress ? TBPF_NORMAL
                                                                            : TBPF_NOPROGRESS);
}

void PlatformProgress(HWND window, uint32_t done, uint32_t total) {
    if (ITaskbarList3* taskbar = Taskbar()) taskbar->SetProgressValue(window, done, total);
}

void PlatformFlash(HWND window) {
    FLASHWINFO flash{sizeof flash, window, FLASHW_TRAY | FLASHW_TIMERNOFG, 0, 0};
    FlashWindowEx(&flash);
}

constexpr TaskbarCalls platformCalls{PlatformState, PlatformProgress, PlatformFlash};

// The test build may record the calls instead, one line each in
// %TEMP%\velmora-taskbar.txt, with the thread they were made on.
void Record(const char* line) {
    wchar_t path[MAX_PATH + 32];
    DWORD length = GetTempPathW(MAX_PATH, path);
    if (length == 0 || length >= MAX_PATH) return;
    lstrcatW(path, L"velmora-taskbar.txt");
    HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    char text[96];
    int written = std::snprintf(text, sizeof text, "%s %s\n", line,
                                GetCurrentThreadId() == App().mainThreadId ? "window-thread" : "other-thread");
    DWORD ignored = 0;
    if (written > 0) WriteFile(file, text, static_cast<DWORD>(written), &ignored, nullptr);
    CloseHandle(file);
}

void RecordState(HWND, TaskbarState state) {
    char line[32];
    std::snprintf(line, sizeof line, "state %d", static_cast<int>(state));
    Record(line);
}
void RecordProgress(HWND, uint32_t done, uint32_t total) {
    char line[48];
    std::snprintf(line, sizeof line, "progress %u %u", done, total);
    Record(line);
}
void RecordFlash(HWND) { Record("flash"); }

constexpr TaskbarCalls recordingCalls{RecordState, RecordProgress, RecordFlash};

std::atomic<const TaskbarCalls*> replaced{nullptr};

const TaskbarCalls& Calls() {
    if (const TaskbarCalls* calls = replaced.load()) return *calls;
    static const bool recording = TestSetting(TestSwitch::TaskbarRecord).value_or(0) != 0;
    return recording ? recordingCalls : platformCalls;
}

// In front: the window itself, or a window it owns (its message box), is the foreground.
bool InFront(HWND window) {
    HWND front = GetForegroundWindow();
    return front && (front == window || GetAncestor(front, GA_ROOTOWNER) == window);
}

}  // namespace

const TaskbarCalls* SetTaskbarCalls(const TaskbarCalls* calls) {
    return replaced.exchange(calls);
}

void ShowOnTaskbar(HWND window, TaskbarState state, uint32_t done, uint32_t total) {
    if (!window) return;
    const TaskbarCalls& calls = Calls();
    if (state == TaskbarState::Attention) {
        if (!InFront(window)) calls.flash(window);
        return;
    }
    // The state only when it changes: each call crosses to the shell.
    static HWND stateWindow = nullptr;
    static TaskbarState shownState = TaskbarState::Cleared;
    if (window != stateWindow || state != shownState || state == TaskbarState::Cleared) calls.state(window, state);
    stateWindow = window;
    shownState = state;
    // A run with nothing to fetch is complete: a full button, not an empty one.
    if (total == 0) done = total = 1;
    if (state != TaskbarState::Cleared) calls.progress(window, done, total);
}

}  // namespace velmora
