#include "tests/units/pixels.h"
#include <cstdio>
#include <cstdlib>
#include <utility>
#include "units/stream_codec.h"

namespace velmora::testing {

Pixels::Pixels(int width, int height, COLORREF fill) : width_(width > 0 ? width : 1), height_(height > 0 ? height : 1) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -height_;  // top-down: row y starts at y * width
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<uint32_t*>(bits);
    dc_ = CreateCompatibleDC(nullptr);
    old_ = SelectObject(dc_, bitmap_);
    COLORREF previous = SetBkColor(dc_, fill);
    RECT whole = Whole();
    ExtTextOutA(dc_, 0, 0, ETO_OPAQUE, &whole, nullptr, 0, nullptr);
    SetBkColor(dc_, previous);
}

Pixels::Pixels(Pixels&& other) noexcept
    : width_(other.width_), height_(other.height_), dc_(std::exchange(other.dc_, nullptr)),
      bitmap_(std::exchange(other.bitmap_, nullptr)), old_(other.old_), bits_(std::exchange(other.bits_, nullptr)) {}

Pixels::~Pixels() {
    if (!dc_) return;
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
}

COLORREF Pixels::At(int x, int y) const {
    if (!bits_ || x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
    GdiFlush();
    uint32_t pixel = bits_[y * width_ + x];  // 0x00RRGGBB
    return RGB(pixel >> 16 & 0xFF, pixel >> 8 & 0xFF, pixel & 0xFF);
}

int Pixels::Count(COLORREF colour, const RECT& within) const {
    int count = 0;
    for (int y = within.top; y < within.bottom; ++y)
        for (int x = within.left; x < within.right; ++x) count += At(x, y) == colour;
    return count;
}

RECT Pixels::Bounds(COLORREF colour) const {
    RECT found{};
    bool any = false;
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) {
            if (At(x, y) != colour) continue;
            RECT pixel{x, y, x + 1, y + 1};
            if (any) UnionRect(&found, &found, &pixel);
            else found = pixel;
            any = true;
        }
    return found;
}

RECT Pixels::Runs(COLORREF colour, int length) const {
    RECT found{};
    bool any = false;
    for (int y = 0; y < height_; ++y)
        for (int x = 0, run = 0; x <= width_; ++x) {
            if (x < width_ && At(x, y) == colour) {
                ++run;
                continue;
            }
            if (run >= length) {
                RECT line{x - run, y, x, y + 1};
                if (any) UnionRect(&found, &found, &line);
                else found = line;
                any = true;
            }
            run = 0;
        }
    return found;
}

int Pixels::Differences(const Pixels& other) const {
    if (other.width_ != width_ || other.height_ != height_) return width_ * height_;
    int count = 0;
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) count += At(x, y) != other.At(x, y);
    return count;
}

void Pixels::CopyTo(const Pixels& target, int x, int y) const {
    BitBlt(target.Dc(), x, y, width_, height_, dc_, 0, 0, SRCCOPY);
}

bool Pixels::Save(const std::string& path) const {
    uint32_t stride = (static_cast<uint32_t>(width_) * 3 + 3) & ~3u;
    uint32_t imageSize = stride * static_cast<uint32_t>(height_);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof(BITMAPINFOHEADER);
    file.bfSize = file.bfOffBits + imageSize;
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width_;
    header.biHeight = height_;  // bottom-up, as viewers expect
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biSizeImage = imageSize;
    std::vector<uint8_t> rows(imageSize, 0);
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) {
            COLORREF pixel = At(x, y);
            uint8_t* at = &rows[(height_ - 1 - y) * stride + x * 3];
            at[0] = GetBValue(pixel), at[1] = GetGValue(pixel), at[2] = GetRValue(pixel);
        }
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    bool written = std::fwrite(&file, sizeof file, 1, out) == 1 && std::fwrite(&header, sizeof header, 1, out) == 1 &&
                   std::fwrite(rows.data(), 1, rows.size(), out) == rows.size();
    return std::fclose(out) == 0 && written;
}

Pixels Printed(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    Pixels pixels(client.right, client.bottom);
    SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(pixels.Dc()), PRF_CLIENT);
    return pixels;
}

Pixels Shown(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT client;
    GetClientRect(window, &client);
    Pixels pixels(client.right, client.bottom);
    HDC dc = GetDC(window);
    BitBlt(pixels.Dc(), 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
    ReleaseDC(window, dc);
    return pixels;
}

Pixels OwnerDrawn(HWND button, UINT state) {
    RECT client;
    GetClientRect(button, &client);
    Pixels pixels(client.right, client.bottom);
    auto id = static_cast<UINT>(GetDlgCtrlID(button));
    DRAWITEMSTRUCT item{ODT_BUTTON, id, 0, ODA_DRAWENTIRE, state, button, pixels.Dc(), client, 0};
    SendMessageA(GetParent(button), WM_DRAWITEM, id, reinterpret_cast<LPARAM>(&item));
    return pixels;
}

bool IsEmpty(const RECT& rect) { return rect.right <= rect.left || rect.bottom <= rect.top; }

RECT Offset(RECT rect, int dx, int dy) {
    OffsetRect(&rect, dx, dy);
    return rect;
}

std::vector<uint8_t> FontBlock(int height, bool underline, int weight, const char* face) {
    LOGFONTA font{};
    font.lfHeight = height;
    font.lfWeight = weight;
    font.lfUnderline = underline;
    lstrcpynA(font.lfFaceName, face, LF_FACESIZE);
    static_assert(sizeof font == 60);
    const auto* bytes = reinterpret_cast<const uint8_t*>(&font);
    return {bytes, bytes + sizeof font};
}

std::vector<uint8_t> SolidIcon(int size, COLORREF colour) {
    uint32_t maskRow = (static_cast<uint32_t>(size) + 31) / 32 * 4;
    uint32_t imageBytes = 40 + 4 * size * size + maskRow * size;
    StreamWriter file;
    for (uint16_t word : {0, 1, 1}) file.Word(word);
    file.Word(static_cast<uint16_t>(size | size << 8));
    file.Word(0);
    file.Word(1);
    file.Word(32);
    file.Dword(imageBytes);
    file.Dword(22);
    for (uint32_t field : {40u, uint32_t(size), uint32_t(2 * size)}) file.Dword(field);
    file.Word(1);
    file.Word(32);
    for (uint32_t field : {0u, imageBytes - 40, 0u, 0u, 0u, 0u}) file.Dword(field);
    for (int i = 0; i < size * size; ++i) file.Dword(0xFF000000 | GetRValue(colour) << 16 | GetGValue(colour) << 8 | GetBValue(colour));
    file.bytes.resize(file.bytes.size() + maskRow * size, 0);
    return file.bytes;
}

void SaveShot(const Pixels& pixels, const char* name) {
    const char* folder = std::getenv("VELMORA_DRAWING_SHOTS");
    if (!folder || !*folder) return;
    std::string path = std::string(folder) + "\\" + name + ".bmp";
    if (!pixels.Save(path)) std::fprintf(stderr, "could not save %s\n", path.c_str());
}

}  // namespace velmora::testing
