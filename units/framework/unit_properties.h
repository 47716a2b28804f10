// Reading and writing units' numbered properties: runtime interface
// operations 4 and 5. Work on live units happens on the window thread.
#pragma once
#include <windows.h>
#include <cstdint>

namespace velmora {

uint64_t ReadUnitProperty(uint32_t windowId, uint32_t unitId, int32_t property, int32_t subField);
void WriteUnitProperty(uint32_t windowId, uint32_t unitId, int32_t property, int32_t subField, uint32_t low,
                       uint32_t high);

// Property data types.
enum PropertyDataType : uint16_t {
    DataInteger = 1000,
    DataPosition = 1001,
    DataLong = 1002,
    DataLogical = 1003,
    DataLongOther = 1004,
    DataText = 1005,
    DataChoice = 1006,
    DataBytes = 1009,
    DataPicture = 1010,
    DataMousePointer = 1011,
    DataSound = 1012,
    DataFont = 1013,
    DataColour = 1014,
    DataColourOther = 1015,
    DataInteger2 = 1017,
    DataBytes2 = 1023,
    DataBytes3 = 1024,
};

// A program's copy of a property's text, in the runtime heap; null for the empty text.
char* CopyPropertyText(const char* text);

// The unit object of a window and unit, or null (Service::LiveUnit).
class UnitObject;
UnitObject* LiveUnit(uint32_t windowId, uint32_t unitId);
// The same, but a missing unit is the fatal error of Service::RequireUnit.
UnitObject* RequireLiveUnit(uint32_t windowId, uint32_t unitId);
// The cursor made for the unit's record (common property 7), or null when it
// has none or the record holds another object.
HCURSOR UnitCursor(const UnitObject* unit);

}  // namespace velmora
