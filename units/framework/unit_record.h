// Unit records of a form template: where each field of a record lies. Every
// offset is checked against the record's length before it is used.
#pragma once
#include <cstdint>
#include <cstring>

namespace velmora {

// A menu item's id has 6 in bits 24-27 and 2 in bits 28-31.
constexpr bool IsMenuItemId(uint32_t id) { return (id >> 24) == 0x26; }
// Low 24 bits and bits 24-27 non-zero.
constexpr bool IsValidId(uint32_t id) { return (id & 0x00FFFFFF) != 0 && (id & 0x0F000000) != 0; }

enum UnitFlag : uint32_t { UnitVisible = 1, UnitDisabled = 2, UnitTabStop = 4 };

// Offsets from the start of a record (after its length dword).
struct UnitRecordLayout {
    bool menuItem = false;
    uint32_t nameOffset = 0;
    uint32_t objectOffset = 0;         // unit object (unit layout only, like the rest below)
    uint32_t rectOffset = 0;           // left, top, width, height
    uint32_t cursorOffset = 0;
    uint32_t containerOffset = 0;
    uint32_t childListOffset = 0;      // count G, then G ids
    uint32_t mousePointerOffset = 0;   // byte block
    uint32_t tagOffset = 0;
    uint32_t flagsOffset = 0;
    uint32_t eventCountOffset = 0;     // count E, then E pairs {event, handler}
    uint32_t streamOffset = 0;
    // Menu items: the caption and the one handler.
    uint32_t menuFlagsOffset = 0;
    uint32_t menuCaptionOffset = 0;
    uint32_t menuHandlerOffset = 0;
};

// False when the record is too short or a length inside it runs past its end.
bool ParseUnitRecord(const uint8_t* record, uint32_t length, uint32_t id, UnitRecordLayout& layout);

inline uint32_t ReadDword(const uint8_t* at) {
    uint32_t value;
    std::memcpy(&value, at, 4);
    return value;
}
inline void WriteDword(uint8_t* at, uint32_t value) { std::memcpy(at, &value, 4); }

}  // namespace velmora
