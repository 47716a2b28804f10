#include "runtime/find_file.h"
#include <windows.h>
#include <cstring>
#include <cwchar>
#include <string>
#include "runtime/memory.h"
#include "runtime/platform_text.h"

namespace velmora {

char* FindNextFileName(const char* pattern, uint32_t attributeFilter, bool filesOnly, uint32_t* findHandle) {
    constexpr DWORD filtered = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
    WIN32_FIND_DATAW found;
    auto search = reinterpret_cast<HANDLE>(*findHandle);
    bool more;
    if (!search) {
        search = FindFirstFileW(WideFromText(pattern).c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return nullptr;
        *findHandle = reinterpret_cast<uint32_t>(search);
        more = true;
    } else {
        more = FindNextFileW(search, &found) != 0;
    }
    for (; more; more = FindNextFileW(search, &found) != 0) {
        bool directory = found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
        if (directory && (filesOnly || !wcscmp(found.cFileName, L".") || !wcscmp(found.cFileName, L"..")))
            continue;
        if (found.dwFileAttributes & filtered & ~attributeFilter & ~FILE_ATTRIBUTE_DIRECTORY) continue;
        // Any name, whatever the code page holds: it comes back to the platform unchanged.
        std::string text = TextFromWide(found.cFileName);
        auto* name = static_cast<char*>(AllocMemory(static_cast<uint32_t>(text.size()) + 1));
        std::memcpy(name, text.c_str(), text.size() + 1);
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
