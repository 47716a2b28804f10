// The runtime's table of files opened by commands, by file number.
#pragma once
#include <windows.h>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>
#include "runtime/framework/memory_file.h"

namespace velmora {

constexpr int32_t FileKindMemory = 2;

// A file as one command holds it. One thread at a time: while a hold lives,
// every other Find of the file is refused (an empty hold), so no two threads
// ever work on one memory file at once and the commands take no lock of their
// own. The file outlives its table entry while it is held.
class FileHold {
public:
    FileHold() = default;
    FileHold(FileHold&& other) noexcept : slot_(std::move(other.slot_)) {}
    FileHold& operator=(FileHold&& other) noexcept {
        if (this != &other) {
            Release();
            slot_ = std::move(other.slot_);
        }
        return *this;
    }
    FileHold(const FileHold&) = delete;
    FileHold& operator=(const FileHold&) = delete;
    ~FileHold() { Release(); }
    explicit operator bool() const { return slot_ != nullptr; }
    framework::FileObject* get() const { return slot_ ? slot_->file.get() : nullptr; }
    framework::FileObject* operator->() const { return get(); }

private:
    friend class FileTable;
    struct Slot {
        std::unique_ptr<framework::FileObject> file;
        std::atomic<bool> held{false};
    };
    explicit FileHold(std::shared_ptr<Slot> slot) : slot_(std::move(slot)) {}
    void Release() {
        if (slot_) slot_->held = false;
        slot_.reset();
    }
    std::shared_ptr<Slot> slot_;
};

class FileTable {
public:
    FileTable() { InitializeSRWLock(&lock_); }
    // Takes the file over and returns its new file number.
    int32_t Register(std::unique_ptr<framework::FileObject> file, int32_t kind);
    // The entry's kind, or -1 when the number is not registered.
    int32_t Kind(int32_t fileNumber) const;
    // The file held for the caller (FileHold above); empty when the number is
    // not registered or another thread holds the file now. A thread that
    // closes the number meanwhile only takes it out of the table; it is closed
    // when the hold goes.
    FileHold Find(int32_t fileNumber) const;
    // Removes the file and closes it unless someone still uses it; true when it was registered.
    bool Unregister(int32_t fileNumber);
    // How many files are open.
    size_t Count() const;

private:
    struct Entry {
        int32_t number;
        int32_t kind;
        std::shared_ptr<FileHold::Slot> slot;
    };
    // Workers look files up while the dispatcher registers new ones.
    mutable SRWLOCK lock_;
    std::vector<Entry> entries_;
    int32_t nextNumber_ = 1;
};

FileTable& Files();

}  // namespace velmora
