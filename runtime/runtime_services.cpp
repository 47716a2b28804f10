// Numbered runtime services sent by libraries and units.
#include "runtime/arrays.h"
#include "runtime/error_report.h"
#include "runtime/memory.h"
#include "runtime/runtime_app.h"
#include "units/unit_events.h"
#include "units/unit_object.h"
#include "units/unit_properties.h"

namespace velmora {

int32_t RuntimeService(int32_t service, uint32_t parameter1, uint32_t parameter2) {
    switch (service) {
        case 1001:
            return reinterpret_cast<int32_t>(&App().windowMap);
        case 1002:
            return reinterpret_cast<int32_t>(FindUnitType(parameter1));
        case 2001: {  // the value record at parameter 1 as an Integer
            const auto* value = reinterpret_cast<const ValueRecord*>(parameter1);
            if (!value || !IsNumericType(value->type)) ReportFatalError(FatalMessage::NotNumeric, 0);
            return NumberToInteger(*value);
        }
        case 2006:
            return reinterpret_cast<int32_t>(LiveUnit(parameter1, parameter2));
        case 2007:
            return reinterpret_cast<int32_t>(RequireLiveUnit(parameter1, parameter2));
        case 2008:
            return FireEvent(*reinterpret_cast<EventRecord*>(parameter1));
        case 2009:
            ++App().eventSuppression;
            return 0;
        case 2010:
            if (App().eventSuppression > 0) --App().eventSuppression;
            return 0;
        case 2031: {
            // {window id, unit id, event number, count, then count 16-byte argument records}
            const auto* event = reinterpret_cast<const uint32_t*>(parameter1);
            return FireEventWithValues(event[0], event[1], static_cast<int32_t>(event[2]), event[3], event + 4);
        }
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
