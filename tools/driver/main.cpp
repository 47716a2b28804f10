// velmora-driver: works Velmora.exe from outside, as a user would.
//   velmora-driver error-box PROGRAM   start it, read its error box, press OK,
//                                      and print the box text and exit code.
//   velmora-driver run PROGRAM THREADS RUNS [OUT.bmp]
//                                      set the thread count with the arrows,
//                                      press start RUNS times, print every log
//                                      line, the label and the box; save the
//                                      finished window; close it.
//   velmora-driver screenshot PROGRAM OUT.bmp
//                                      start it, save its window as it shows
//                                      (title bar included), close it.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include "tools/driver/process_control.h"
#include "tools/driver/velmora_window.h"

using namespace velmora::driver;

namespace {

int DismissErrorBox(const char* program) {
    // A bare name is looked up beside the driver.
    std::string path = std::strchr(program, '\\') ? program : OwnDirectory() + program;
    ChildProcess child("\"" + path + "\"");
    if (!child.Started()) {
        std::printf("could not start %s\n", program);
        return 2;
    }
    HWND box = child.WaitForTopWindow("#32770", "错误", 60000);
    if (!box) {
        std::printf("no error box appeared\n");
        return 3;
    }
    std::printf("error box:\n%s\n", GbkToUtf8(MessageBoxText(box)).c_str());
    PressDialogButton(box, IDOK);
    if (!child.Wait(30000)) {
        std::printf("the program did not end\n");
        return 4;
    }
    std::printf("exit code: %ld\n", static_cast<long>(child.ExitCode()));
    return 0;
}

std::string BesideDriver(const char* program) {
    return std::strchr(program, '\\') ? program : OwnDirectory() + program;
}

int Screenshot(const char* program, const char* out) {
    ChildProcess child("\"" + BesideDriver(program) + "\"");
    HWND window = child.WaitForTopWindow(nullptr, "Velmora", 60000);
    if (!window) {
        std::printf("the window did not appear\n");
        return 3;
    }
    SetForegroundWindow(window);
    Sleep(1500);  // let every unit paint
    RECT area;
    GetWindowRect(window, &area);
    bool saved = SaveScreenRectangle(area, out);
    PostMessageA(window, WM_CLOSE, 0, 0);
    bool ended = child.Wait(30000);
    std::printf("window %ldx%ld saved: %s; exit code after closing: %ld\n", area.right - area.left,
                area.bottom - area.top, saved ? "yes" : "no", ended ? static_cast<long>(child.ExitCode()) : -999L);
    return saved && ended ? 0 : 4;
}

int Run(const char* program, int threads, int runs, const char* shot) {
    ChildProcess child("\"" + BesideDriver(program) + "\"");
    HWND window = child.WaitForTopWindow(nullptr, "Velmora", 60000);
    if (!window) {
        std::printf("the window did not appear\n");
        return 3;
    }
    VelmoraUnits units = FindUnits(window);
    if (!units.startButton || !units.log || !units.threadCount || !units.progress) {
        std::printf("the window's units were not found\n");
        return 3;
    }
    if (!SetThreadCount(units, threads)) std::printf("could not set the thread count to %d\n", threads);
    std::printf("thread count: %s\n", WindowText(units.threadCount).c_str());
    for (int run = 1; run <= runs; ++run) {
        RunResult result = RunOnce(child, units, 600000);
        if (!result.completed) {
            std::printf("run %d: no completion box\n", run);
            return 4;
        }
        DWORD elapsed = result.milliseconds;
        size_t failed = 0;
        for (const std::string& line : result.log) failed += line.rfind("下载失败：", 0) == 0;
        std::printf("run %d: %.1f s, box \"%s\", label \"%s\" (wall_ms=%lu lines=%zu failed=%zu)\n", run,
                    elapsed / 1000.0, GbkToUtf8(result.boxText).c_str(), GbkToUtf8(result.progress).c_str(),
                    static_cast<unsigned long>(elapsed), result.log.size(), failed);
        if (!std::getenv("VELMORA_QUIET"))
            for (const std::string& line : result.log) std::printf("  %s\n", GbkToUtf8(line).c_str());
    }
    if (shot) {
        SetForegroundWindow(window);
        Sleep(1000);
        RECT area;
        GetWindowRect(window, &area);
        SaveScreenRectangle(area, shot);
    }
    PostMessageA(window, WM_CLOSE, 0, 0);
    bool ended = child.Wait(30000);
    std::printf("exit code after closing: %ld\n", ended ? static_cast<long>(child.ExitCode()) : -999L);
    return ended ? 0 : 4;
}

}  // namespace

int main(int argc, char** argv) {
    // Screen pixels as they are, at any DPI: the screenshots read them.
    if (auto aware = reinterpret_cast<BOOL(WINAPI*)()>(GetProcAddress(GetModuleHandleA("user32.dll"), "SetProcessDPIAware")))
        aware();
    if ((argc == 5 || argc == 6) && std::strcmp(argv[1], "run") == 0)
        return Run(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), argc == 6 ? argv[5] : nullptr);
    if (argc == 4 && std::strcmp(argv[1], "screenshot") == 0) return Screenshot(argv[2], argv[3]);
    if (argc == 3 && std::strcmp(argv[1], "error-box") == 0) return DismissErrorBox(argv[2]);
    std::printf("usage: velmora-driver error-box PROGRAM | screenshot PROGRAM OUT.bmp\n");
    return 1;
}
