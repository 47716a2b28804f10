#include "program/program_header.h"
#include <iterator>
#include "commands/core_library.h"
#include "program/constants.h"
#include "program/dll_command_numbers.h"
#include "runtime/value.h"
#include "threads/thread_library.h"
#include "units/ext/ext_ui_library.h"
#include "web/internet_library.h"

namespace velmora {

namespace program {

const ConstantBlock constants = {
    {1, 0},
    "",
};

namespace {

const LibraryDescriptor* const libraries[4] = {
    &coreLibrary,      // 1
    &internetLibrary,  // 2
    &threadLibrary,    // 3
    &extUiLibrary,     // 4
};

const char* const dllLibraryNames[] = {
    "wininet.dll", "wininet.dll",  "wininet.dll",  "wininet.dll",  "wininet.dll", "wininet.dll",
    "wininet.dll", "wininet.dll",  "kernel32.dll", "kernel32.dll", "kernel32.dll", "wininet.dll",
    "kernel32.dll", "kernel32.dll", "kernel32.dll", "kernel32.dll", "kernel32.dll", "kernel32.dll",
    "kernel32.dll", "kernel32.dll", "wininet.dll",
};

const char* const dllFunctionNames[] = {
    "InternetOpenA",        // 0
    "InternetCloseHandle",  // 1
    "InternetConnectA",     // 2
    "HttpOpenRequestA",     // 3
    "HttpSendRequestA",     // 4 body as text
    "HttpSendRequestA",     // 5 body as bytes
    "InternetReadFile",     // 6
    "HttpQueryInfoA",       // 7
    "WideCharToMultiByte",  // 8 measuring
    "WideCharToMultiByte",  // 9 converting
    "MultiByteToWideChar",  // 10
    "InternetSetOptionA",   // 11
    "MoveFileW",            // 12 paths as the platform's wide functions take them (ToWideText)
    "DeleteFileW",          // 13
    "CloseHandle",          // 14
    "Sleep",                // 15
    "CreateFileW",          // 16
    "GetCurrentProcessId",  // 17
    "GetTickCount",         // 18
    "GetLastError",         // 19
    "InternetQueryDataAvailable",  // 20
};
static_assert(std::size(dllLibraryNames) == DllCommandCount && std::size(dllFunctionNames) == DllCommandCount,
              "one library and one export per DLL command");

}  // namespace

extern const uint8_t formTemplate[];
extern const uint32_t formTemplateSize;
extern "C" const uint8_t velmoraHandlerBase[];

const ProgramHeader header = {
    3,                            // run mode
    0,                            // reserved
    0x14BE2,                      // serial
    velmoraHandlerBase,           // handler base
    &constants,                   // constant block
    sizeof(ConstantBlock),        // constant block size
    formTemplate,                 // form template
    formTemplateSize,             // form template size
    4,                            // library count
    libraries,                    // library binding table
    DllCommandCount,              // DLL command count
    dllLibraryNames,
    dllFunctionNames,
};

}  // namespace program

extern const char* const programEmptyText;
const char* const programEmptyText = program::constants.emptyText;
extern const ByteSetBlock* const programEmptyByteSet;
const ByteSetBlock* const programEmptyByteSet =
    reinterpret_cast<const ByteSetBlock*>(program::constants.emptyByteSet);

}  // namespace velmora
