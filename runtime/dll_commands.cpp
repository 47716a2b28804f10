#include "runtime/dll_commands.h"
#include "runtime/runtime_app.h"

namespace velmora {

void SetUpDllCommandTables(RuntimeApp& app) {
    const ProgramHeader& header = *app.header;
    uint32_t count = header.dllCommandCount;
    DllCommandTables& dll = app.dll;
    dll.libraryNames.assign(header.dllLibraryNames, header.dllLibraryNames + count);
    dll.functionNames.assign(header.dllFunctionNames, header.dllFunctionNames + count);
    dll.modules.assign(count, nullptr);
    dll.addresses.assign(count, nullptr);
}

void ReleaseDllCommands(RuntimeApp& app) {
    for (HMODULE module : app.dll.modules)
        if (module) FreeLibrary(module);
    app.dll = DllCommandTables{};
}

}  // namespace velmora
