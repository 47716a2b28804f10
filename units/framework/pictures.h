// Icons and cursors made from in-memory icon and cursor files, and the
// mouse-pointer codes of units.
#pragma once
#include <windows.h>
#include <cstdint>

namespace velmora {

// The first image of an icon (or cursor) file, or null when the data is no
// such file. Width and height receive the image's size.
HICON IconFromFileData(const uint8_t* data, uint32_t size, bool cursor, int* width = nullptr, int* height = nullptr);

// Draws an icon picture into an area by picture mode: 0 at the top-left
// corner in its own size, 1 tiled, 2 centred (scaled down to fit), 3
// stretched. Tiles past the area's right and bottom edges are cut off.
void DrawPicture(HDC dc, HICON picture, int width, int height, const RECT& area, uint32_t mode);

// A copy of an icon drawn at another size (a picture shown at a DPI other
// than the template's), or null when the platform cannot make one.
HICON ScaledIcon(HICON icon, int width, int height);

// A unit's cursor from its mouse-pointer block; null for no cursor.
HCURSOR MakeUnitCursor(const uint8_t* block, uint32_t size);
// Program-side pointer code 0-14 to the system cursor id and back (0 = none).
uint32_t SystemCursorOfCode(int32_t code);
int32_t CodeOfSystemCursor(uint32_t systemId);

}  // namespace velmora
