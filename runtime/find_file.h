// Program services 0 and 1: walking the files that match a pattern.
#pragma once
#include <cstdint>

namespace velmora {

// The next matching name as a new heap text, or null when none is left (the
// search is then closed and the handle variable cleared). A null handle
// variable starts a new search. Directories are skipped when filesOnly is
// set, and entries whose attributes hold bits outside attributeFilter
// (hidden, system, directory) are skipped.
char* FindNextFileName(const char* pattern, uint32_t attributeFilter, bool filesOnly, uint32_t* findHandle);
void EndFind(uint32_t findHandle);

}  // namespace velmora
