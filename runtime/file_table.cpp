#include "runtime/file_table.h"
#include "runtime/srw_locks.h"

namespace velmora {

FileTable& Files() {
    static FileTable table;
    return table;
}

int32_t FileTable::Register(std::unique_ptr<framework::FileObject> file, int32_t kind) {
    auto slot = std::make_shared<FileHold::Slot>();
    slot->file = std::move(file);
    ExclusiveLock guard(lock_);
    int32_t number = nextNumber_++;
    if (nextNumber_ <= 0) nextNumber_ = 1;
    entries_.push_back({number, kind, std::move(slot)});
    return number;
}

int32_t FileTable::Kind(int32_t fileNumber) const {
    SharedLock guard(lock_);
    for (const Entry& entry : entries_)
        if (entry.number == fileNumber) return entry.kind;
    return -1;
}

FileHold FileTable::Find(int32_t fileNumber) const {
    SharedLock guard(lock_);
    for (const Entry& entry : entries_) {
        if (entry.number != fileNumber) continue;
        bool free = false;
        if (!entry.slot->held.compare_exchange_strong(free, true)) return {};  // another thread holds it
        return FileHold(entry.slot);
    }
    return {};
}

bool FileTable::Unregister(int32_t fileNumber) {
    std::shared_ptr<FileHold::Slot> closing;  // closed after the lock is let go, unless it is held
    ExclusiveLock guard(lock_);
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].number == fileNumber) {
            closing = std::move(entries_[i].slot);
            entries_.erase(entries_.begin() + static_cast<ptrdiff_t>(i));
            return true;
        }
    }
    return false;
}

size_t FileTable::Count() const {
    SharedLock guard(lock_);
    return entries_.size();
}

}  // namespace velmora
