// Timing and the printed table shared by the benchmarks.
#pragma once
#include <windows.h>
#include <cstdio>
#include <functional>
#include <string>

namespace velmora::bench {

// Best wall time of several runs, in seconds.
inline double BestSeconds(const std::function<void()>& work, int runs = 5) {
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        QueryPerformanceCounter(&start);
        work();
        QueryPerformanceCounter(&end);
        double seconds = static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
        if (seconds < best) best = seconds;
    }
    return best;
}

inline void PrintHeader(const char* title, const char* subjectColumn, const char* lastColumn = "2x input t") {
    std::printf("\n%s\n\n| %-40s | %10s | %12s | %12s | %9s | %11s |\n", title, subjectColumn, "input MB",
                "ours MB/s", "plain MB/s", "ours/plain", lastColumn);
    std::printf("|%s|%s|%s|%s|%s|%s|\n", std::string(42, '-').c_str(), std::string(12, '-').c_str(),
                std::string(14, '-').c_str(), std::string(14, '-').c_str(), std::string(11, '-').c_str(),
                std::string(13, '-').c_str());
}

// One row: throughput of ours and the baseline on the input, the time ratio
// (ours / plain, lower is better), and how our time grew when the input doubled.
inline void PrintRow(const std::string& name, double megabytes, double ours, double plain, double oursDoubled) {
    std::printf("| %-40s | %10.1f | %12.1f | %12.1f | %9.2f | %10.2fx |\n", name.c_str(), megabytes,
                megabytes / ours, megabytes / plain, ours / plain, oursDoubled / ours);
}

}  // namespace velmora::bench
