// Late-bound functions of system libraries, named by library and export.
#pragma once
#include <cstdint>

namespace velmora {

class RuntimeApp;

// Sizes the four tables to the header's DLL command count and copies the names.
void SetUpDllCommandTables(RuntimeApp& app);
// Frees every bound module and empties the tables.
void ReleaseDllCommands(RuntimeApp& app);

}  // namespace velmora
