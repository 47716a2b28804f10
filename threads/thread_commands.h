// The multithreading library's commands, in the order of its command table.
#pragma once
#include "runtime/value.h"

namespace velmora {

// A program routine run on a thread of its own with one integer argument.
using ThreadRoutine = void(__stdcall*)(int32_t argument);

namespace threads {
void StartThread(ValueRecord* result, int32_t count, ValueRecord* arguments);            // 0
void CreateCriticalSection(ValueRecord* result, int32_t count, ValueRecord* arguments);  // 1
void WaitForThread(ValueRecord* result, int32_t count, ValueRecord* arguments);          // 2
void EnterSection(ValueRecord* result, int32_t count, ValueRecord* arguments);           // 3
void LeaveSection(ValueRecord* result, int32_t count, ValueRecord* arguments);           // 4

// Threads started by StartThread whose routine has not returned yet.
int32_t RunningThreads();
}  // namespace threads

enum ThreadCommandNumber : int32_t {
    CmdStartThread = 0,
    CmdCreateCriticalSection = 1,
    CmdWaitForThread = 2,
    CmdEnterSection = 3,
    CmdLeaveSection = 4,
};
Command ThreadCommand(ThreadCommandNumber number);

}  // namespace velmora
