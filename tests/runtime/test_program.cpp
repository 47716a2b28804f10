#include "tests/runtime/test_program.h"
#include <gtest/gtest.h>
#include "commands/core_library.h"
#include "runtime/runtime_app.h"
#include "runtime/value.h"

namespace velmora {
namespace testing {

const TestConstants testConstants = {
    {1, 0},
    "",
    "literal",
    {1, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {2, 2, 3, 1, 2, 3, 4, 5, 6},
};

namespace {
const LibraryDescriptor* const libraries[1] = {&coreLibrary};

// DLL commands the runtime tests bind and call.
const char* const dllLibraries[] = {
    "dll_probe.dll", "dll_probe.dll", "dll_probe.dll", "", "", "dll_probe.dll",
    "C:\\windows\\system32\\kernel32.dll", "dll_probe.dll", "dll_probe.dll", "dll_probe.dll",
};
const char* const dllFunctions[] = {
    "Add2", "Add2", "#12", "GetTickCount", "ShellExecuteA", "Sum5", "GetCurrentProcessId", "FillText", "#65548", "Add2",
};
static_assert(sizeof dllLibraries == sizeof dllFunctions);

const ProgramHeader header = {
    3, 0, 1, nullptr, &testConstants, sizeof testConstants, nullptr, 0, 1, libraries,
    sizeof dllLibraries / sizeof dllLibraries[0], dllLibraries, dllFunctions,
};

RuntimeApp testApp(&header, nullptr);
}  // namespace

}  // namespace testing

extern const char* const programEmptyText;
const char* const programEmptyText = testing::testConstants.emptyText;
extern const ByteSetBlock* const programEmptyByteSet;
const ByteSetBlock* const programEmptyByteSet =
    reinterpret_cast<const ByteSetBlock*>(testing::testConstants.emptyByteSet);

}  // namespace velmora

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    velmora::InitializeRuntime();
    return RUN_ALL_TESTS();
}
