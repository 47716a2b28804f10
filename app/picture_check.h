// Whether a fetched body is a picture, and a whole one: its first bytes are
// a picture format's signature, and it ends as that format ends. The file is
// named ".jpg" whatever the format; viewers read the content.
#pragma once
#include <cstdint>

namespace velmora::app {

enum class PictureFormat { None, Jpeg, Png, Gif, WebP, Bmp };

// The format whose signature the body starts with.
PictureFormat FormatOf(const uint8_t* first, uint32_t length);

// Whether a body of `total` bytes, whose first and last bytes are given (as
// many as were kept), ends as its format ends: JPEG with its end-of-image
// marker (trailing zero bytes or blanks aside), PNG with its IEND chunk, GIF
// with its trailer, WebP and BMP at the size their header gives.
bool EndsWhole(PictureFormat format, const uint8_t* first, uint32_t firstLength, const uint8_t* last,
               uint32_t lastLength, uint64_t total);

}  // namespace velmora::app
