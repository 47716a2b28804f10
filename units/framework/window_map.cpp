#include "units/framework/window_map.h"
#include <utility>
#include <vector>

namespace velmora {

bool WindowTemplate::Record(uint32_t index, UnitRecordRef& out) {
    if (index >= unitCount) return false;
    uint32_t base = 8 * unitCount;
    uint64_t offset = ReadDword(unitTable.data() + 4 * (unitCount + index));
    // A record, or its length, outside the table is damage: no record.
    if (base + offset + 4 > unitTable.size()) return false;
    uint8_t* lengthField = unitTable.data() + base + offset;
    out.length = ReadDword(lengthField);
    if (out.length > unitTable.size() - base - offset - 4) return false;
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
    if (index >= unitCount) return;
    const uint64_t base = 8ull * unitCount, size = unitTable.size();
    auto offsetOf = [&](uint32_t i) { return ReadDword(unitTable.data() + 4 * (unitCount + i)); };
    const uint64_t lengthAt = base + offsetOf(index);
    // A record, or a part of it, outside the table is damage: nothing changes.
    if (base > size || lengthAt + 4 > size) return;
    const uint64_t length = ReadDword(unitTable.data() + lengthAt);
    if (length > size - lengthAt - 4 || offset > length || removed > length - offset) return;
    const uint64_t at = lengthAt + 4 + offset;
    // Every other record before the change: where it starts, how long it is.
    // One that starts inside the removed bytes, or ends inside them, would
    // be cut apart: damage, refused.
    std::vector<std::pair<uint64_t, uint64_t>> before(unitCount);
    for (uint32_t i = 0; i < unitCount; ++i) {
        uint64_t start = base + offsetOf(i);
        before[i] = {start, start + 4 <= size ? ReadDword(unitTable.data() + start) : 0};
        uint64_t end = start + 4 + before[i].second;
        if (i != index && ((start >= at && start < at + removed) || (start < at && end > at && end < at + removed)))
            return;
    }
    const uint64_t recordEnd = lengthAt + 4 + length;
    unitTable.erase(unitTable.begin() + static_cast<ptrdiff_t>(at), unitTable.begin() + static_cast<ptrdiff_t>(at + removed));
    const auto* bytes = static_cast<const uint8_t*>(inserted);
    unitTable.insert(unitTable.begin() + static_cast<ptrdiff_t>(at), bytes, bytes + insertedLength);
    const int64_t shift = static_cast<int64_t>(insertedLength) - removed;
    for (uint32_t i = 0; i < unitCount; ++i) {
        auto [start, otherLength] = before[i];
        if (i == index) {
            WriteDword(unitTable.data() + start, static_cast<uint32_t>(length + shift));
        } else if (start >= at + removed) {
            // After the change: it moves.
            WriteDword(unitTable.data() + 4 * (unitCount + i), static_cast<uint32_t>(offsetOf(i) + shift));
        } else if (start < lengthAt && start + 4 + otherLength >= recordEnd) {
            // Around it (a record nested in another): its container grows or shrinks with it.
            WriteDword(unitTable.data() + start, static_cast<uint32_t>(otherLength + shift));
        }
    }
}

WindowMap& ProgramWindows() {
    // Never destroyed: workers may look a window up while the process ends.
    static WindowMap* windows = new WindowMap;
    return *windows;
}

}  // namespace velmora
