// Reading the form template block: bounded reads, record checks and handler
// relocation. Kept apart from the runtime so a host build can fuzz it.
#include <cstring>
#include <new>
#include "units/form_templates.h"

namespace velmora {

namespace {

// Reads the primitives of the block; any read past the end marks it failed.
class TemplateReader {
public:
    TemplateReader(const uint8_t* data, uint32_t size) : data_(data), size_(size) {}
    uint32_t Dword() {
        if (size_ - position_ < 4) return Fail(), 0;
        uint32_t value = ReadDword(data_ + position_);
        position_ += 4;
        return value;
    }
    // A byte block or a length-prefixed text; a length of 0 or less is empty.
    bool Bytes(std::vector<uint8_t>& out) {
        auto length = static_cast<int32_t>(Dword());
        out.clear();
        if (!ok_ || length <= 0) return ok_;
        if (static_cast<uint32_t>(length) > size_ - position_) return Fail();
        out.assign(data_ + position_, data_ + position_ + length);
        position_ += static_cast<uint32_t>(length);
        return true;
    }
    bool Text(std::string& out) {
        std::vector<uint8_t> bytes;
        if (!Bytes(bytes)) return false;
        out.assign(bytes.begin(), bytes.end());
        return true;
    }
    bool Ok() const { return ok_; }

private:
    bool Fail() {
        ok_ = false;
        position_ = size_;
        return false;
    }
    const uint8_t* data_;
    uint32_t size_;
    uint32_t position_ = 0;
    bool ok_ = true;
};

// Every record must lie inside the table and be readable.
bool ValidUnitTable(WindowTemplate& window) {
    const std::vector<uint8_t>& table = window.unitTable;
    uint64_t headerSize = 8ULL * window.unitCount;
    if (window.unitCount == 0 || headerSize > table.size()) return false;
    uint64_t records = table.size() - headerSize;
    for (uint32_t i = 0; i < window.unitCount; ++i) {
        uint64_t offset = ReadDword(table.data() + 4 * (window.unitCount + i));
        if (offset + 4 > records) return false;
        uint64_t length = ReadDword(table.data() + headerSize + offset);
        if (length > records - offset - 4) return false;
        UnitRecordRef record;
        if (!window.Record(i, record)) return false;
    }
    return true;
}

uint32_t Relocate(uint32_t offset, uintptr_t handlerBase) {
    return offset == 0xFFFFFFFF ? 0 : static_cast<uint32_t>(handlerBase + offset);
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
        TemplateReader reader(block, size);
        std::vector<uint8_t> windowIds;
        if (!reader.Bytes(windowIds)) return false;
        size_t count = windowIds.size() / 8;  // ids, then placeholders for the template pointers
        WindowMap loaded;
        for (size_t i = 0; i < count; ++i) {
            auto window = std::make_unique<WindowTemplate>();
            window->identifierA = reader.Dword();
            window->identifierB = reader.Dword();
            reader.Text(window->text1);
            reader.Text(window->text2);
            window->unitCount = reader.Dword();
            reader.Bytes(window->unitTable);
            if (!reader.Ok() || !ValidUnitTable(*window)) return false;
            RelocateHandlers(*window, handlerBase);
            loaded.Add(ReadDword(windowIds.data() + 4 * i), std::move(window));
        }
        for (size_t i = 0; i < loaded.ids.size(); ++i) map.Add(loaded.ids[i], std::move(loaded.templates[i]));
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

}  // namespace velmora
