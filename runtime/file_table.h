// The runtime's table of files opened by commands, by file number.
#pragma once
#include <windows.h>
#include <cstdint>
#include <memory>
#include <vector>
#include "runtime/framework/memory_file.h"

namespace velmora {

constexpr int32_t FileKindMemory = 2;

class FileTable {
public:
    FileTable() { InitializeSRWLock(&lock_); }
    // Takes the file over and returns its new file number.
    int32_t Register(std::unique_ptr<framework::FileObject> file, int32_t kind);
    // The entry's kind, or -1 when the number is not registered.
    int32_t Kind(int32_t fileNumber) const;
    // The file, or null when the number is not registered. The caller shares
    // the file: a thread that closes the number meanwhile only takes it out of
    // the table, and it is closed when its last user lets go.
    std::shared_ptr<framework::FileObject> Find(int32_t fileNumber) const;
    // Removes the file and closes it unless someone still uses it; true when it was registered.
    bool Unregister(int32_t fileNumber);
    // How many files are open.
    size_t Count() const;

private:
    struct Entry {
        int32_t number;
        int32_t kind;
        std::shared_ptr<framework::FileObject> file;
    };
    // Workers look files up while the dispatcher registers new ones.
    mutable SRWLOCK lock_;
    std::vector<Entry> entries_;
    int32_t nextNumber_ = 1;
};

FileTable& Files();

}  // namespace velmora
