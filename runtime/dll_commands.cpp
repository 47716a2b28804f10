#include "runtime/dll_commands.h"
#include <atomic>
#include <cstdio>
#include <mutex>
#include <cstring>
#include <memory>
#include <string>
#include <vector>
#include "runtime/error_report.h"
#include "runtime/platform_text.h"
#include "runtime/runtime_app.h"

extern "C" uint32_t VelmoraCallWithStackCheck(void* function, const uint32_t* words, int32_t count,
                                              int32_t* stackDelta);

namespace velmora {
namespace {

constexpr const char* systemLibraries[] = {"Kernel32.dll", "Gdi32.dll", "User32.dll",
                                           "Advapi32.dll", "Mpr.dll",   "Shell32.dll"};

// Late-bound DLL commands, indexed by command number: the names from the
// program header, and the module and address once bound. An address is
// written once under the binding lock and read without it.
struct DllCommandTables {
    std::vector<const char*> libraryNames;
    std::vector<const char*> functionNames;
    std::vector<HMODULE> modules;
    std::unique_ptr<std::atomic<void*>[]> addresses;
    size_t count = 0;
};
// Never destroyed: a worker may call while the process ends.
DllCommandTables& Tables() {
    static auto* tables = new DllCommandTables;
    return *tables;
}

[[noreturn]] void ReportUnbound(const char* library, const char* exportName) {
    char message[1024];
    if (library && *library)
        std::snprintf(message, sizeof message, FatalMessage::DllExportInLibrary, library, exportName);
    else
        std::snprintf(message, sizeof message, FatalMessage::DllExport, exportName ? exportName : "");
    ReportFatalError(message, 0);
}

// "#12" names ordinal 12 (the low 16 bits of the number); anything else is a name.
LPCSTR ExportOf(const char* name) {
    if (name[0] != '#') return name;
    uint32_t ordinal = 0;
    for (const char* digit = name + 1; *digit >= '0' && *digit <= '9'; ++digit)
        ordinal = ordinal * 10 + static_cast<uint32_t>(*digit - '0');
    return reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(ordinal & 0xFFFF));
}

// Library names are program texts: whatever the code page, they name the same file.
HMODULE LoadLibraryText(const std::string& name) { return LoadLibraryW(WideFromText(name).c_str()); }

// DLL commands running now, and whether the shutdown has taken the tables.
// A worker inside a call (a fetch waiting on a stalled server) must not have
// its module unloaded or its table cleared under it; a worker that calls
// after the tables are gone waits for the process end. Until then calls go
// on as usual: the cleanup routine may wait for a section that a worker holds
// around a DLL command, and that worker must be able to finish and leave it.
// Both sides write their own flag before reading the other's (sequentially
// consistent), so either the call sees the release or the release sees the call.
std::atomic<int32_t> callsInFlight{0};
std::atomic<bool> tablesReleased{false};

}  // namespace

void SetUpDllCommandTables(const ProgramHeader& header) {
    DllCommandTables& dll = Tables();
    uint32_t count = header.dllCommandCount;
    dll.libraryNames.assign(header.dllLibraryNames, header.dllLibraryNames + count);
    dll.functionNames.assign(header.dllFunctionNames, header.dllFunctionNames + count);
    dll.modules.assign(count, nullptr);
    dll.addresses = std::make_unique<std::atomic<void*>[]>(count);
    dll.count = count;
}

DllCommandBinding DllCommandAt(int32_t index) {
    DllCommandTables& dll = Tables();
    if (index < 0 || static_cast<size_t>(index) >= dll.count) return {};
    return {dll.libraryNames[index], dll.functionNames[index], dll.modules[index],
            dll.addresses[index].load(std::memory_order_acquire)};
}

void ReleaseDllCommands() {
    tablesReleased = true;
    // Left to the process end, which follows at once, while a call is running.
    if (callsInFlight.load() != 0) return;
    DllCommandTables& dll = Tables();
    for (HMODULE module : dll.modules)
        if (module) FreeLibrary(module);
    dll = DllCommandTables{};
}

void* ResolveDllCommand(int32_t index) {
    DllCommandTables& dll = Tables();
    if (index < 0 || static_cast<size_t>(index) >= dll.count) ReportUnbound("", "");
    if (void* bound = dll.addresses[index].load(std::memory_order_acquire)) return bound;
    // Binding leaves the thread's last error as it was: a program may ask for it
    // (GetLastError as a DLL command) right after a call that failed.
    struct KeptLastError {
        DWORD error = GetLastError();
        ~KeptLastError() { SetLastError(error); }
    } keptLastError;
    // Download workers bind file commands from several threads at once: one binds, the others wait.
    static std::mutex binding;
    std::lock_guard<std::mutex> guard(binding);
    if (void* bound = dll.addresses[index].load(std::memory_order_relaxed)) return bound;

    const char* exportName = dll.functionNames[index] ? dll.functionNames[index] : "";
    const char* library = dll.libraryNames[index] ? dll.libraryNames[index] : "";
    LPCSTR procedure = ExportOf(exportName);
    HMODULE module = nullptr;
    void* address = nullptr;
    if (*library == '\0') {
        for (const char* candidate : systemLibraries) {
            HMODULE loaded = LoadLibraryText(candidate);
            if (!loaded) continue;
            address = reinterpret_cast<void*>(GetProcAddress(loaded, procedure));
            if (address) {
                module = loaded;
                break;
            }
            FreeLibrary(loaded);  // tried and not needed
        }
    } else {
        if (std::strchr(library, ':')) {
            module = LoadLibraryText(library);
        } else {
            module = LoadLibraryText(App().programDirectory + "\\" + library);
            if (!module) module = LoadLibraryText(library);
        }
        if (module) address = reinterpret_cast<void*>(GetProcAddress(module, procedure));
    }
    if (!address) {
        if (module) FreeLibrary(module);
        ReportUnbound(library, exportName);
    }
    dll.modules[index] = module;
    dll.addresses[index].store(address, std::memory_order_release);
    return address;
}

uint32_t CallDllCommand(int32_t index, const uint32_t* words, int32_t wordCount) {
    RuntimeApp& app = App();
    ++callsInFlight;
    if (tablesReleased && GetCurrentThreadId() != app.mainThreadId) {
        --callsInFlight;
        WaitForProgramEnd();
    }
    void* function = ResolveDllCommand(index);
    int32_t stackDelta = 0;
    uint32_t result = VelmoraCallWithStackCheck(function, words, wordCount, &stackDelta);
    --callsInFlight;
    if (stackDelta != 0) ReportRuntimeError(RuntimeErrorDllStack);
    return result;
}

}  // namespace velmora
