#include "runtime/memory.h"
#include <windows.h>
#include <atomic>
#include <cstdio>
#include <cstring>
#include "runtime/error_report.h"
#include "runtime/runtime_app.h"
#include "runtime/test_settings.h"

namespace velmora {
namespace {

HANDLE Heap() {
    HANDLE heap = App().heap;
    return heap ? heap : GetProcessHeap();
}

[[noreturn]] void ReportOutOfMemory(uint32_t byteCount) {
    char message[96];
    std::snprintf(message, sizeof message, FatalMessage::OutOfMemory, byteCount);
    ReportFatalError(message, 0);
}

// Counted at the one door when VELMORA_HEAP_STATISTICS is set, so a
// benchmark can see what a run keeps; otherwise it costs nothing.
std::atomic<int64_t> liveBlocks{0}, liveBytes{0}, allocations{0};
const bool counting = GetEnvironmentVariableA("VELMORA_HEAP_STATISTICS", nullptr, 0) != 0;

// Tests make the Nth allocation (from 1) fail through VELMORA_FAIL_ALLOCATION,
// to prove every refusal ends in the fatal report and never in a crash.
const int64_t failingAllocation = TestSetting("VELMORA_FAIL_ALLOCATION").value_or(0);
std::atomic<int64_t> requests{0};

bool RefusedForTest() { return failingAllocation > 0 && ++requests == failingAllocation; }

void Counted(void* block, int64_t blocks) {
    if (!counting || !block) return;
    liveBlocks += blocks;
    liveBytes += static_cast<int64_t>(HeapSize(Heap(), 0, block)) * blocks;
}

}  // namespace

HeapStatistics RuntimeHeapStatistics() { return {liveBlocks.load(), liveBytes.load(), allocations.load()}; }

void* AllocMemoryMayFail(uint32_t byteCount) {
    void* block = RefusedForTest() ? nullptr : HeapAlloc(Heap(), 0, byteCount);
    if (counting) ++allocations;
    Counted(block, 1);
    return block;
}

void* AllocMemory(uint32_t byteCount) {
    void* block = AllocMemoryMayFail(byteCount);
    if (!block) ReportOutOfMemory(byteCount);
    return block;
}

uintptr_t ConstantRangeEnd(const void* p) {
    auto address = reinterpret_cast<uintptr_t>(p);
    for (const auto& [start, end] : App().constantRanges)
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
    void* moved = RefusedForTest() ? nullptr : HeapReAlloc(Heap(), 0, block, byteCount);
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
