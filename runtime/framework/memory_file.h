// The framework's file objects: a growable in-memory file, read and written
// like a disk file.
#pragma once
#include <cstdint>
#include <cstdlib>

namespace velmora::framework {

class FileObject {
public:
    enum Origin { Begin, Current, End };
    virtual ~FileObject() = default;
    virtual uint32_t Length() const = 0;
    virtual uint32_t Position() const = 0;
    // False when the new position would lie before the start.
    virtual bool Seek(int64_t offset, Origin origin) = 0;
    // The number of bytes read (fewer at the end of the file).
    virtual uint32_t Read(void* buffer, uint32_t count) = 0;
    // False when the storage cannot grow.
    virtual bool Write(const void* data, uint32_t count) = 0;
};

class MemoryFile final : public FileObject {
public:
    explicit MemoryFile(uint32_t growBy = 1024) : growBy_(growBy ? growBy : 1024) {}
    ~MemoryFile() override { std::free(data_); }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    uint32_t Length() const override { return length_; }
    uint32_t Position() const override { return position_; }
    uint32_t Capacity() const { return capacity_; }
    bool Seek(int64_t offset, Origin origin) override;
    uint32_t Read(void* buffer, uint32_t count) override;
    bool Write(const void* data, uint32_t count) override;

private:
    uint8_t* data_ = nullptr;
    uint32_t length_ = 0;
    uint32_t position_ = 0;
    uint32_t capacity_ = 0;
    uint32_t growBy_;
};

}  // namespace velmora::framework
