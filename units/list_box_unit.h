// The list box operations behind its unit methods.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>

namespace velmora {

std::string ListItemText(HWND window, int32_t index);
// -1 for an index below 0 or beyond the count; the new item's index otherwise.
int32_t ListInsertItem(HWND window, int32_t index, const char* text, uint32_t data);
// Replaces an item's text keeping its data, the selection, the top index and
// the caret; an equal text leaves the list untouched.
bool ListSetItemText(HWND window, int32_t index, const char* text);

}  // namespace velmora
