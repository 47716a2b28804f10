// The program header and constant block the runtime tests run against.
#pragma once
#include <cstdint>

namespace velmora::testing {

struct TestConstants {
    uint32_t emptyByteSet[2];
    char emptyText[4];
    char literal[8];              // "literal"
    uint32_t tenIntegers[2 + 10];  // {1, 10} and ten zeros
    uint32_t twoByThree[3 + 6];    // {2, 2, 3} and six integers
};

extern const TestConstants testConstants;

// Indexes of the test program's DLL commands.
enum TestDllCommand : int32_t {
    DllAdd2 = 0,
    DllAdd2Again = 1,
    DllOrdinal12 = 2,
    DllSystemGetTickCount = 3,
    DllSystemShellExecute = 4,
    DllSum5 = 5,
    DllDriveColonProcessId = 6,
    DllFillText = 7,
    DllOrdinalWrapped = 8,
    DllAdd2BesideProgram = 9,
};

}  // namespace velmora::testing
