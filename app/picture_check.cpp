#include "app/picture_check.h"
#include <cstring>

namespace velmora::app {
namespace {

bool StartsWith(const uint8_t* bytes, uint32_t length, const char* signature, uint32_t size, uint32_t at = 0) {
    return length >= at + size && std::memcmp(bytes + at, signature, size) == 0;
}

uint32_t LittleEndian32(const uint8_t* at) {
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 | static_cast<uint32_t>(at[2]) << 16 |
           static_cast<uint32_t>(at[3]) << 24;
}

}  // namespace

PictureFormat FormatOf(const uint8_t* first, uint32_t length) {
    if (StartsWith(first, length, "\xFF\xD8\xFF", 3)) return PictureFormat::Jpeg;
    if (StartsWith(first, length, "\x89PNG\r\n\x1A\n", 8)) return PictureFormat::Png;
    if (StartsWith(first, length, "GIF87a", 6) || StartsWith(first, length, "GIF89a", 6)) return PictureFormat::Gif;
    if (StartsWith(first, length, "RIFF", 4) && StartsWith(first, length, "WEBP", 4, 8)) return PictureFormat::WebP;
    if (StartsWith(first, length, "BM", 2) && length >= 6) return PictureFormat::Bmp;
    return PictureFormat::None;
}

bool EndsWhole(PictureFormat format, const uint8_t* first, uint32_t firstLength, const uint8_t* last,
               uint32_t lastLength, uint64_t total) {
    switch (format) {
        case PictureFormat::Jpeg: {
            // Some servers and tools pad a picture after its end.
            uint32_t end = lastLength;
            while (end > 0 && (last[end - 1] == 0 || last[end - 1] == ' ' || last[end - 1] == '\r' ||
                               last[end - 1] == '\n' || last[end - 1] == '\t'))
                --end;
            return end >= 2 && last[end - 2] == 0xFF && last[end - 1] == 0xD9;
        }
        case PictureFormat::Png:
            return lastLength >= 12 &&
                   std::memcmp(last + lastLength - 12, "\0\0\0\0IEND\xAE\x42\x60\x82", 12) == 0;
        case PictureFormat::Gif:
            return lastLength >= 1 && last[lastLength - 1] == 0x3B;
        case PictureFormat::WebP:  // "RIFF", the size of what follows it, "WEBP"
            return firstLength >= 8 && uint64_t{LittleEndian32(first + 4)} + 8 == total;
        case PictureFormat::Bmp:  // "BM", then the file's size
            return firstLength >= 6 && uint64_t{LittleEndian32(first + 2)} == total;
        default:
            return false;
    }
}

}  // namespace velmora::app
