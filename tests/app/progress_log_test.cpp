// The progress log's lines, on the program's real window in this process.
#include <gtest/gtest.h>
#include "app/downloader.h"
#include "tests/units/window_test_support.h"
#include "threads/thread_calls.h"
#include "units/list_box_unit.h"

namespace velmora::testing {
namespace {

WNDPROC listProcedure = nullptr;

// A list box short of memory refuses the insert.
LRESULT CALLBACK RefusingInserts(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == LB_INSERTSTRING) return LB_ERRSPACE;
    return CallWindowProcA(listProcedure, window, message, wParam, lParam);
}

TEST(ProgressLog, ALineTheListBoxRefusedHasNoIndexAndItsReplacementTouchesNoOtherLine) {
    OpenMainWindow();
    HWND list = UnitHandle(listId);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    app::logSection = routine::CreateCriticalSection();
    EXPECT_EQ(app::AppendLogLine(routine::Join("正在下载：A")), 0);

    listProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RefusingInserts)));
    int32_t refused = app::AppendLogLine(routine::Join("正在下载：B"));
    SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(listProcedure));
    EXPECT_EQ(refused, -1);

    int32_t next = app::AppendLogLine(routine::Join("正在下载：C"));
    app::ReplaceLogLine(refused, routine::Join("下载完成：B"));
    EXPECT_EQ(ListItemText(list, next), "正在下载：C") << "B's replacement landed on the next worker's line";
    EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 2);
}

}  // namespace
}  // namespace velmora::testing
