// Functions of the platform's libraries that the runtime needs only in some
// runs (WinINet for fetches, winmm for sounds), bound at first use so that a
// start which never fetches or plays loads neither. The program's own DLL
// commands have their table (dll_commands.h): their names come from the
// program header and a missing one is the program's fatal error.
//
// A library bound here stays loaded for the process's life: a worker may be
// inside one of its functions while the program ends.
#pragma once

namespace velmora {

// The function, or null when the library or the function is missing.
void* PlatformFunction(const char* library, const char* name);

template <class Function>
Function PlatformFunctionAs(const char* library, const char* name) {
    return reinterpret_cast<Function>(PlatformFunction(library, name));
}

}  // namespace velmora
