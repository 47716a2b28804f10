#include "units/framework/window_map.h"

namespace velmora {

bool WindowTemplate::Record(uint32_t index, UnitRecordRef& out) {
    if (index >= unitCount) return false;
    uint32_t base = 8 * unitCount;
    uint32_t offset = ReadDword(unitTable.data() + 4 * (unitCount + index));
    uint8_t* lengthField = unitTable.data() + base + offset;
    out.length = ReadDword(lengthField);
    out.data = lengthField + 4;
    out.id = RecordId(index);
    return ParseUnitRecord(out.data, out.length, out.id, out.layout);
}

int32_t WindowTemplate::IndexOf(uint32_t unitId) const {
    if (unitCount == 0) return -1;
    if (unitId == 0 || unitId == RecordId(0)) return 0;
    if (!IsValidId(unitId)) return -1;
    for (uint32_t i = 1; i < unitCount; ++i)
        if (RecordId(i) == unitId) return static_cast<int32_t>(i);
    return -1;
}

void WindowTemplate::SpliceRecord(uint32_t index, uint32_t offset, uint32_t removed, const void* inserted,
                                  uint32_t insertedLength) {
    uint32_t base = 8 * unitCount;
    uint32_t recordOffset = ReadDword(unitTable.data() + 4 * (unitCount + index));
    size_t at = base + recordOffset + 4 + offset;
    uint32_t length = ReadDword(unitTable.data() + base + recordOffset);
    unitTable.erase(unitTable.begin() + static_cast<ptrdiff_t>(at), unitTable.begin() + static_cast<ptrdiff_t>(at + removed));
    const auto* bytes = static_cast<const uint8_t*>(inserted);
    unitTable.insert(unitTable.begin() + static_cast<ptrdiff_t>(at), bytes, bytes + insertedLength);
    WriteDword(unitTable.data() + base + recordOffset, length - removed + insertedLength);
    int64_t shift = static_cast<int64_t>(insertedLength) - removed;
    for (uint32_t i = 0; i < unitCount; ++i) {
        uint32_t other = ReadDword(unitTable.data() + 4 * (unitCount + i));
        if (other > recordOffset) WriteDword(unitTable.data() + 4 * (unitCount + i), static_cast<uint32_t>(other + shift));
    }
}

WindowMap& ProgramWindows() {
    // Never destroyed: workers may look a window up while the process ends.
    static WindowMap* windows = new WindowMap;
    return *windows;
}

}  // namespace velmora
