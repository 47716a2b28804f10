// Start-up: from process start to a visible window, Velmora.exe beside a
// minimal Win32 program that opens one window, in the same run (median of 15).
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>
#include "tools/driver/process_control.h"

using namespace velmora::driver;

namespace {

double StartMilliseconds(const std::string& program) {
    {
        LARGE_INTEGER frequency, start, end;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&start);
        ChildProcess child("\"" + OwnDirectory() + program + "\"");
        HWND window = child.WaitForTopWindow(nullptr, nullptr, 60000);
        QueryPerformanceCounter(&end);
        if (!window) return -1;
        PostMessageA(window, WM_CLOSE, 0, 0);
        child.Wait(30000);
        return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    }
}

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main() {
    // Alternated, so a slow moment of the machine touches both alike.
    std::vector<double> minimalTimes, velmoraTimes;
    for (int round = 0; round < 15; ++round) {
        minimalTimes.push_back(StartMilliseconds("minimal_window.exe"));
        velmoraTimes.push_back(StartMilliseconds("Velmora.exe"));
    }
    double minimal = Median(minimalTimes), velmora = Median(velmoraTimes);
    std::printf("\nStart-up: process start to a visible window (median of 15, alternating)\n\n");
    std::printf("| program | ms | ratio |\n|---|---|---|\n");
    std::printf("| minimal Win32 window | %.1f | 1.00 |\n", minimal);
    std::printf("| Velmora.exe | %.1f | %.2f |\n", velmora, velmora / minimal);
    return 0;
}
