// Numbered runtime services sent by libraries and units.
#include "runtime/arrays.h"
#include "runtime/error_report.h"
#include "runtime/memory.h"
#include "runtime/runtime_app.h"

namespace velmora {

int32_t RuntimeService(int32_t service, uint32_t parameter1, uint32_t parameter2) {
    switch (service) {
        case 2000:  // a program window finished its clean-up
            if (WindowTemplate* window = App().windowMap.Find(parameter1); window && !App().exiting)
                window->window = nullptr;
            return 0;
        case 2023:
            FreeArray(parameter1, reinterpret_cast<ArrayBlock*>(parameter2));
            return 0;
        case 2024:
            return reinterpret_cast<int32_t>(parameter2 == 0 ? AllocMemory(parameter1)
                                                             : AllocMemoryMayFail(parameter1));
        case 2025:
            FreeMemory(reinterpret_cast<void*>(parameter1));
            return 0;
        case 2026:
            return reinterpret_cast<int32_t>(ReallocMemory(reinterpret_cast<void*>(parameter1), parameter2));
        case 2027:
            ReportFatalError(reinterpret_cast<const char*>(parameter1), 0);
        case 2028:
            ExitProgram(static_cast<int32_t>(parameter1));
        default:
            return 0;
    }
}

}  // namespace velmora
