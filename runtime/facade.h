// A small typed layer over the runtime interface for the program's routines:
// owned texts and byte sets that free through FreeMemory, argument-record
// builders, and optional parameters with their given state. It adds no
// behaviour; everything still goes through the runtime interface.
#pragma once
#include <cstdint>
#include <cstring>
#include <utility>
#include "runtime/calling.h"
#include "runtime/runtime_interface.h"
#include "runtime/value.h"

namespace velmora {

// Every program provides these two in its constant block: arguments are never null.
extern const char* const programEmptyText;
extern const ByteSetBlock* const programEmptyByteSet;

namespace routine {

inline const RuntimeInterface& rt() { return Runtime(); }

// A text variable: owns its block (or points at a literal, which FreeMemory ignores).
class Text {
public:
    Text() = default;
    explicit Text(char* owned) : text_(owned) {}
    static Text FromResult(const ValueRecord& result) { return Text(reinterpret_cast<char*>(result.low)); }
    Text(Text&& other) noexcept : text_(std::exchange(other.text_, nullptr)) {}
    Text& operator=(Text&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.text_, nullptr));
        return *this;
    }
    Text(const Text&) = delete;
    Text& operator=(const Text&) = delete;
    ~Text() { rt().FreeMemory(text_); }

    // Stores a new block; the old one is freed after the new value exists.
    void Reset(char* owned) {
        char* old = text_;
        text_ = owned;
        rt().FreeMemory(old);
    }
    char* Release() { return std::exchange(text_, nullptr); }
    const char* Get() const { return text_; }
    // The pointer to pass as an argument: never null.
    const char* Arg() const { return text_ ? text_ : programEmptyText; }
    uint32_t Length() const { return text_ ? static_cast<uint32_t>(std::strlen(text_)) : 0; }
    bool Empty() const { return Length() == 0; }
    char** Address() { return &text_; }

private:
    char* text_ = nullptr;
};

// A byte-set variable.
class Bytes {
public:
    Bytes() = default;
    explicit Bytes(ByteSetBlock* owned) : bytes_(owned) {}
    static Bytes FromResult(const ValueRecord& result) {
        return Bytes(reinterpret_cast<ByteSetBlock*>(result.low));
    }
    Bytes(Bytes&& other) noexcept : bytes_(std::exchange(other.bytes_, nullptr)) {}
    Bytes& operator=(Bytes&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.bytes_, nullptr));
        return *this;
    }
    Bytes(const Bytes&) = delete;
    Bytes& operator=(const Bytes&) = delete;
    ~Bytes() { rt().FreeMemory(bytes_); }

    void Reset(ByteSetBlock* owned) {
        ByteSetBlock* old = bytes_;
        bytes_ = owned;
        rt().FreeMemory(old);
    }
    ByteSetBlock* Release() { return std::exchange(bytes_, nullptr); }
    const ByteSetBlock* Get() const { return bytes_; }
    const ByteSetBlock* Arg() const { return bytes_ ? bytes_ : programEmptyByteSet; }
    uint32_t Length() const { return ByteSetLengthOrZero(bytes_); }
    const uint8_t* Data() const { return bytes_ ? bytes_->data() : nullptr; }
    ByteSetBlock** Address() { return &bytes_; }

private:
    ByteSetBlock* bytes_ = nullptr;
};

// An optional routine parameter: its value and whether the caller gave it.
template <class T>
struct Optional {
    T value{};
    bool given = false;
    Optional() = default;
    Optional(T v) : value(std::move(v)), given(true) {}  // NOLINT: implicit, as callers write it
};

// Argument records.
inline ValueRecord Omitted() { return {0, 0, Type::None}; }
inline ValueRecord IntArg(int32_t value) { return {static_cast<uint32_t>(value), 0, Type::Integer}; }
inline ValueRecord BoolArg(bool value) { return {value ? 1u : 0u, 0, Type::Logical}; }
inline ValueRecord TextArg(const char* text) {
    return {reinterpret_cast<uint32_t>(text ? text : programEmptyText), 0, Type::Text};
}
inline ValueRecord TextArg(const Text& text) { return TextArg(text.Arg()); }
inline ValueRecord BytesArg(const ByteSetBlock* bytes) {
    return {reinterpret_cast<uint32_t>(bytes ? bytes : programEmptyByteSet), 0, Type::ByteSet};
}
inline ValueRecord BytesArg(const Bytes& bytes) { return BytesArg(bytes.Arg()); }
template <class T>
ValueRecord OptionalIntArg(const Optional<T>& value) {
    return value.given ? IntArg(static_cast<int32_t>(value.value)) : Omitted();
}

// A text's pointer for joining: literals, text variables and null alike.
inline const char* TextPointer(const char* text) { return text; }
inline const char* TextPointer(const Text& text) { return text.Get(); }

// Calls a core command with the argument records written out.
template <class... Records>
ValueRecord Core(Command command, Records... records) {
    ValueRecord arguments[sizeof...(Records) + 1] = {records...};
    return rt().CallCoreCommand(command, static_cast<int32_t>(sizeof...(Records)), arguments);
}

inline ValueRecord Library(Command command, int32_t library) {
    ValueRecord none[1] = {};
    return rt().CallLibraryCommand(command, library, 0, none);
}
template <class... Records>
ValueRecord Library(Command command, int32_t library, Records... records) {
    ValueRecord arguments[sizeof...(Records) + 1] = {records...};
    return rt().CallLibraryCommand(command, library, static_cast<int32_t>(sizeof...(Records)), arguments);
}

inline uint32_t CallProgramService(int32_t service, uint32_t a1 = 0, uint32_t a2 = 0, uint32_t a3 = 0,
                               uint32_t a4 = 0, uint32_t a5 = 0) {
    return rt().CallProgramService(service, a1, a2, a3, a4, a5);
}

}  // namespace routine
}  // namespace velmora
