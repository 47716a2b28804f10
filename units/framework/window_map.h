// The runtime's map of the program's windows, loaded from the form template.
// Each window template owns its unit table as one live buffer: unit objects
// are written into it and tag writes resize records inside it.
#pragma once
#include <windows.h>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>
#include "units/framework/unit_record.h"

namespace velmora {

class UnitObject;

struct UnitRecordRef {
    uint8_t* data = nullptr;  // just past the record's length dword
    uint32_t length = 0;
    uint32_t id = 0;
    UnitRecordLayout layout;

    uint32_t TypeKey() const { return ReadDword(data); }
    uint32_t EventSharingId() const { return ReadDword(data + 4); }
    const char* Name() const { return reinterpret_cast<const char*>(data + layout.nameOffset); }
    UnitObject* Object() const { return reinterpret_cast<UnitObject*>(ReadDword(data + layout.objectOffset)); }
    void SetObject(UnitObject* object) const { WriteDword(data + layout.objectOffset, reinterpret_cast<uint32_t>(object)); }
    int32_t Rect(int field) const { return static_cast<int32_t>(ReadDword(data + layout.rectOffset + 4 * field)); }
    void SetRect(int field, int32_t value) const { WriteDword(data + layout.rectOffset + 4 * field, static_cast<uint32_t>(value)); }
    HCURSOR Cursor() const { return reinterpret_cast<HCURSOR>(ReadDword(data + layout.cursorOffset)); }
    void SetCursor(HCURSOR cursor) const { WriteDword(data + layout.cursorOffset, reinterpret_cast<uint32_t>(cursor)); }
    uint32_t ContainerId() const { return ReadDword(data + layout.containerOffset); }
    uint32_t Flags() const { return ReadDword(data + layout.flagsOffset); }
    void SetFlags(uint32_t flags) const { WriteDword(data + layout.flagsOffset, flags); }
    uint32_t EventCount() const { return ReadDword(data + layout.eventCountOffset); }
    int32_t EventNumber(uint32_t i) const { return static_cast<int32_t>(ReadDword(data + layout.eventCountOffset + 4 + 8 * i)); }
    uint32_t EventHandler(uint32_t i) const { return ReadDword(data + layout.eventCountOffset + 8 + 8 * i); }
    const uint8_t* MousePointer(uint32_t& size) const {
        auto length = static_cast<int32_t>(ReadDword(data + layout.mousePointerOffset));
        size = length > 0 ? static_cast<uint32_t>(length) : 0;
        return data + layout.mousePointerOffset + 4;
    }
    const char* Tag() const { return reinterpret_cast<const char*>(data + layout.tagOffset); }
    const uint8_t* Stream() const { return data + layout.streamOffset; }
    uint32_t StreamLength() const { return length - layout.streamOffset; }
};

struct WindowTemplate {
    uint32_t identifierA = 0;
    uint32_t identifierB = 0;
    std::string text1;
    std::string text2;
    uint32_t unitCount = 0;
    std::vector<uint8_t> unitTable;    // live
    // A copy of the live table taken when the window is created, as creation
    // prescribes; nothing reads it yet.
    std::vector<uint8_t> storedTable;
    HWND window = nullptr;             // the created window, or null
    bool created = false;

    uint32_t RecordId(uint32_t index) const { return ReadDword(unitTable.data() + 4 * index); }
    // The record at the index; false for an index out of range.
    bool Record(uint32_t index, UnitRecordRef& out);
    // Record 0 for no id or the window's own id; -1 for an unknown or invalid id.
    int32_t IndexOf(uint32_t unitId) const;
    // Replaces `removed` bytes at `offset` of record `index` by `inserted`;
    // later records move and their offsets follow.
    void SpliceRecord(uint32_t index, uint32_t offset, uint32_t removed, const void* inserted, uint32_t insertedLength);
};

struct WindowMap {
    std::vector<uint32_t> ids;
    std::vector<std::unique_ptr<WindowTemplate>> templates;

    WindowTemplate* Find(uint32_t windowId) const {
        for (size_t i = 0; i < ids.size(); ++i)
            if (ids[i] == windowId) return templates[i].get();
        return nullptr;
    }
    void Add(uint32_t windowId, std::unique_ptr<WindowTemplate> window) {
        for (size_t i = 0; i < ids.size(); ++i)
            if (ids[i] == windowId) {
                templates[i] = std::move(window);
                return;
            }
        ids.push_back(windowId);
        templates.push_back(std::move(window));
    }
    void Clear() {
        ids.clear();
        templates.clear();
    }
};

// The program's windows: loaded from the form template at start-up, cleared
// by the shutdown. Lives until the process ends.
WindowMap& ProgramWindows();

}  // namespace velmora
