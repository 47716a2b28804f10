#include "threads/thread_library.h"
#include <iterator>
#include "threads/section_registry.h"
#include "threads/thread_commands.h"

namespace velmora {
namespace {

RuntimeServiceEntry runtimeServices = nullptr;  // kept; the library allocates from the runtime heap directly

int32_t ThreadNotify(int32_t code, uint32_t parameter1, uint32_t) {
    switch (code) {
        case NotifyStartup:
            runtimeServices = reinterpret_cast<RuntimeServiceEntry>(parameter1);
            return 0;
        case NotifyShutdown:
            threads::ReleaseSections(threads::RunningThreads() > 0);
            return 0;
        default:
            return -1;
    }
}

const Command threadCommands[] = {
    threads::StartThread,            // 0
    threads::CreateCriticalSection,  // 1
    threads::WaitForThread,          // 2
    threads::EnterSection,           // 3
    threads::LeaveSection,           // 4
};

static_assert(std::size(threadCommands) == 5);

}  // namespace

Command ThreadCommand(ThreadCommandNumber number) { return threadCommands[number]; }

const LibraryDescriptor threadLibrary = {
    LibrarySignature, "8D2F61B0E3A94C7D95B81E06F4A3C2D7", "多线程库",
    0,                nullptr,
    std::size(threadCommands), threadCommands,
    ThreadNotify,
};

}  // namespace velmora
