// The record the build puts into the program image, and the library
// descriptors it lists. The runtime reads both once at start-up.
#pragma once
#include <cstdint>
#include "runtime/value.h"

namespace velmora {

struct UnitTypeDescriptor;

// Numbered requests from libraries and units back to the runtime.
using RuntimeServiceEntry = int32_t (*)(int32_t service, uint32_t parameter1, uint32_t parameter2);
using NotifyFunction = int32_t (*)(int32_t code, uint32_t parameter1, uint32_t parameter2);

constexpr uint32_t LibrarySignature = 20000101;  // 0x01312D65

enum NotifyCode : int32_t {
    NotifyStartup = 1,   // parameter 1: the runtime-service entry
    NotifyShutdown = 6,  // parameter 1: the library's per-library word
};

struct LibraryDescriptor {
    uint32_t signature;
    const char* identifier;  // 32 hex digits
    const char* displayName;
    int32_t typeCount;
    const UnitTypeDescriptor* types;
    int32_t commandCount;
    const Command* commands;
    NotifyFunction notify;
};

struct ProgramHeader {
    uint32_t runMode;  // 2: under the development debugger
    uint32_t reserved;
    uint32_t serial;
    const void* handlerBase;  // event-handler offsets in the form template are relative to it
    const void* constantBlock;
    uint32_t constantBlockSize;
    const void* formTemplate;
    uint32_t formTemplateSize;
    uint32_t libraryCount;
    const LibraryDescriptor* const* libraries;
    uint32_t dllCommandCount;
    const char* const* dllLibraryNames;
    const char* const* dllFunctionNames;
};
static_assert(sizeof(ProgramHeader) == 13 * 4);

constexpr int32_t RunModeDebugger = 2;

}  // namespace velmora
