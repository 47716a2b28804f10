// The runtime heap: the one door every runtime block goes through.
#pragma once
#include <cstddef>
#include <cstdint>
#include "runtime/value.h"

namespace velmora {

// Never returns null: a refused allocation is a fatal error.
void* AllocMemory(uint32_t byteCount);
// Null may come back; for callers that can live without the block.
void* AllocMemoryMayFail(uint32_t byteCount);
// A constant pointer is copied into a new block (up to its range's end), never resized.
void* ReallocMemory(void* block, uint32_t byteCount);
// Ignores null and constant pointers.
void FreeMemory(void* block);
// The fatal report of a refused allocation of byteCount bytes.
[[noreturn]] void ReportOutOfMemory(uint32_t byteCount);

// What the runtime heap holds now: blocks handed out and not freed, and their
// bytes. Counted only when the environment variable VELMORA_HEAP_STATISTICS is set.
struct HeapStatistics {
    int64_t liveBlocks;
    int64_t liveBytes;
    int64_t allocations;  // every allocation and resize since start
};
HeapStatistics RuntimeHeapStatistics();

// Blocks of constants (the program's constant block) that are never freed or
// resized. Added at start-up, before other threads run.
void AddConstantRange(const void* start, size_t size);
void RemoveConstantRange(const void* start);
// The end of the constant range holding p, or 0 when p is no constant pointer.
uintptr_t ConstantRangeEnd(const void* p);
inline bool IsConstantPointer(const void* p) { return ConstantRangeEnd(p) != 0; }

// Copies an array still pointing at its constant image into the heap.
void MakeArrayWritable(uint32_t elementSize, ArrayBlock** arrayVariable);

}  // namespace velmora
