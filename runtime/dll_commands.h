// Late-bound functions of system libraries, named by library and export,
// bound at first call and cached per command index.
#pragma once
#include <windows.h>
#include <cstdint>
#include "runtime/program_header.h"

namespace velmora {

// Sizes the tables to the header's DLL command count and copies the names.
void SetUpDllCommandTables(const ProgramHeader& header);
// Frees every bound module and empties the tables.
void ReleaseDllCommands();

// What one command index holds: its names, and its module and address once
// bound (null before). All null for an index out of range.
struct DllCommandBinding {
    const char* library = nullptr;
    const char* function = nullptr;
    HMODULE module = nullptr;
    void* address = nullptr;
};
DllCommandBinding DllCommandAt(int32_t index);

// The function address of a DLL command; a command that cannot be bound is a
// fatal report and never returns.
void* ResolveDllCommand(int32_t index);
// Calls the command with the caller's argument words, each one machine word,
// first lowest. A function that removes a different number of bytes than
// were pushed ends the program with runtime error 6.
uint32_t CallDllCommand(int32_t index, const uint32_t* words, int32_t wordCount);

}  // namespace velmora
