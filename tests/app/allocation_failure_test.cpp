// The Nth allocation of the runtime heap refused, for N across a whole short
// session (start, one run of two pictures, close): every refusal must end in
// the fatal report and exit code -1, or, past the session's last allocation,
// in a normal end; never a crash or a hang.
//   VELMORA_ALLOCATION_STRIDE  test every Nth allocation (default 8; 1 tests each)
#include <gtest/gtest.h>
#include "tests/app/app_test_support.h"

namespace velmora::testing {
namespace {

enum class End { FatalReport, Normal, Other };

struct Ending {
    End end;
    std::string detail;
};

Ending SessionFailingAt(int n) {
    ScopedEnvironment failing("VELMORA_FAIL_ALLOCATION", std::to_string(n));
    driver::ChildProcess child("\"" + ProgramUnderTest() + "\"");
    HWND window = nullptr;
    bool closed = false;
    for (DWORD start = GetTickCount(); GetTickCount() - start < 60000; Sleep(10)) {
        if (HWND box = child.FindTopWindow("#32770", "错误")) {
            std::string text = driver::MessageBoxText(box);
            driver::PressDialogButton(box, IDOK);
            if (!child.Wait(20000)) return {End::Other, "hung after the error box: " + text};
            if (child.ExitCode() != 0xFFFFFFFFu || text.find("字节内存失败!") == std::string::npos)
                return {End::Other, "exit " + std::to_string(child.ExitCode()) + ": " + driver::GbkToUtf8(text)};
            return {End::FatalReport, ""};
        }
        if (child.Wait(0)) {
            if (closed && child.ExitCode() == 0) return {End::Normal, ""};
            return {End::Other, "ended on its own with " + std::to_string(child.ExitCode())};
        }
        if (!window && (window = child.FindTopWindow(nullptr, "Velmora"))) {
            driver::VelmoraUnits units = driver::FindUnits(window);
            if (!units.startButton) return {End::Other, "the window has no start button"};
            driver::Click(units.startButton);
        }
        if (HWND done = window ? child.FindTopWindow("#32770", "提示") : nullptr; done && !closed) {
            driver::PressDialogButton(done, IDOK);
            PostMessageA(window, WM_CLOSE, 0, 0);
            closed = true;
        }
    }
    child.Kill();
    return {End::Other, "hung"};
}

class AllocationFailure : public ::testing::TestWithParam<int> {};

TEST_P(AllocationFailure, EndsInTheFatalReportNeverInACrashOrAHang) {
    const char* setting = std::getenv("VELMORA_ALLOCATION_STRIDE");
    const int stride = setting ? std::max(1, std::atoi(setting)) : 8;
    if (GetParam() >= stride) GTEST_SKIP() << "covered by a smaller phase";
    std::string page = "<html>" + Entry("One", "{{BASE}}/r?size=3000&seed=1&x=.jpg") +
                       Entry("Two", "{{BASE}}/r?size=4000&seed=2&x=.jpg") + "</html>";
    UseGallery(PutPage("alloc", page));
    int fatal = 0, normal = 0, n = 1 + GetParam();
    // Past the session's last allocation every session ends normally: three in a row end the sweep.
    for (int normalInARow = 0; normalInARow < 3 && n < 20000; n += stride) {
        ClearPictures();
        Ending ending = SessionFailingAt(n);
        ASSERT_NE(ending.end, End::Other) << "allocation " << n << ": " << ending.detail;
        if (ending.end == End::FatalReport) {
            ++fatal;
            normalInARow = 0;
        } else {
            ++normal;
            ++normalInARow;
        }
    }
    std::printf("allocations %d..%d step %d: %d fatal reports, %d normal ends\n", 1 + GetParam(), n - stride, stride,
                fatal, normal);
    EXPECT_GT(fatal, 0);
}

INSTANTIATE_TEST_SUITE_P(Phases, AllocationFailure, ::testing::Range(0, 8));

}  // namespace
}  // namespace velmora::testing
