// The process-wide registry of critical sections made by CreateCriticalSection.
#pragma once
#include <windows.h>
#include <cstdint>

namespace velmora::threads {

struct SectionRecord {
    CRITICAL_SECTION section;
    SectionRecord* next;
};

// Zero-fills and initialises a new record and puts it at the head.
SectionRecord* CreateSection();
// The record with this address, or null when it is not registered (0 never is).
SectionRecord* FindSection(uint32_t handle);
// Empties the registry. Sections are deleted and freed only when no thread
// started by the library can still be using them; otherwise they are left
// in place for the few moments until the process ends.
void ReleaseSections(bool threadsStillRunning);

}  // namespace velmora::threads
