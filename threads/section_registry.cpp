#include "threads/section_registry.h"
#include <atomic>
#include <cstring>
#include <mutex>
#include "runtime/memory.h"

namespace velmora::threads {
namespace {

// Lookups walk the list without a lock; a new record is complete before it
// is published at the head, so a walk sees either the old or the new head.
std::atomic<SectionRecord*> head{nullptr};
std::mutex creating;

}  // namespace

SectionRecord* CreateSection() {
    auto* record = static_cast<SectionRecord*>(AllocMemory(sizeof(SectionRecord)));
    std::memset(record, 0, sizeof *record);
    InitializeCriticalSection(&record->section);
    std::lock_guard<std::mutex> guard(creating);
    record->next = head.load(std::memory_order_relaxed);
    head.store(record, std::memory_order_release);
    return record;
}

SectionRecord* FindSection(uint32_t handle) {
    if (handle == 0) return nullptr;
    for (SectionRecord* record = head.load(std::memory_order_acquire); record; record = record->next)
        if (reinterpret_cast<uint32_t>(record) == handle) return record;
    return nullptr;
}

void ReleaseSections(bool threadsStillRunning) {
    std::lock_guard<std::mutex> guard(creating);
    SectionRecord* record = head.exchange(nullptr, std::memory_order_acq_rel);
    if (threadsStillRunning) return;  // a running thread may hold or walk one: leave them be
    while (record) {
        SectionRecord* next = record->next;
        DeleteCriticalSection(&record->section);
        FreeMemory(record);
        record = next;
    }
}

}  // namespace velmora::threads
