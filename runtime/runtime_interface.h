// The fixed table of thirteen operations through which compiled routines
// reach the runtime. The order is the contract; do not reorder.
#pragma once
#include <cstdint>
#include "runtime/value.h"

namespace velmora {

struct RuntimeInterface {
    void (*ReportRuntimeError)(int32_t code);  // never returns
    // DLL command index, the command's argument words → its 32-bit result.
    uint32_t (*CallDllCommand)(int32_t index, const uint32_t* words, int32_t wordCount);
    ValueRecord (*CallLibraryCommand)(Command command, int32_t library, int32_t argumentCount,
                                      ValueRecord* arguments);
    ValueRecord (*CallCoreCommand)(Command command, int32_t argumentCount, ValueRecord* arguments);
    uint64_t (*ReadUnitProperty)(uint32_t windowId, uint32_t unitId, int32_t property, int32_t subField);
    void (*WriteUnitProperty)(uint32_t windowId, uint32_t unitId, int32_t property, int32_t subField,
                              uint32_t low, uint32_t high);
    void* (*AllocMemory)(uint32_t byteCount);
    void* (*ReallocMemory)(void* block, uint32_t byteCount);
    void (*FreeMemory)(void* block);
    void (*ExitProgram)(int32_t code);  // never returns
    void (*RunMessageLoop)();
    void (*LoadStartupWindow)(uint32_t windowId);
    // Service number 0-6 and up to five argument words → the service's result.
    uint32_t (*CallProgramService)(int32_t service, uint32_t a1, uint32_t a2, uint32_t a3, uint32_t a4,
                                   uint32_t a5);
};
static_assert(sizeof(RuntimeInterface) == 13 * sizeof(void*));

const RuntimeInterface& Runtime();

namespace ProgramService {
constexpr int32_t FindFile = 0;
constexpr int32_t EndFind = 1;
constexpr int32_t MakeArrayWritable = 2;
constexpr int32_t SetCleanupRoutine = 3;
constexpr int32_t ReadLibraryTypeProperty = 4;
constexpr int32_t WriteLibraryTypeProperty = 5;
constexpr int32_t InitializeRuntime = 6;
}  // namespace ProgramService

}  // namespace velmora
