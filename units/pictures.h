// Icons and cursors made from in-memory icon and cursor files, and the
// mouse-pointer codes of units.
#pragma once
#include <windows.h>
#include <cstdint>

namespace velmora {

// The first image of an icon (or cursor) file, or null when the data is no
// such file. Width and height receive the image's size.
HICON IconFromFileData(const uint8_t* data, uint32_t size, bool cursor, int* width = nullptr, int* height = nullptr);

// A unit's cursor from its mouse-pointer block; null for no cursor.
HCURSOR MakeUnitCursor(const uint8_t* block, uint32_t size);
// Program-side pointer code 0-14 to the system cursor id and back (0 = none).
uint32_t SystemCursorOfCode(int32_t code);
int32_t CodeOfSystemCursor(uint32_t systemId);

}  // namespace velmora
