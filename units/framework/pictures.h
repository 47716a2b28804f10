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
struct TileCache;
void DrawPicture(HDC dc, HICON picture, int width, int height, const RECT& area, uint32_t mode,
                 TileCache* tiles = nullptr);

// The block of tiles a tiled picture is drawn with, kept by its owner between
// paints: made once per picture and size (a picture at another DPI is
// another picture; its owner forgets the block when it replaces the picture).
struct TileCache {
    HICON picture = nullptr;
    int width = 0, height = 0;
    HICON block = nullptr;
    int blockWidth = 0, blockHeight = 0;
    void Forget() {
        if (block) DestroyIcon(block);
        picture = block = nullptr;
        width = height = blockWidth = blockHeight = 0;
    }
    TileCache() = default;
    TileCache(const TileCache&) = delete;
    TileCache& operator=(const TileCache&) = delete;
    ~TileCache() { Forget(); }
};

// A copy of an icon drawn at another size (a picture shown at a DPI other
// than the template's), or null when the platform cannot make one.
HICON ScaledIcon(HICON icon, int width, int height);

// A unit's cursor from its mouse-pointer block; null for no cursor.
HCURSOR MakeUnitCursor(const uint8_t* block, uint32_t size);
// Program-side pointer code 0-14 to the system cursor id and back (0 = none).
uint32_t SystemCursorOfCode(int32_t code);
int32_t CodeOfSystemCursor(uint32_t systemId);

}  // namespace velmora
