// Reading the form template block: bounded reads, record checks and handler
// relocation. Kept apart from the runtime so a host build can fuzz it.
#include <cstring>
#include <new>
#include "units/framework/bounded_reader.h"
#include "units/framework/form_templates.h"

namespace velmora {

namespace {

// A dword, 0 past the end (the reader then stays failed).
uint32_t NextDword(BoundedReader& reader) {
    uint32_t value = 0;
    reader.Dword(value);
    return value;
}

// A length-prefixed byte block or text; a length of 0 or less is empty.
bool NextBlock(BoundedReader& reader, std::vector<uint8_t>& out) {
    out.clear();
    uint32_t word = 0;
    if (!reader.Dword(word)) return false;
    auto length = static_cast<int32_t>(word);
    if (length <= 0) return true;
    const uint8_t* bytes = reader.Take(static_cast<uint32_t>(length));
    if (!bytes) return false;
    out.assign(bytes, bytes + length);
    return true;
}

bool NextText(BoundedReader& reader, std::string& out) {
    std::vector<uint8_t> bytes;
    if (!NextBlock(reader, bytes)) return false;
    out.assign(bytes.begin(), bytes.end());
    return true;
}

// Every record must lie inside the table and be readable.
bool ValidUnitTable(WindowTemplate& window) {
    const std::vector<uint8_t>& table = window.unitTable;
    uint64_t headerSize = 8ULL * window.unitCount;
    if (window.unitCount == 0 || headerSize > table.size()) return false;
    // Record refuses a record, or its length, outside the table.
    for (uint32_t i = 0; i < window.unitCount; ++i) {
        UnitRecordRef record;
        if (!window.Record(i, record)) return false;
    }
    return true;
}

uint32_t Relocate(uint32_t offset, uintptr_t handlerBase) {
    return offset == 0xFFFFFFFF ? 0 : static_cast<uint32_t>(handlerBase + offset);
}

// A record's object and cursor slots are this process's: whatever a stored
// (or damaged) template holds there is no object and no cursor of ours.
void ClearRuntimeSlots(WindowTemplate& window) {
    for (uint32_t i = 0; i < window.unitCount; ++i) {
        UnitRecordRef record;
        if (!window.Record(i, record) || record.layout.menuItem) continue;
        record.SetObject(nullptr);
        record.SetCursor(nullptr);
    }
}

void RelocateHandlers(WindowTemplate& window, uintptr_t handlerBase) {
    for (uint32_t i = 0; i < window.unitCount; ++i) {
        UnitRecordRef record;
        window.Record(i, record);
        if (record.layout.menuItem) {
            uint8_t* handler = record.data + record.layout.menuHandlerOffset;
            WriteDword(handler, Relocate(ReadDword(handler), handlerBase));
            continue;
        }
        for (uint32_t e = 0; e < record.EventCount(); ++e) {
            uint8_t* handler = record.data + record.layout.eventCountOffset + 8 + 8 * e;
            WriteDword(handler, Relocate(ReadDword(handler), handlerBase));
        }
    }
}

}  // namespace

bool ParseFormTemplates(const uint8_t* block, uint32_t size, uintptr_t handlerBase, WindowMap& map) {
    try {
        BoundedReader reader(block, size);
        std::vector<uint8_t> windowIds;
        if (!NextBlock(reader, windowIds)) return false;
        size_t count = windowIds.size() / 8;  // ids, then placeholders for the template pointers
        WindowMap loaded;
        for (size_t i = 0; i < count; ++i) {
            auto window = std::make_unique<WindowTemplate>();
            window->identifierA = NextDword(reader);
            window->identifierB = NextDword(reader);
            NextText(reader, window->text1);
            NextText(reader, window->text2);
            window->unitCount = NextDword(reader);
            NextBlock(reader, window->unitTable);
            if (!reader.Ok() || !ValidUnitTable(*window)) return false;
            RelocateHandlers(*window, handlerBase);
            ClearRuntimeSlots(*window);
            loaded.Add(ReadDword(windowIds.data() + 4 * i), std::move(window));
        }
        for (size_t i = 0; i < loaded.ids.size(); ++i) map.Add(loaded.ids[i], std::move(loaded.templates[i]));
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

}  // namespace velmora
