// WinINet and the code-page conversions as the program reaches them: DLL
// commands, each call one machine word per argument, with the stack check.
#pragma once
#include <cstdint>
#include "program/dll_command_numbers.h"
#include "runtime/facade.h"

namespace velmora::web {

using Handle = uint32_t;

template <class... Words>
uint32_t CallDll(program::DllCommandNumber index, Words... words) {
    const uint32_t arguments[sizeof...(Words) + 1] = {static_cast<uint32_t>(words)...};
    return routine::rt().CallDllCommand(index, arguments, static_cast<int32_t>(sizeof...(Words)));
}

// A text or byte set goes as the address of its bytes, the empty one as null.
inline uint32_t Word(const char* text) { return reinterpret_cast<uint32_t>(text); }
inline uint32_t Word(const routine::Text& text) { return reinterpret_cast<uint32_t>(text.Get()); }
inline uint32_t Word(const routine::Bytes& bytes) { return reinterpret_cast<uint32_t>(bytes.Data()); }
template <class T>
uint32_t AddressOf(T* variable) {
    return reinterpret_cast<uint32_t>(variable);
}

}  // namespace velmora::web
