// The message loop: idle hooks and the rule that ends it.
#include <gtest/gtest.h>
#include <windows.h>
#include <memory>
#include "runtime/message_loop.h"
#include "runtime/runtime_app.h"
#include "units/framework/window_map.h"

namespace velmora {
namespace {

constexpr uint32_t windowId = 0x52010009;

LRESULT CALLBACK ProgramWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCDESTROY) OnProgramWindowDestroyed(windowId);
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND OpenProgramWindow() {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = ProgramWindowProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "LoopTestWindow";
        RegisterClassA(&windowClass);
        registered = true;
    }
    HWND window = CreateWindowExA(0, "LoopTestWindow", "", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    WindowMap& map = ProgramWindows();
    if (!map.Find(windowId)) map.Add(windowId, std::make_unique<WindowTemplate>());
    map.Find(windowId)->window = window;
    return window;
}

bool QuitMessageQueued() {
    MSG message;
    return PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
}

HWND closingWindow = nullptr;
int liveHookCalls = 0;
int deadHookCalls = 0;

void CloseOnFirstIdle(uint32_t) {
    if (liveHookCalls++ == 0) PostMessageA(closingWindow, WM_CLOSE, 0, 0);
}
void CountDeadHook(uint32_t) { ++deadHookCalls; }

TEST(MessageLoop, LastWindowClosingEndsOnlyAnEnteredLoop) {
    RuntimeApp& app = App();
    app.loopEntered = false;

    HWND early = OpenProgramWindow();
    DestroyWindow(early);
    EXPECT_FALSE(AnyProgramWindowOpen());
    EXPECT_FALSE(QuitMessageQueued()) << "a window closed before the loop must not post quit";

    RunMessageLoop();  // no window open: returns at once
    EXPECT_TRUE(app.loopEntered);

    closingWindow = OpenProgramWindow();
    HWND gone = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(gone);
    AddIdleHook(gone, CountDeadHook, 0);
    AddIdleHook(closingWindow, CloseOnFirstIdle, 0);
    RunMessageLoop();  // returns on the quit message posted by the window's clean-up

    EXPECT_FALSE(IsWindow(closingWindow));
    EXPECT_GE(liveHookCalls, 1);
    EXPECT_EQ(deadHookCalls, 0);
    ASSERT_EQ(IdleHookCount(), 1u) << "the hook of the destroyed window is dropped";
    ClearIdleHooks();
    ProgramWindows().Clear();
}

}  // namespace
}  // namespace velmora
