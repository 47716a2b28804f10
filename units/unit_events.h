// Delivering units' events to the program's routines.
#pragma once
#include <cstdint>

namespace velmora {

struct EventRecord {
    uint32_t windowId;
    uint32_t unitId;  // 0 or the window's own record id for window events
    int32_t eventNumber;
    uint32_t argumentCount;
    uint32_t arguments[5];
    uint32_t hasResult;
    uint32_t result;
};
static_assert(sizeof(EventRecord) == 44);

// The handler bound to the event, or 0 (also while events are suppressed).
uint32_t FindEventHandler(uint32_t windowId, uint32_t unitId, int32_t eventNumber);
// Runs the handler with the record's arguments; 1 when a handler ran.
int32_t FireEvent(EventRecord& event);
// The second form: arguments as 16-byte records {low, high, type, flags}.
int32_t FireEventWithValues(uint32_t windowId, uint32_t unitId, int32_t eventNumber, uint32_t count,
                            const uint32_t* records);

// What units call: fire an event of theirs with up to five arguments.
int32_t RaiseUnitEvent(uint32_t windowId, uint32_t unitId, int32_t eventNumber, uint32_t count = 0,
                       const uint32_t* arguments = nullptr);

// The window and unit of the event whose handler is running.
uint32_t CurrentEventWindowId();
uint32_t CurrentEventUnitId();

}  // namespace velmora
