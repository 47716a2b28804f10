#include "units/framework/pictures.h"
#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>
#include "units/framework/gdi_scope.h"
#include "units/framework/runtime_resources.h"

namespace velmora {
namespace {

// The platform's shared cursors by resource id (its IDC_ names are pointers, no constants).
enum SystemCursorId : uint32_t {
    Arrow = 32512, IBeam = 32513, Wait = 32514, Cross = 32515, UpArrow = 32516, SizeNwse = 32642, SizeNesw = 32643,
    SizeWe = 32644, SizeNs = 32645, SizeAll = 32646, No = 32648, Hand = 32649, AppStarting = 32650, Help = 32651,
};

// Mouse-pointer codes 1-14 (0 is the class's own cursor).
constexpr uint32_t systemCursors[] = {0,       Arrow,   Cross,    IBeam,  Wait,   Help,     AppStarting, No,
                                      SizeAll, SizeNesw, SizeNs, SizeNwse, SizeWe, UpArrow, Hand};
static_assert(std::size(systemCursors) == 15);

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

// Whether an icon file's image is one the platform may be handed: the
// platform trusts the header of a device-independent bitmap (a lying one
// reads past the data or divides by zero), so the header must describe a
// plausible image whose pixels and mask all lie within the image's bytes.
// PNG images are the platform's own decoder's to check.
bool PlausibleImage(const uint8_t* image, uint32_t size) {
    static const uint8_t png[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (size >= 8 && std::memcmp(image, png, 8) == 0) return true;
    if (size < 40) return false;
    uint32_t header = Dword(image), compression = Dword(image + 16), used = Dword(image + 32);
    auto width = static_cast<int32_t>(Dword(image + 4)), height = static_cast<int32_t>(Dword(image + 8));
    uint16_t planes = Word(image + 12), bits = Word(image + 14);
    // The height counts the colour rows and the mask's rows.
    if (header < 40 || header > size || width < 1 || width > 256 || height < 2 || height > 512 || height % 2 ||
        planes != 1)
        return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
    bool bitFields = compression == BI_BITFIELDS && (bits == 16 || bits == 32);
    if (compression != BI_RGB && !bitFields) return false;
    if (used > 256 || (bits <= 8 && used > (1u << bits))) return false;
    uint64_t colours = bits <= 8 && used == 0 ? (1u << bits) : used;
    uint64_t rows = static_cast<uint32_t>(height / 2);
    uint64_t colourStride = (static_cast<uint64_t>(width) * bits + 31) / 32 * 4;
    uint64_t maskStride = (static_cast<uint64_t>(width) + 31) / 32 * 4;
    uint64_t needed = header + (bitFields && header == 40 ? 12 : 0) + 4 * colours + (colourStride + maskStride) * rows;
    return needed <= size;
}

// A small picture repeated into one tile of at least blockSide pixels each
// way (its colour and mask bitmaps copied side by side), so a one-pixel icon
// tiles a screen in a few hundred draws rather than a million. Null when the
// picture is large already or its bitmaps cannot be read.
constexpr int blockSide = 64;

HICON TiledBlock(HDC dc, HICON picture, int width, int height, int* blockWidth, int* blockHeight) {
    if (width >= blockSide && height >= blockSide) return nullptr;
    ICONINFO info{};
    if (!GetIconInfo(picture, &info)) return nullptr;
    HICON block = nullptr;
    int across = (blockSide + width - 1) / width, down = (blockSide + height - 1) / height;
    int bigWidth = width * across, bigHeight = height * down;
    auto readPixels = [&](HBITMAP bitmap, std::vector<uint32_t>& pixels) {
        BITMAPINFO format{};
        format.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        pixels.resize(static_cast<size_t>(width) * height);
        return bitmap && GetDIBits(dc, bitmap, 0, height, pixels.data(), &format, DIB_RGB_COLORS) == height;
    };
    std::vector<uint32_t> colour, mask;
    // A monochrome icon keeps image and mask in one bitmap: left to the plain tiles.
    if (readPixels(info.hbmColor, colour) && readPixels(info.hbmMask, mask)) {
        BITMAPINFO format{};
        format.bmiHeader = {sizeof(BITMAPINFOHEADER), bigWidth, -bigHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        HBITMAP bigColour = CreateDIBSection(dc, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
        size_t maskStride = (static_cast<size_t>(bigWidth) + 15) / 16 * 2;  // rows of whole words
        std::vector<uint8_t> maskBits(maskStride * bigHeight);
        if (bigColour) {
            auto* to = static_cast<uint32_t*>(bits);
            for (int y = 0; y < bigHeight; ++y)
                for (int x = 0; x < bigWidth; ++x) {
                    size_t from = static_cast<size_t>(y % height) * width + x % width;
                    to[static_cast<size_t>(y) * bigWidth + x] = colour[from];
                    if (mask[from] & 0xFFFFFF) maskBits[y * maskStride + x / 8] |= 0x80 >> (x % 8);
                }
            HBITMAP bigMask = CreateBitmap(bigWidth, bigHeight, 1, 1, maskBits.data());
            ICONINFO made{TRUE, 0, 0, bigMask, bigColour};
            if (bigMask) block = CreateIconIndirect(&made);
            if (bigMask) DeleteObject(bigMask);
            DeleteObject(bigColour);
        }
    }
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    if (block) *blockWidth = bigWidth, *blockHeight = bigHeight;
    return block;
}

// Tiles from the area's top-left corner, drawn only where they meet the clip
// box: a unit far larger than the screen costs what its visible part costs.
void DrawTiles(HDC dc, HICON picture, int width, int height, const RECT& area, TileCache* tiles) {
    RECT clip{};
    int region = GetClipBox(dc, &clip);
    if ((region != SIMPLEREGION && region != COMPLEXREGION) || clip.right <= clip.left || clip.bottom <= clip.top)
        return;
    HICON block = nullptr;
    bool kept = false;
    if (tiles && tiles->picture == picture && tiles->width == width && tiles->height == height && tiles->block) {
        block = tiles->block;
        width = tiles->blockWidth;
        height = tiles->blockHeight;
        kept = true;
    } else {
        int pictureWidth = width, pictureHeight = height;
        block = TiledBlock(dc, picture, width, height, &width, &height);
        if (tiles && block) {
            tiles->Forget();
            tiles->picture = picture;
            tiles->width = pictureWidth;
            tiles->height = pictureHeight;
            tiles->block = block;
            tiles->blockWidth = width;
            tiles->blockHeight = height;
            kept = true;
        }
    }
    HICON tile = block ? block : picture;
    int firstX = area.left + std::max(0L, clip.left - area.left) / width * width;
    int firstY = area.top + std::max(0L, clip.top - area.top) / height * height;
    for (int y = firstY; y < clip.bottom; y += height)
        for (int x = firstX; x < clip.right; x += width) DrawIconEx(dc, x, y, tile, width, height, 0, nullptr, DI_NORMAL);
    if (block && !kept) DestroyIcon(block);
}

}  // namespace

HICON IconFromFileData(const uint8_t* data, uint32_t size, bool cursor, int* width, int* height) {
    // ICONDIR (6 bytes) then entries of 16 bytes: width, height, colours,
    // reserved, planes or hot-spot x, bit count or hot-spot y, size, offset.
    if (!data || size < 22 || Word(data) != 0 || Word(data + 2) == 0 || Word(data + 4) == 0) return nullptr;
    const uint8_t* entry = data + 6;
    uint32_t imageSize = Dword(entry + 8), offset = Dword(entry + 12);
    if (offset > size || imageSize > size - offset || !PlausibleImage(data + offset, imageSize)) return nullptr;
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

void DrawPicture(HDC dc, HICON picture, int width, int height, const RECT& area, uint32_t mode, TileCache* tiles) {
    int areaWidth = area.right - area.left, areaHeight = area.bottom - area.top;
    if (!picture || width <= 0 || height <= 0 || areaWidth <= 0 || areaHeight <= 0) return;
    SavedDcState asFound(dc);
    IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
    switch (mode) {
        case 1:
            DrawTiles(dc, picture, width, height, area, tiles);
            break;
        case 2: {
            double scale = 1.0;
            if (width > areaWidth || height > areaHeight)
                scale = std::min(static_cast<double>(areaWidth) / width, static_cast<double>(areaHeight) / height);
            // At least a pixel: a zero size would draw the picture at its own size.
            int w = std::max(1, static_cast<int>(width * scale)), h = std::max(1, static_cast<int>(height * scale));
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
}

HICON ScaledIcon(HICON icon, int width, int height) {
    if (!icon || width <= 0 || height <= 0) return nullptr;
    return static_cast<HICON>(CopyImage(icon, IMAGE_ICON, width, height, 0));
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
    if (system == Hand) shared = LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(VELMORA_HAND_CURSOR));
    if (!shared) shared = LoadCursorW(nullptr, MAKEINTRESOURCEW(system));
    return shared ? CopyCursor(shared) : nullptr;
}

}  // namespace velmora
