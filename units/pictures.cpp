#include "units/pictures.h"
#include <algorithm>
#include "units/runtime_resources.h"
#include <cstring>
#include <vector>

namespace velmora {
namespace {

constexpr uint32_t systemCursors[15] = {0,     32512, 32515, 32513, 32514, 32651, 32650, 32648,
                                        32646, 32643, 32645, 32642, 32644, 32516, 32649};

uint16_t Word(const uint8_t* at) {
    uint16_t value;
    std::memcpy(&value, at, 2);
    return value;
}
uint32_t Dword(const uint8_t* at) {
    uint32_t value;
    std::memcpy(&value, at, 4);
    return value;
}

}  // namespace

HICON IconFromFileData(const uint8_t* data, uint32_t size, bool cursor, int* width, int* height) {
    // ICONDIR (6 bytes) then entries of 16 bytes: width, height, colours,
    // reserved, planes or hot-spot x, bit count or hot-spot y, size, offset.
    if (!data || size < 22 || Word(data) != 0 || Word(data + 2) == 0 || Word(data + 4) == 0) return nullptr;
    const uint8_t* entry = data + 6;
    uint32_t imageSize = Dword(entry + 8), offset = Dword(entry + 12);
    if (offset > size || imageSize > size - offset || imageSize < 40) return nullptr;
    int w = entry[0] ? entry[0] : 256, h = entry[1] ? entry[1] : 256;
    std::vector<uint8_t> image;
    if (cursor) {  // a cursor resource starts with its hot spot
        image.insert(image.end(), entry + 4, entry + 8);
    }
    image.insert(image.end(), data + offset, data + offset + imageSize);
    HICON icon = CreateIconFromResourceEx(image.data(), static_cast<DWORD>(image.size()), cursor ? FALSE : TRUE,
                                          0x00030000, w, h, LR_DEFAULTCOLOR);
    if (icon) {
        if (width) *width = w;
        if (height) *height = h;
    }
    return icon;
}

void DrawPicture(HDC dc, HICON picture, int width, int height, const RECT& area, uint32_t mode) {
    int areaWidth = area.right - area.left, areaHeight = area.bottom - area.top;
    if (!picture || width <= 0 || height <= 0 || areaWidth <= 0 || areaHeight <= 0) return;
    int saved = SaveDC(dc);
    IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
    switch (mode) {
        case 1:
            for (int y = area.top; y < area.bottom; y += height)
                for (int x = area.left; x < area.right; x += width)
                    DrawIconEx(dc, x, y, picture, width, height, 0, nullptr, DI_NORMAL);
            break;
        case 2: {
            double scale = 1.0;
            if (width > areaWidth || height > areaHeight)
                scale = std::min(static_cast<double>(areaWidth) / width, static_cast<double>(areaHeight) / height);
            int w = static_cast<int>(width * scale), h = static_cast<int>(height * scale);
            DrawIconEx(dc, area.left + (areaWidth - w) / 2, area.top + (areaHeight - h) / 2, picture, w, h, 0, nullptr,
                       DI_NORMAL);
            break;
        }
        case 3:
            DrawIconEx(dc, area.left, area.top, picture, areaWidth, areaHeight, 0, nullptr, DI_NORMAL);
            break;
        default:
            DrawIconEx(dc, area.left, area.top, picture, width, height, 0, nullptr, DI_NORMAL);
            break;
    }
    RestoreDC(dc, saved);
}

uint32_t SystemCursorOfCode(int32_t code) { return code >= 0 && code <= 14 ? systemCursors[code] : 0; }

int32_t CodeOfSystemCursor(uint32_t systemId) {
    for (int32_t code = 0; code <= 14; ++code)
        if (systemCursors[code] == systemId) return code;
    return static_cast<int32_t>(systemId);
}

HCURSOR MakeUnitCursor(const uint8_t* block, uint32_t size) {
    if (!block || size == 0) return nullptr;
    int32_t code = size >= 4 ? static_cast<int32_t>(Dword(block)) : static_cast<int8_t>(block[0]);
    if (size > 10 && code != -1)
        if (HCURSOR whole = IconFromFileData(block, size, true)) return whole;
    if (code == -1) return size > 4 ? IconFromFileData(block + 4, size - 4, true) : nullptr;
    // Codes 0-14 name system cursors; a block may also hold a system id itself.
    uint32_t system = SystemCursorOfCode(code);
    if (system == 0 && CodeOfSystemCursor(static_cast<uint32_t>(code)) != code) system = static_cast<uint32_t>(code);
    if (system == 0) return nullptr;
    // Shared cursors: copies, so every unit may destroy its own. The hand is
    // the runtime's (the system's only for a module without it).
    HCURSOR shared = nullptr;
    if (system == 32649) shared = LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(VELMORA_HAND_CURSOR));
    if (!shared) shared = LoadCursorA(nullptr, MAKEINTRESOURCEA(system));
    return shared ? CopyCursor(shared) : nullptr;
}

}  // namespace velmora
