// Start-up: from process start to a visible window, Velmora.exe beside a
// minimal Win32 program that opens one window and beside the same window as
// Velmora's made of bare platform calls, interleaved in one run (medians of 15).
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>
#include "tools/driver/process_control.h"

using namespace velmora::driver;

namespace {

// Milliseconds to the program's own window (its class), or -1 when it did not start or show it.
double StartMilliseconds(const std::string& program, const char* windowClass) {
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    ChildProcess child("\"" + OwnDirectory() + program + "\"");
    if (!child.Started()) return -1;
    HWND window = child.WaitForTopWindow(windowClass, nullptr, 60000);
    QueryPerformanceCounter(&end);
    if (!window) return -1;
    PostMessageA(window, WM_CLOSE, 0, 0);
    child.Wait(30000);
    return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Of the times that count; 0 when there are none.
double Median(std::vector<double> times) {
    if (times.empty()) return 0;
    std::sort(times.begin(), times.end());
    size_t middle = times.size() / 2;
    return times.size() % 2 ? times[middle] : (times[middle - 1] + times[middle]) / 2;
}

}  // namespace

int main() {
    struct Program {
        const char* file;
        const char* windowClass;
        const char* name;
    } programs[] = {{"minimal_window.exe", "Minimal", "minimal Win32 window"},
                    {"platform_window.exe", "PlatformWindow", "the same window from bare platform calls"},
                    {"Velmora.exe", "KVWindow", "Velmora.exe"}};
    constexpr int count = 3, rounds = 15;
    // Interleaved, each round starting with the next program, so neither a
    // slow moment of the machine nor the place in a round favours one; each
    // round's time is also taken against the minimal program's of that round.
    std::vector<double> times[count], paired[count];
    int failed[count] = {};
    for (int round = 0; round < rounds; ++round) {
        double roundTimes[count];
        for (int step = 0; step < count; ++step) {
            int i = (round + step) % count;
            roundTimes[i] = StartMilliseconds(programs[i].file, programs[i].windowClass);
            if (roundTimes[i] > 0) times[i].push_back(roundTimes[i]);
            else ++failed[i];
        }
        for (int i = 0; i < count; ++i)
            if (roundTimes[i] > 0 && roundTimes[0] > 0) paired[i].push_back(roundTimes[i] / roundTimes[0]);
    }
    double minimal = Median(times[0]);
    std::printf("\nStart-up: process start to a visible window (medians of %d, interleaved)\n\n", rounds);
    std::printf("| program | ms | ratio of medians | median of paired ratios | failed starts |\n|---|---|---|---|---|\n");
    for (int i = 0; i < count; ++i) {
        double median = Median(times[i]);
        if (median > 0 && minimal > 0)
            std::printf("| %s | %.1f | %.2f | %.2f | %d |\n", programs[i].name, median, median / minimal,
                        Median(paired[i]), failed[i]);
        else
            std::printf("| %s | - | - | - | %d |\n", programs[i].name, failed[i]);
    }
    return 0;
}
