#include "tools/host/minimal_program.h"
#include <memory>
#include "commands/core_library.h"
#include "runtime/runtime_app.h"
#include "threads/thread_library.h"
#include "web/internet_library.h"

namespace velmora {
namespace {

struct HostConstants {
    uint32_t emptyByteSet[2];
    char emptyText[4];
};
const HostConstants hostConstants = {{1, 0}, ""};

const LibraryDescriptor* const libraries[3] = {&coreLibrary, &internetLibrary, &threadLibrary};
const char* const noNames[1] = {nullptr};
const ProgramHeader header = {
    3, 0, 1, nullptr, &hostConstants, sizeof hostConstants, nullptr, 0, 3, libraries, 0, noNames, noNames,
};

}  // namespace

extern const char* const programEmptyText;
const char* const programEmptyText = hostConstants.emptyText;
extern const ByteSetBlock* const programEmptyByteSet;
const ByteSetBlock* const programEmptyByteSet = reinterpret_cast<const ByteSetBlock*>(hostConstants.emptyByteSet);

namespace host {

void StartRuntime() {
    static std::unique_ptr<RuntimeApp> app;
    app = std::make_unique<RuntimeApp>(&header, nullptr);
    InitializeRuntime();
}

}  // namespace host
}  // namespace velmora
