#include "runtime/runtime_interface.h"
#include <iterator>
#include "runtime/calling.h"
#include "runtime/dll_commands.h"
#include "runtime/error_report.h"
#include "runtime/find_file.h"
#include "runtime/memory.h"
#include "runtime/message_loop.h"
#include "runtime/runtime_app.h"
#include "units/framework/unit_properties.h"
#include "units/framework/window_creation.h"

namespace velmora {
namespace {

void ReportRuntimeErrorEntry(int32_t code) { ReportRuntimeError(code); }
void ExitProgramEntry(int32_t code) { ExitProgram(code); }

uint32_t NoService(const uint32_t*) { return 0; }

uint32_t FindFileService(const uint32_t* args) {
    return reinterpret_cast<uint32_t>(FindNextFileName(reinterpret_cast<const char*>(args[0]), args[1],
                                                       args[2] != 0, reinterpret_cast<uint32_t*>(args[3])));
}

uint32_t EndFindService(const uint32_t* args) {
    EndFind(args[0]);
    return 0;
}

uint32_t MakeArrayWritableService(const uint32_t* args) {
    MakeArrayWritable(args[0], reinterpret_cast<ArrayBlock**>(args[1]));
    return 0;
}

uint32_t SetCleanupRoutineService(const uint32_t* args) {
    App().cleanupRoutine = reinterpret_cast<ProgramRoutine>(args[0]);
    return 0;
}

uint32_t InitializeRuntimeService(const uint32_t*) {
    InitializeRuntime();
    return 0;
}

using ProgramServiceFunction = uint32_t (*)(const uint32_t* arguments);

const ProgramServiceFunction programServices[] = {
    FindFileService,           // 0
    EndFindService,            // 1
    MakeArrayWritableService,  // 2
    SetCleanupRoutineService,  // 3
    NoService,                 // 4 read library-type property: never called by this program
    NoService,                 // 5 write library-type property: never called by this program
    InitializeRuntimeService,  // 6
};

static_assert(std::size(programServices) == 7);

uint32_t CallProgramServiceEntry(int32_t service, uint32_t a1, uint32_t a2, uint32_t a3, uint32_t a4,
                                 uint32_t a5) {
    // A number outside the table is no service: refused with 0, never a jump through whatever follows it.
    if (service < 0 || static_cast<size_t>(service) >= std::size(programServices)) return 0;
    const uint32_t arguments[5] = {a1, a2, a3, a4, a5};
    return programServices[service](arguments);
}

const RuntimeInterface runtimeInterface = {
    ReportRuntimeErrorEntry,   // 0
    CallDllCommand,            // 1
    CallLibraryCommand,        // 2
    CallCoreCommand,           // 3
    ReadUnitProperty,          // 4
    WriteUnitProperty,         // 5
    AllocMemory,               // 6
    ReallocMemory,             // 7
    FreeMemory,                // 8
    ExitProgramEntry,          // 9
    RunMessageLoop,            // 10
    LoadStartupWindow,         // 11
    CallProgramServiceEntry,   // 12
};

}  // namespace

const RuntimeInterface& Runtime() { return runtimeInterface; }

}  // namespace velmora
