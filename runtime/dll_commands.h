// Late-bound functions of system libraries, named by library and export,
// bound at first call and cached per command index.
#pragma once
#include <cstdint>

namespace velmora {

class RuntimeApp;

// Sizes the four tables to the header's DLL command count and copies the names.
void SetUpDllCommandTables(RuntimeApp& app);
// Frees every bound module and empties the tables.
void ReleaseDllCommands(RuntimeApp& app);

// The function address of a DLL command; a command that cannot be bound is a
// fatal report and never returns.
void* ResolveDllCommand(int32_t index);
// Calls the command with the caller's argument words, each one machine word,
// first lowest. A function that removes a different number of bytes than
// were pushed ends the program with runtime error 6.
uint32_t CallDllCommand(int32_t index, const uint32_t* words, int32_t wordCount);

}  // namespace velmora
