// Typed calls of the multithreading library's commands for the program's routines.
#pragma once
#include "runtime/facade.h"
#include "threads/thread_commands.h"

namespace velmora::routine {

constexpr int32_t ThreadLibraryNumber = 3;

// Starts the routine with the argument; the handle goes to the variable when
// one is given, else it is closed at once.
inline bool StartThread(ThreadRoutine routine, Optional<int32_t> argument, int32_t* handleVariable) {
    ValueRecord routineRecord{reinterpret_cast<uint32_t>(routine), 0, Type::SubroutinePointer};
    ValueRecord handleRecord = handleVariable ? ValueRecord{reinterpret_cast<uint32_t>(handleVariable), 0, Type::Integer}
                                              : Omitted();
    return Library(ThreadCommand(CmdStartThread), ThreadLibraryNumber, routineRecord, OptionalIntArg(argument),
                   handleRecord)
               .low != 0;
}
inline bool WaitForThread(int32_t handle) {
    return Library(ThreadCommand(CmdWaitForThread), ThreadLibraryNumber, IntArg(handle), Omitted()).low != 0;
}
inline int32_t CreateCriticalSection() {
    return static_cast<int32_t>(Library(ThreadCommand(CmdCreateCriticalSection), ThreadLibraryNumber).low);
}
inline void EnterSection(int32_t section) {
    Library(ThreadCommand(CmdEnterSection), ThreadLibraryNumber, IntArg(section));
}
inline void LeaveSection(int32_t section) {
    Library(ThreadCommand(CmdLeaveSection), ThreadLibraryNumber, IntArg(section));
}

// A section entered for the scope and left however the scope ends.
class HeldSection {
public:
    explicit HeldSection(int32_t section) : section_(section) { EnterSection(section); }
    ~HeldSection() { LeaveSection(section_); }
    HeldSection(const HeldSection&) = delete;
    HeldSection& operator=(const HeldSection&) = delete;

private:
    int32_t section_;
};

}  // namespace velmora::routine
