#include "runtime/find_file.h"
#include <windows.h>
#include <cstring>
#include "runtime/memory.h"

namespace velmora {

char* FindNextFileName(const char* pattern, uint32_t attributeFilter, bool filesOnly, uint32_t* findHandle) {
    constexpr DWORD filtered = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
    WIN32_FIND_DATAA found;
    auto search = reinterpret_cast<HANDLE>(*findHandle);
    bool more;
    if (!search) {
        search = FindFirstFileA(pattern ? pattern : "", &found);
        if (search == INVALID_HANDLE_VALUE) return nullptr;
        *findHandle = reinterpret_cast<uint32_t>(search);
        more = true;
    } else {
        more = FindNextFileA(search, &found) != 0;
    }
    for (; more; more = FindNextFileA(search, &found) != 0) {
        bool directory = found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
        if (directory && (filesOnly || !std::strcmp(found.cFileName, ".") || !std::strcmp(found.cFileName, "..")))
            continue;
        if (found.dwFileAttributes & filtered & ~attributeFilter & ~FILE_ATTRIBUTE_DIRECTORY) continue;
        size_t length = std::strlen(found.cFileName);
        auto* name = static_cast<char*>(AllocMemory(static_cast<uint32_t>(length) + 1));
        std::memcpy(name, found.cFileName, length + 1);
        return name;
    }
    FindClose(search);
    *findHandle = 0;
    return nullptr;
}

void EndFind(uint32_t findHandle) {
    if (findHandle) FindClose(reinterpret_cast<HANDLE>(findHandle));
}

}  // namespace velmora
