#include "units/framework/unit_events.h"
#include <algorithm>
#include <atomic>
#include <utility>
#include <vector>
#include "runtime/error_report.h"
#include "runtime/runtime_app.h"
#include "runtime/runtime_services.h"
#include "units/framework/unit_object.h"
#include "units/framework/window_map.h"

extern "C" uint32_t VelmoraCallWithStackCheck(void* function, const uint32_t* words, int32_t count,
                                              int32_t* stackDelta);

namespace velmora {
namespace {

// Holds on event delivery; any thread may hold.
std::atomic<int32_t> eventHolds{0};
uint32_t currentWindowId = 0;
uint32_t currentUnitId = 0;
constexpr uint32_t MenuItemTypeKey = 0x00010003;

// Event routines take their arguments as machine words, then the address of
// their result (see FireEvent); whatever they remove, the stack is put back.
EventResult CallHandler(uint32_t handler, std::vector<uint32_t> words) {
    EventResult result{0, 0};
    words.push_back(reinterpret_cast<uint32_t>(&result));
    int32_t delta = 0;
    VelmoraCallWithStackCheck(reinterpret_cast<void*>(handler), words.data(), static_cast<int32_t>(words.size()),
                              &delta);
    return result;
}

}  // namespace

uint32_t CurrentEventWindowId() { return currentWindowId; }
uint32_t CurrentEventUnitId() { return currentUnitId; }

void HoldEvents() { ++eventHolds; }
void ReleaseEvents() {
    int32_t holds = eventHolds.load();
    while (holds > 0 && !eventHolds.compare_exchange_weak(holds, holds - 1)) {
    }
}

uint32_t FindEventHandler(uint32_t windowId, uint32_t unitId, int32_t eventNumber) {
    if (eventHolds > 0) return 0;
    WindowTemplate* window = ProgramWindows().Find(windowId);
    if (!window) ReportFatalError(FatalMessage::EventWindowUnknown, 0);
    int32_t index = window->IndexOf(unitId);
    UnitRecordRef record;
    if (index < 0 || !window->Record(static_cast<uint32_t>(index), record))
        ReportFatalError(FatalMessage::EventUnitUnknown, 0);
    // Shared bindings: follow the chain while it names a unit of the same type.
    for (uint32_t hops = 0; hops < window->unitCount && record.EventSharingId() != 0; ++hops) {
        int32_t shared = window->IndexOf(record.EventSharingId());
        UnitRecordRef other;
        if (shared <= 0 || !window->Record(static_cast<uint32_t>(shared), other) || other.TypeKey() != record.TypeKey())
            break;
        record = other;
    }
    const UnitTypeDescriptor* type = FindUnitType(record.TypeKey());
    if (!type || !(type->flags & (TypeRaisesEvents | TypeEventsOld))) ReportFatalError(FatalMessage::EventUnitInvalid, 0);
    uint32_t handler = 0;
    if (record.layout.menuItem) {
        // A menu item's record has no event table: a damaged one of another type has no handler.
        if (record.TypeKey() == MenuItemTypeKey) handler = ReadDword(record.data + record.layout.menuHandlerOffset);
    } else {
        for (uint32_t i = 0; i < record.EventCount(); ++i)
            if (record.EventNumber(i) == eventNumber) {
                handler = record.EventHandler(i);
                break;
            }
    }
    if (handler == 0) return 0;
    currentWindowId = windowId;
    currentUnitId = index == 0 ? window->RecordId(0) : unitId;
    return handler;
}

int32_t FireEvent(EventRecord& event) {
    uint32_t handler = FindEventHandler(event.windowId, event.unitId, event.eventNumber);
    if (!handler) return 0;
    uint32_t count = std::min<uint32_t>(event.argumentCount, 5);
    EventResult result = CallHandler(handler, {event.arguments, event.arguments + count});
    currentWindowId = 0;
    event.hasResult = result.hasResult != 0;
    if (event.hasResult) event.result = result.value;
    return 1;
}

int32_t FireEventWithValues(uint32_t windowId, uint32_t unitId, int32_t eventNumber, uint32_t count,
                            const uint32_t* records) {
    uint32_t handler = FindEventHandler(windowId, unitId, eventNumber);
    if (!handler) return 0;
    std::vector<uint32_t> words;
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t* record = records + 4 * i;
        uint32_t low = record[0], high = record[1], type = record[2], flags = record[3];
        if (flags & 1) {
            words.push_back(reinterpret_cast<uint32_t>(record));  // by reference
        } else if ((flags & 2) || type == MenuItemTypeKey || ElementSize(type) == 8 || type == Type::DateTime) {
            words.push_back(low);
            words.push_back(high);
        } else if (type == Type::Byte) {
            words.push_back(low & 0xFF);
        } else {
            words.push_back(low);
        }
    }
    CallHandler(handler, std::move(words));
    currentWindowId = 0;
    return 1;
}

int32_t RaiseUnitEvent(uint32_t windowId, uint32_t unitId, int32_t eventNumber, uint32_t count,
                       const uint32_t* arguments) {
    EventRecord event{windowId, unitId, eventNumber, std::min<uint32_t>(count, 5), {}, 0, 0};
    for (uint32_t i = 0; i < event.argumentCount; ++i) event.arguments[i] = arguments[i];
    return RuntimeService(Service::FireEvent, reinterpret_cast<uint32_t>(&event), 0);
}

}  // namespace velmora
