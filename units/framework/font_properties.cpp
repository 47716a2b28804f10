#include "units/framework/font_properties.h"
#include <algorithm>
#include <cstddef>
#include <cstring>
#include "runtime/memory.h"
#include "runtime/platform_text.h"
#include "units/framework/dpi.h"
#include "units/framework/unit_properties.h"

namespace velmora {

LOGFONTA DefaultFontDescription() {
    LOGFONTW wide{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof wide, &wide);
    LOGFONTA font{};
    std::memcpy(&font, &wide, offsetof(LOGFONTA, lfFaceName));
    font.lfHeight = ScaleFromDpi(font.lfHeight, SystemDpi());
    font.lfWidth = ScaleFromDpi(font.lfWidth, SystemDpi());
    std::string face = TextFromWide(wide.lfFaceName);
    size_t keep = 0;  // whole characters only
    for (size_t at = 0; at < face.size();) {
        size_t width = (static_cast<uint8_t>(face[at]) & 0x80) ? 2 : 1;
        if (at + width > LF_FACESIZE - 1) break;
        keep = at += width;
    }
    std::memcpy(font.lfFaceName, face.c_str(), keep);
    return font;
}

std::string FontFaceName(const LOGFONTA& font) {
    return std::string(font.lfFaceName, strnlen(font.lfFaceName, LF_FACESIZE - 1));
}

uint64_t FontSubField(const LOGFONTA* font, int32_t subField) {
    LOGFONTA fallback;
    if (!font) {
        fallback = DefaultFontDescription();
        font = &fallback;
    }
    // Heights are template pixels, at 96 dots per inch whatever the screen's.
    int points = MulDiv(font->lfHeight < 0 ? -font->lfHeight : font->lfHeight, 72, TemplateDpi);
    switch (subField) {
        case 0: return static_cast<uint32_t>(font->lfEscapement);
        case 1: return font->lfWeight >= 700 ? 1 : 0;
        case 2: return font->lfItalic ? 1 : 0;
        case 3: return font->lfStrikeOut ? 1 : 0;
        case 4: return font->lfUnderline ? 1 : 0;
        case 5: return static_cast<uint32_t>(points);
        case 6: return reinterpret_cast<uint32_t>(CopyPropertyText(FontFaceName(*font).c_str()));
        default: {
            auto* record = static_cast<uint32_t*>(AllocMemory(28));
            for (int i = 0; i < 6; ++i) record[i] = static_cast<uint32_t>(FontSubField(font, i));
            record[6] = static_cast<uint32_t>(FontSubField(font, 6));
            return reinterpret_cast<uint32_t>(record);
        }
    }
}

void ApplyFontSubField(LOGFONTA& font, int32_t subField, uint32_t value) {
    switch (subField) {
        case 0: {
            int32_t angle = static_cast<int32_t>(value) % 3600;
            if (angle < 0) angle += 3600;
            font.lfEscapement = font.lfOrientation = angle;
            break;
        }
        case 1: font.lfWeight = value ? 700 : 0; break;
        case 2: font.lfItalic = value ? 1 : 0; break;
        case 3: font.lfStrikeOut = value ? 1 : 0; break;
        case 4: font.lfUnderline = value ? 1 : 0; break;
        case 5: {
            font.lfHeight = -MulDiv(static_cast<int32_t>(value), TemplateDpi, 72);
            break;
        }
        case 6: {
            const char* face = reinterpret_cast<const char*>(value);
            size_t length = face ? std::strlen(face) : 0;
            if (length >= 1 && length <= 31)
                std::memcpy(font.lfFaceName, face, length + 1);
            else
                std::strcpy(font.lfFaceName, "宋体");
            break;
        }
        default: break;
    }
}

}  // namespace velmora
