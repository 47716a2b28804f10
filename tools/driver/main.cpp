// velmora-driver: works Velmora.exe from outside, as a user would.
//   velmora-driver error-box PROGRAM   start it, read its error box, press OK,
//                                      and print the box text and exit code.
#include <cstdio>
#include <cstring>
#include "tools/driver/process_control.h"

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

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "error-box") == 0) return DismissErrorBox(argv[2]);
    std::printf("usage: velmora-driver error-box PROGRAM\n");
    return 1;
}
