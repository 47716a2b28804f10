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

// Where a handler puts the value it returns.
struct EventResult {
    uint32_t hasResult;
    uint32_t value;
};

// Event delivery held back (window creation, re-creation, a fatal report, the
// shutdown): holds nest, from any thread.
void HoldEvents();
void ReleaseEvents();

// The handler bound to the event, or 0 (also while events are held back).
uint32_t FindEventHandler(uint32_t windowId, uint32_t unitId, int32_t eventNumber);
// Runs the handler with the record's arguments; 1 when a handler ran.
//
// How a handler returns a value: after the event's arguments it receives one
// more word, the address of a zeroed EventResult. A handler that returns a
// value stores 1 and the value there; the record's has-result and result then
// take them, and a handler that stores nothing leaves has-result 0. Handlers
// that return nothing just never look at the word: the call puts the stack
// back whatever the handler removed, so the extra word costs them nothing.
int32_t FireEvent(EventRecord& event);
// The second form: arguments as 16-byte records {low, high, type, flags}.
// Handlers receive the EventResult word here too; the form has no field for
// the value, so it goes nowhere.
int32_t FireEventWithValues(uint32_t windowId, uint32_t unitId, int32_t eventNumber, uint32_t count,
                            const uint32_t* records);

// What units call: fire an event of theirs with up to five arguments.
int32_t RaiseUnitEvent(uint32_t windowId, uint32_t unitId, int32_t eventNumber, uint32_t count = 0,
                       const uint32_t* arguments = nullptr);

// The window and unit of the event whose handler is running.
uint32_t CurrentEventWindowId();
uint32_t CurrentEventUnitId();

}  // namespace velmora
