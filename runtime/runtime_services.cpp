// Numbered runtime services sent by libraries and units.
#include "runtime/runtime_services.h"
#include "runtime/arrays.h"
#include "runtime/error_report.h"
#include "runtime/memory.h"
#include "runtime/runtime_app.h"
#include "units/framework/unit_events.h"
#include "units/framework/unit_object.h"
#include "units/framework/unit_properties.h"
#include "units/framework/window_map.h"

namespace velmora {

int32_t RuntimeService(int32_t service, uint32_t parameter1, uint32_t parameter2) {
    switch (service) {
        case Service::WindowMap:
            return reinterpret_cast<int32_t>(&ProgramWindows());
        case Service::UnitType:
            return reinterpret_cast<int32_t>(FindUnitType(parameter1));
        case Service::ToInteger: {
            const auto* value = reinterpret_cast<const ValueRecord*>(parameter1);
            if (!value || !IsNumericType(value->type)) ReportFatalError(FatalMessage::NotNumeric, 0);
            return NumberToInteger(*value);
        }
        case Service::LiveUnit:
            return reinterpret_cast<int32_t>(LiveUnit(parameter1, parameter2));
        case Service::RequireUnit:
            return reinterpret_cast<int32_t>(RequireLiveUnit(parameter1, parameter2));
        case Service::FireEvent:
            return FireEvent(*reinterpret_cast<EventRecord*>(parameter1));
        case Service::CreationBegins:
            HoldEvents();
            return 0;
        case Service::CreationEnds:
            ReleaseEvents();
            return 0;
        case Service::FireEventWithValues: {  // the argument records are 16 bytes each
            const auto* event = reinterpret_cast<const uint32_t*>(parameter1);
            return FireEventWithValues(event[0], event[1], static_cast<int32_t>(event[2]), event[3], event + 4);
        }
        case Service::WindowCleanedUp:
            if (WindowTemplate* window = ProgramWindows().Find(parameter1); window && !App().exiting)
                window->window = nullptr;
            return 0;
        case Service::FreeArray:
            FreeArray(parameter1, reinterpret_cast<ArrayBlock*>(parameter2));
            return 0;
        case Service::Allocate:
            return reinterpret_cast<int32_t>(parameter2 == 0 ? AllocMemory(parameter1)
                                                             : AllocMemoryMayFail(parameter1));
        case Service::Free:
            FreeMemory(reinterpret_cast<void*>(parameter1));
            return 0;
        case Service::Reallocate:
            return reinterpret_cast<int32_t>(ReallocMemory(reinterpret_cast<void*>(parameter1), parameter2));
        case Service::Fatal:
            ReportFatalError(reinterpret_cast<const char*>(parameter1), 0);
        case Service::Exit:
            ExitProgram(static_cast<int32_t>(parameter1));
        default:
            return 0;
    }
}

}  // namespace velmora
