#include "units/framework/unit_record.h"
#include "units/framework/bounded_reader.h"

namespace velmora {
bool ParseUnitRecord(const uint8_t* record, uint32_t length, uint32_t id, UnitRecordLayout& layout) {
    BoundedReader walk(record, length);
    layout = UnitRecordLayout{};
    layout.menuItem = IsMenuItemId(id);
    walk.Skip(24);  // type key, event-sharing unit, four reserved dwords
    layout.nameOffset = walk.Position();
    walk.SkipText();
    walk.SkipText();  // second text
    if (layout.menuItem) {
        layout.menuFlagsOffset = walk.Position() + 8;
        walk.Skip(12);
        layout.menuCaptionOffset = walk.Position();
        walk.SkipText();
        layout.menuHandlerOffset = walk.Position();
        walk.Skip(4);
        return walk.Ok() && layout.menuFlagsOffset + 4 <= length;
    }
    layout.objectOffset = walk.Position();
    layout.rectOffset = layout.objectOffset + 4;
    layout.cursorOffset = layout.objectOffset + 20;
    layout.containerOffset = layout.objectOffset + 24;
    walk.Skip(28);
    layout.childListOffset = walk.Position();
    uint32_t children = 0;
    if (walk.Dword(children)) {
        if (children > length / 4) return false;
        walk.Skip(children * 4);
    }
    layout.mousePointerOffset = walk.Position();
    uint32_t pointerLength = 0;
    if (walk.Dword(pointerLength) && static_cast<int32_t>(pointerLength) > 0) walk.Skip(pointerLength);
    layout.tagOffset = walk.Position();
    walk.SkipText();
    layout.flagsOffset = walk.Position() + 4;
    walk.Skip(12);  // spare word, flags, spare word
    layout.eventCountOffset = walk.Position();
    uint32_t events = 0;
    if (walk.Dword(events)) {
        if (events > length / 8) return false;
        walk.Skip(events * 8);
    }
    walk.Skip(20);  // five reserved dwords
    layout.streamOffset = walk.Position();
    return walk.Ok();
}

}  // namespace velmora
