// Start-up: from process start to a visible window, Velmora.exe beside a
// minimal Win32 program that opens one window and beside the same window as
// Velmora's made of bare platform calls, in the same run (medians of 15).
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
    const char* programs[] = {"minimal_window.exe", "platform_window.exe", "Velmora.exe"};
    const char* names[] = {"minimal Win32 window", "the same window from bare platform calls", "Velmora.exe"};
    constexpr int count = 3, rounds = 15;
    // Alternated, so a slow moment of the machine touches all alike; each
    // round's time is also taken against the minimal program's of that round.
    std::vector<double> times[count], paired[count];
    for (int round = 0; round < rounds; ++round) {
        double minimal = 0;
        for (int i = 0; i < count; ++i) {
            double time = StartMilliseconds(programs[i]);
            if (i == 0) minimal = time;
            times[i].push_back(time);
            if (time > 0 && minimal > 0) paired[i].push_back(time / minimal);
        }
    }
    double minimal = Median(times[0]);
    std::printf("\nStart-up: process start to a visible window (medians of %d, alternating)\n\n", rounds);
    std::printf("| program | ms | ratio of medians | median of paired ratios |\n|---|---|---|---|\n");
    for (int i = 0; i < count; ++i)
        std::printf("| %s | %.1f | %.2f | %.2f |\n", names[i], Median(times[i]), Median(times[i]) / minimal,
                    paired[i].empty() ? 0.0 : Median(paired[i]));
    return 0;
}
