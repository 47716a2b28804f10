// main() for tests that run in-process on the program's own header: its
// libraries, DLL commands and form template, with the runtime initialised.
#include <gtest/gtest.h>
#include "program/program_header.h"
#include "runtime/runtime_app.h"

namespace {
velmora::RuntimeApp app(&velmora::program::header, nullptr);
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    velmora::InitializeRuntime();
    return RUN_ALL_TESTS();
}
