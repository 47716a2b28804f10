#include "runtime/libraries.h"
#include <vector>
#include "runtime/runtime_services.h"

namespace velmora {
namespace {

struct LinkedLibrary {
    const LibraryDescriptor* descriptor;
    uint32_t word;  // handed back at the shutdown; nothing sets it yet
};
std::vector<LinkedLibrary> libraries;

}  // namespace

void StartLibraries(const ProgramHeader& header) {
    for (uint32_t i = 0; i < header.libraryCount; ++i) {
        const LibraryDescriptor* library = header.libraries[i];
        if (library && library->notify)
            library->notify(NotifyStartup, reinterpret_cast<uint32_t>(&RuntimeService), 0);
    }
    libraries.clear();
    for (uint32_t i = 0; i < header.libraryCount; ++i) libraries.push_back({header.libraries[i], 0});
}

void ShutDownLibraries() {
    for (const LinkedLibrary& library : libraries)
        if (library.descriptor && library.descriptor->notify)
            library.descriptor->notify(NotifyShutdown, library.word, 0);
    libraries.clear();
}

const LibraryDescriptor* LibraryAt(uint32_t number) {
    return number >= 1 && number <= libraries.size() ? libraries[number - 1].descriptor : nullptr;
}

}  // namespace velmora
