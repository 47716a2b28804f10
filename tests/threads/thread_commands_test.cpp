// Threads and registered critical sections.
#include <gtest/gtest.h>
#include <windows.h>
#include <atomic>
#include <functional>
#include "runtime/calling.h"
#include "threads/section_registry.h"
#include "threads/thread_commands.h"

namespace velmora {
namespace {

template <class... Records>
ValueRecord Call(ThreadCommandNumber number, Records... records) {
    ValueRecord arguments[sizeof...(Records) + 1] = {records...};
    return CallLibraryCommand(ThreadCommand(number), 3, static_cast<int32_t>(sizeof...(Records)), arguments);
}

ValueRecord Routine(ThreadRoutine routine) {
    return {reinterpret_cast<uint32_t>(routine), 0, Type::SubroutinePointer};
}
ValueRecord Int(int32_t value) { return {static_cast<uint32_t>(value), 0, Type::Integer}; }
ValueRecord Variable(int32_t* variable) { return {reinterpret_cast<uint32_t>(variable), 0, Type::Integer}; }
constexpr ValueRecord none{0, 0, 0};

bool WaitUntil(const std::function<bool()>& condition) {
    for (int i = 0; i < 500 && !condition(); ++i) Sleep(10);
    return condition();
}

std::atomic<int32_t> seenArgument{-1};
void __stdcall RecordArgument(int32_t argument) { seenArgument = argument; }

std::atomic<bool> release{false};
void __stdcall WaitForRelease(int32_t) {
    while (!release) Sleep(5);
}

TEST(StartThread, OmittedArgumentsRunTheRoutineWithZeroAndKeepNoHandle) {
    seenArgument = -1;
    EXPECT_EQ(Call(CmdStartThread, Routine(RecordArgument), none, none).low, 1u);
    EXPECT_TRUE(WaitUntil([] { return seenArgument == 0; }));
    Call(CmdStartThread, Routine(RecordArgument), Int(77), none);
    EXPECT_TRUE(WaitUntil([] { return seenArgument == 77; }));
}

TEST(StartThread, TheHandleVariableCanBeWaitedOnAgainAfterTheEnd) {
    release = false;
    int32_t handle = 0;
    EXPECT_EQ(Call(CmdStartThread, Routine(WaitForRelease), none, Variable(&handle)).low, 1u);
    ASSERT_NE(handle, 0);
    DWORD start = GetTickCount();
    EXPECT_EQ(Call(CmdWaitForThread, Int(handle), Int(0)).low, 1u) << "a time-out still counts as success";
    EXPECT_LT(GetTickCount() - start, 1000u);
    release = true;
    EXPECT_EQ(Call(CmdWaitForThread, Int(handle), none).low, 1u);
    EXPECT_EQ(Call(CmdWaitForThread, Int(handle), Int(-1)).low, 1u) << "an ended thread returns at once";
    CloseHandle(reinterpret_cast<HANDLE>(handle));
    EXPECT_EQ(Call(CmdWaitForThread, Int(0), none).low, 0u) << "waiting on 0 fails";
}

TEST(StartThread, NoRoutineStartsNothingAndLeavesZero) {
    int32_t handle = 5;
    EXPECT_EQ(Call(CmdStartThread, none, none, Variable(&handle)).low, 0u);
    EXPECT_EQ(handle, 0);
}

int32_t NewSection() { return static_cast<int32_t>(Call(CmdCreateCriticalSection).low); }

threads::SectionRecord* probedSection = nullptr;
std::atomic<int> probeResult{-1};
void __stdcall TryFromAnotherThread(int32_t) {
    probeResult = TryEnterCriticalSection(&probedSection->section) ? 1 : 0;
    if (probeResult == 1) LeaveCriticalSection(&probedSection->section);
}

// 1 when a thread that holds nothing gets into the section, 0 when it is kept out.
int TryEnterElsewhere(threads::SectionRecord* section) {
    probedSection = section;
    probeResult = -1;
    int32_t handle = 0;
    Call(CmdStartThread, Routine(TryFromAnotherThread), none, Variable(&handle));
    Call(CmdWaitForThread, Int(handle), none);
    CloseHandle(reinterpret_cast<HANDLE>(handle));
    return probeResult;
}
int TryEnterElsewhere(int32_t section) { return TryEnterElsewhere(threads::FindSection(section)); }

TEST(Sections, UnregisteredHandlesDoNothing) {
    int32_t real = NewSection();
    ASSERT_NE(real, 0);
    Call(CmdEnterSection, Int(real + 4));  // never returned by CreateCriticalSection
    Call(CmdEnterSection, Int(0));
    EXPECT_EQ(TryEnterElsewhere(real), 1) << "entering other handles took the section";
    Call(CmdEnterSection, Int(real));
    EXPECT_EQ(TryEnterElsewhere(real), 0) << "entered here, so kept out there";
    Call(CmdLeaveSection, Int(12345));
    Call(CmdLeaveSection, Int(real + 4));
    EXPECT_EQ(TryEnterElsewhere(real), 0) << "leaving other handles let the section go";
    Call(CmdLeaveSection, Int(real));
    EXPECT_EQ(TryEnterElsewhere(real), 1);
}

TEST(Sections, HeldTwiceByOneThreadIsFreeAfterTwoLeaves) {
    int32_t section = NewSection();
    Call(CmdEnterSection, Int(section));
    Call(CmdEnterSection, Int(section));
    Call(CmdLeaveSection, Int(section));
    EXPECT_EQ(TryEnterElsewhere(section), 0) << "still held once";
    Call(CmdLeaveSection, Int(section));
    EXPECT_EQ(TryEnterElsewhere(section), 1);
}

int32_t counterSection = 0;
int counter = 0;
constexpr int incrementsPerThread = 20000;

void __stdcall IncrementMany(int32_t) {
    for (int i = 0; i < incrementsPerThread; ++i) {
        Call(CmdEnterSection, Int(counterSection));
        int seen = counter;  // a read and a separate write: lost updates show without the section
        counter = seen + 1;
        Call(CmdLeaveSection, Int(counterSection));
    }
}

TEST(Sections, ManyThreadsIncrementOneCounterExactly) {
    counterSection = NewSection();
    counter = 0;
    constexpr int threadCount = 10;
    int32_t handles[threadCount] = {};
    for (int32_t& handle : handles) Call(CmdStartThread, Routine(IncrementMany), none, Variable(&handle));
    for (int32_t handle : handles) {
        Call(CmdWaitForThread, Int(handle), none);
        CloseHandle(reinterpret_cast<HANDLE>(handle));
    }
    EXPECT_EQ(counter, threadCount * incrementsPerThread);
}

int32_t heldSection = 0;
std::atomic<DWORD> holder{0};
void __stdcall HoldUntilReleased(int32_t) {
    Call(CmdEnterSection, Int(heldSection));
    holder = GetCurrentThreadId();
    while (!release) Sleep(5);
    Call(CmdLeaveSection, Int(heldSection));
}

TEST(Sections, ShutdownWithThreadsRunningLeavesTheirSectionsInPlace) {
    release = false;
    heldSection = NewSection();
    threads::SectionRecord* held = threads::FindSection(heldSection);
    int32_t handle = 0;
    holder = 0;
    Call(CmdStartThread, Routine(HoldUntilReleased), none, Variable(&handle));
    ASSERT_TRUE(WaitUntil([] { return holder != 0; })) << "the thread never entered";
    threads::ReleaseSections(threads::RunningThreads() > 0);
    EXPECT_EQ(threads::FindSection(heldSection), nullptr) << "the registry is empty after the shutdown";
    // Deleted (and freed) under its thread, the section would no longer name its owner.
    EXPECT_EQ(reinterpret_cast<DWORD>(held->section.OwningThread), holder.load());
    EXPECT_EQ(TryEnterElsewhere(held), 0) << "the thread's section no longer keeps others out";
    Call(CmdEnterSection, Int(heldSection));  // no longer registered: returns at once
    release = true;
    Call(CmdWaitForThread, Int(handle), none);  // the thread's leave must not crash
    CloseHandle(reinterpret_cast<HANDLE>(handle));
    EXPECT_TRUE(WaitUntil([] { return threads::RunningThreads() == 0; }));
    int32_t later = NewSection();
    threads::ReleaseSections(false);
    EXPECT_EQ(threads::FindSection(later), nullptr);
}

}  // namespace
}  // namespace velmora
