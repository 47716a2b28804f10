#include "runtime/memory.h"
#include <windows.h>
#include <atomic>
#include <utility>
#include <vector>
#include <cstdio>
#include <cstring>
#include <new>
#include "runtime/error_report.h"
#include "runtime/runtime_app.h"
#include "runtime/test_settings.h"

namespace velmora {
namespace {

HANDLE Heap() {
    RuntimeApp* app = AppIfCreated();
    return app && app->heap ? app->heap : GetProcessHeap();
}

// The constant blocks, {start, end}. Never destroyed: blocks are freed while
// the process ends too.
std::vector<std::pair<uintptr_t, uintptr_t>>& ConstantRanges() {
    static auto* ranges = new std::vector<std::pair<uintptr_t, uintptr_t>>;
    return *ranges;
}

// Counted at the one door when VELMORA_HEAP_STATISTICS is set, so a
// benchmark can see what a run keeps; otherwise it costs nothing.
std::atomic<int64_t> liveBlocks{0}, liveBytes{0}, allocations{0};
const bool counting = TestSetting(TestSwitch::HeapStatistics).has_value();

// Tests make the Nth allocation (from 1) fail through VELMORA_FAIL_ALLOCATION,
// to prove every refusal ends in the fatal report and never in a crash.
const int64_t failingAllocation = TestSetting(TestSwitch::FailAllocation).value_or(0);
std::atomic<int64_t> requests{0};
// And VELMORA_ALLOCATION_LIMIT refuses every request above that many bytes,
// C++ allocations included, as a machine short of memory would.
const int64_t allocationLimit = TestSetting(TestSwitch::AllocationLimit).value_or(0);

bool BeyondLimitForTest(size_t byteCount) {
    return allocationLimit > 0 && static_cast<uint64_t>(byteCount) > static_cast<uint64_t>(allocationLimit);
}
bool RefusedForTest(size_t byteCount) {
    return BeyondLimitForTest(byteCount) || (failingAllocation > 0 && ++requests == failingAllocation);
}

void Counted(void* block, int64_t blocks) {
    if (!counting || !block) return;
    liveBlocks += blocks;
    liveBytes += static_cast<int64_t>(HeapSize(Heap(), 0, block)) * blocks;
}

}  // namespace

HeapStatistics RuntimeHeapStatistics() { return {liveBlocks.load(), liveBytes.load(), allocations.load()}; }

void ReportOutOfMemory(uint32_t byteCount) {
    // Running out again on the way out (the box, the shutdown) ends the
    // process at once rather than reporting for ever.
    static std::atomic<DWORD> reportingThread{0};
    if (reportingThread.load() == GetCurrentThreadId()) ExitProcess(static_cast<UINT>(-1));
    reportingThread = GetCurrentThreadId();
    char message[96];
    std::snprintf(message, sizeof message, FatalMessage::OutOfMemory, byteCount);
    ReportFatalError(message, 0);
}

void* AllocMemoryMayFail(uint32_t byteCount) {
    void* block = RefusedForTest(byteCount) ? nullptr : HeapAlloc(Heap(), 0, byteCount);
    if (counting) ++allocations;
    Counted(block, 1);
    return block;
}

void* AllocMemory(uint32_t byteCount) {
    void* block = AllocMemoryMayFail(byteCount);
    if (!block) ReportOutOfMemory(byteCount);
    return block;
}

void AddConstantRange(const void* start, size_t size) {
    auto first = reinterpret_cast<uintptr_t>(start);
    ConstantRanges().push_back({first, first + size});
}

void RemoveConstantRange(const void* start) {
    auto first = reinterpret_cast<uintptr_t>(start);
    auto& ranges = ConstantRanges();
    for (size_t i = ranges.size(); i-- > 0;)
        if (ranges[i].first == first) ranges.erase(ranges.begin() + static_cast<ptrdiff_t>(i));
}

uintptr_t ConstantRangeEnd(const void* p) {
    auto address = reinterpret_cast<uintptr_t>(p);
    for (const auto& [start, end] : ConstantRanges())
        if (start <= address && address < end) return end;
    return 0;
}

void FreeMemory(void* block) {
    if (!block || IsConstantPointer(block)) return;
    Counted(block, -1);
    HeapFree(Heap(), 0, block);
}

void* ReallocMemory(void* block, uint32_t byteCount) {
    if (!block) return AllocMemory(byteCount);
    if (uintptr_t end = ConstantRangeEnd(block)) {
        void* copy = AllocMemory(byteCount);
        uintptr_t available = end - reinterpret_cast<uintptr_t>(block);
        std::memcpy(copy, block, byteCount < available ? byteCount : available);
        return copy;
    }
    Counted(block, -1);
    void* moved = RefusedForTest(byteCount) ? nullptr : HeapReAlloc(Heap(), 0, block, byteCount);
    if (counting) ++allocations;
    if (!moved) {
        Counted(block, 1);
        ReportOutOfMemory(byteCount);
    }
    Counted(moved, 1);
    return moved;
}

void MakeArrayWritable(uint32_t elementSize, ArrayBlock** arrayVariable) {
    const ArrayBlock* image = *arrayVariable;
    if (!image || !IsConstantPointer(image)) return;
    uint32_t dimensions = image[0];
    uint32_t count = dimensions ? 1 : 0;
    for (uint32_t i = 0; i < dimensions; ++i) count *= image[1 + i];
    uint32_t size = 4 + 4 * dimensions + elementSize * count;
    auto* copy = static_cast<ArrayBlock*>(AllocMemory(size));
    std::memcpy(copy, image, size);
    *arrayVariable = copy;
}

}  // namespace velmora

// C++ allocations (containers, std::function, new) come from the same heap,
// and a refusal takes the same fatal report with its byte count: a command
// that runs out of memory inside a std::string ends like any other, never in
// std::bad_alloc and std::terminate. They stay out of the runtime's block
// statistics and of VELMORA_FAIL_ALLOCATION's count, which are about runtime blocks.
namespace {

void* CxxAllocate(std::size_t size) noexcept {
    if (size == 0) size = 1;
    if (velmora::BeyondLimitForTest(size)) return nullptr;
    return HeapAlloc(GetProcessHeap(), 0, size);
}

void* CxxAllocateOrReport(std::size_t size) {
    void* block = CxxAllocate(size);
    if (!block) velmora::ReportOutOfMemory(static_cast<uint32_t>(size));
    return block;
}

void CxxFree(void* block) noexcept {
    if (block) HeapFree(GetProcessHeap(), 0, block);
}

}  // namespace

void* operator new(std::size_t size) { return CxxAllocateOrReport(size); }
void* operator new[](std::size_t size) { return CxxAllocateOrReport(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return CxxAllocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return CxxAllocate(size); }
void operator delete(void* block) noexcept { CxxFree(block); }
void operator delete[](void* block) noexcept { CxxFree(block); }
void operator delete(void* block, std::size_t) noexcept { CxxFree(block); }
void operator delete[](void* block, std::size_t) noexcept { CxxFree(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { CxxFree(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { CxxFree(block); }
