#include "threads/thread_library.h"

namespace velmora {
namespace {

RuntimeServiceEntry runtimeServices = nullptr;

int32_t ThreadNotify(int32_t code, uint32_t parameter1, uint32_t) {
    switch (code) {
        case NotifyStartup:
            runtimeServices = reinterpret_cast<RuntimeServiceEntry>(parameter1);
            return 0;
        case NotifyShutdown:
            return 0;
        default:
            return -1;
    }
}

const Command threadCommands[5] = {};

}  // namespace

const LibraryDescriptor threadLibrary = {
    LibrarySignature, "8D2F61B0E3A94C7D95B81E06F4A3C2D7", "多线程库",
    0,                nullptr,
    5,                threadCommands,
    ThreadNotify,
};

}  // namespace velmora
