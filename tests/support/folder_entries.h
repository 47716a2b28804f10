// Walking a folder in the tests: every entry but "." and "..".
#pragma once
#include <windows.h>
#include <cstring>
#include <string>

namespace velmora::testing {

// Calls visit(found, path) for each entry of the folder.
template <class Visit>
void ForEachEntry(const std::string& folder, Visit visit) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (std::strcmp(found.cFileName, ".") != 0 && std::strcmp(found.cFileName, "..") != 0)
            visit(found, folder + "\\" + found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

}  // namespace velmora::testing
