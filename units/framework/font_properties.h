// Font properties: the 60-byte font description a unit keeps, read and
// written by sub-field (0 angle, 1 bold, 2 italic, 3 strike-out, 4 underline,
// 5 size in points, 6 face name).
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>

namespace velmora {

// The face name of a 60-byte font description. Its 32-byte field need not end
// in a NUL; as the font made from it, the name has at most 31 bytes.
std::string FontFaceName(const LOGFONTA& font);
// One sub-field of a font property as read by a program (0-6; any other
// number gives the 28-byte record of all seven); null is the default font.
uint64_t FontSubField(const LOGFONTA* font, int32_t subField);
// The system's default GUI font as such a description (face in code page
// 936, heights in template pixels).
LOGFONTA DefaultFontDescription();
// Writes one sub-field into the description.
void ApplyFontSubField(LOGFONTA& font, int32_t subField, uint32_t value);

}  // namespace velmora
