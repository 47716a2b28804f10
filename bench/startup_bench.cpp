// Start-up: from process start to a visible window, Velmora.exe beside a
// minimal Win32 program that opens one window, in the same run (median of 7).
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>
#include "tools/driver/process_control.h"

using namespace velmora::driver;

namespace {

double MedianMilliseconds(const std::string& program) {
    std::vector<double> times;
    for (int run = 0; run < 7; ++run) {
        LARGE_INTEGER frequency, start, end;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&start);
        ChildProcess child("\"" + OwnDirectory() + program + "\"");
        HWND window = child.WaitForTopWindow(nullptr, nullptr, 60000);
        QueryPerformanceCounter(&end);
        if (!window) return -1;
        times.push_back(1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart));
        PostMessageA(window, WM_CLOSE, 0, 0);
        child.Wait(30000);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main() {
    double minimal = MedianMilliseconds("minimal_window.exe");
    double velmora = MedianMilliseconds("Velmora.exe");
    std::printf("\nStart-up: process start to a visible window (median of 7)\n\n");
    std::printf("| program | ms | ratio |\n|---|---|---|\n");
    std::printf("| minimal Win32 window | %.1f | 1.00 |\n", minimal);
    std::printf("| Velmora.exe | %.1f | %.2f |\n", velmora, velmora / minimal);
    return 0;
}
