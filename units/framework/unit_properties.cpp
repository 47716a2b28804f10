#include "units/framework/unit_properties.h"
#include <windows.h>
#include <cstring>
#include <string>
#include <vector>
#include "runtime/error_report.h"
#include "runtime/memory.h"
#include "runtime/private_messages.h"
#include "runtime/runtime_app.h"
#include "units/framework/font_properties.h"
#include "units/framework/pictures.h"
#include "units/framework/recreation.h"
#include "units/framework/ui_thread.h"
#include "units/framework/unit_events.h"
#include "units/framework/unit_object.h"
#include "units/framework/window_map.h"

namespace velmora {
namespace {

constexpr int32_t PositionLimit = 32627;

struct Located {
    WindowTemplate* window;
    uint32_t index;
    UnitRecordRef record;
};

// A window that is not loaded, or a unit not in its table, is fatal.
Located Locate(uint32_t windowId, uint32_t unitId) {
    WindowTemplate* window = ProgramWindows().Find(windowId);
    if (!window) ReportFatalError(FatalMessage::UnitWindowNotLoaded, 0);
    int32_t index = window->IndexOf(unitId);
    Located found{window, 0, {}};
    if (index < 0 || !window->Record(static_cast<uint32_t>(index), found.record))
        ReportFatalError(FatalMessage::UnitWindowNotLoaded, 0);
    found.index = static_cast<uint32_t>(index);
    return found;
}

HWND LiveWindow(const UnitRecordRef& record) {
    UnitObject* unit = record.Object();
    return unit && unit->Window() && IsWindow(unit->Window()) ? unit->Window() : nullptr;
}

uint16_t DataTypeOf(const UnitTypeDescriptor* type, int32_t property) {
    if (!type || property < 0 || property >= type->propertyCount || !type->properties) return DataText;
    return type->properties[property].dataType;
}

ByteSetBlock* CopyBytes(const uint8_t* data, uint32_t length) {
    if (!data || length == 0) return nullptr;
    auto* block = static_cast<ByteSetBlock*>(AllocMemory(8 + length));
    block->dimensions = 1;
    block->length = length;
    std::memcpy(block->data(), data, length);
    return block;
}

uint64_t Pack(uint32_t low, uint32_t high = 0) { return (static_cast<uint64_t>(high) << 32) | low; }

// Mouse-pointer bytes with the first dword translated (system id <-> code).
ByteSetBlock* TranslatedPointer(const uint8_t* data, uint32_t size, bool toCode) {
    ByteSetBlock* block = CopyBytes(data, size);
    if (block && size >= 4) {
        uint32_t first = ReadDword(block->data());
        first = toCode ? static_cast<uint32_t>(CodeOfSystemCursor(first)) : SystemCursorOfCode(static_cast<int32_t>(first)) ? SystemCursorOfCode(static_cast<int32_t>(first)) : first;
        WriteDword(block->data(), first);
    }
    return block;
}


uint64_t ReadCommon(const Located& at, int32_t property) {
    const UnitRecordRef& record = at.record;
    HWND live = LiveWindow(record);
    switch (property) {
        case 0:
        case 1:
        case 2:
        case 3: {
            if (!live) return static_cast<uint32_t>(record.Rect(property));
            RECT rect;
            GetWindowRect(live, &rect);
            // Positions and sizes are template pixels, whatever the DPI the window shows at.
            UINT dpi = record.Object()->Dpi();
            if (property >= 2)
                return static_cast<uint32_t>(
                    ScaleFromDpi(property == 2 ? rect.right - rect.left : rect.bottom - rect.top, dpi));
            if (HWND parent = GetParent(live); parent && (GetWindowLongW(live, GWL_STYLE) & WS_CHILD))
                MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
            return static_cast<uint32_t>(ScaleFromDpi(property == 0 ? rect.left : rect.top, dpi));
        }
        case 4: return reinterpret_cast<uint32_t>(CopyPropertyText(record.Tag()));
        case 5: return live ? (IsWindowVisible(live) ? 1 : 0) : (record.Flags() & UnitVisible ? 1 : 0);
        case 6: return live ? (IsWindowEnabled(live) ? 0 : 1) : (record.Flags() & UnitDisabled ? 1 : 0);
        default: {
            uint32_t size = 0;
            const uint8_t* pointer = record.MousePointer(size);
            return reinterpret_cast<uint32_t>(TranslatedPointer(pointer, size, true));
        }
    }
}

void WriteCommon(Located& at, int32_t property, uint32_t low) {
    UnitRecordRef& record = at.record;
    HWND live = LiveWindow(record);
    auto value = static_cast<int32_t>(low);
    switch (property) {
        case 0:
        case 1:
        case 2:
        case 3: {
            int32_t lowest = property < 2 ? -PositionLimit : 0;
            value = value < lowest ? lowest : value > PositionLimit ? PositionLimit : value;
            record.SetRect(property, value);
            if (!live) return;
            value = ScaleToDpi(value, record.Object()->Dpi());
            RECT rect;
            GetWindowRect(live, &rect);
            HWND parent = GetParent(live);
            if (parent && (GetWindowLongW(live, GWL_STYLE) & WS_CHILD))
                MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
            if (property < 2) {
                int x = property == 0 ? value : rect.left, y = property == 1 ? value : rect.top;
                SetWindowPos(live, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            } else {
                int w = property == 2 ? value : rect.right - rect.left, h = property == 3 ? value : rect.bottom - rect.top;
                SetWindowPos(live, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            }
            return;
        }
        case 4: {
            const char* tag = reinterpret_cast<const char*>(low);
            std::string text = tag ? tag : "";
            uint32_t oldLength = static_cast<uint32_t>(std::strlen(record.Tag())) + 1;
            at.window->SpliceRecord(at.index, record.layout.tagOffset, oldLength, text.c_str(),
                                    static_cast<uint32_t>(text.size() + 1));
            return;
        }
        case 5:
            record.SetFlags(low ? record.Flags() | UnitVisible : record.Flags() & ~UnitVisible);
            if (live) ShowWindow(live, low ? SW_SHOW : SW_HIDE);
            return;
        case 6:
            record.SetFlags(low ? record.Flags() | UnitDisabled : record.Flags() & ~UnitDisabled);
            if (live) EnableWindow(live, low ? FALSE : TRUE);
            return;
        default: {
            const auto* bytes = reinterpret_cast<const ByteSetBlock*>(low);
            uint32_t size = ByteSetLengthOrZero(bytes);
            ByteSetBlock* stored = TranslatedPointer(size ? bytes->data() : nullptr, size, false);
            uint32_t oldSize = 0;
            record.MousePointer(oldSize);
            std::vector<uint8_t> block(4 + (stored ? stored->length : 0));
            WriteDword(block.data(), stored ? stored->length : 0);
            if (stored) std::memcpy(block.data() + 4, stored->data(), stored->length);
            FreeMemory(stored);
            at.window->SpliceRecord(at.index, record.layout.mousePointerOffset, 4 + oldSize, block.data(),
                                    static_cast<uint32_t>(block.size()));
            at.window->Record(at.index, record);
            if (HCURSOR old = record.Cursor()) DestroyCursor(old);
            uint32_t newSize = 0;
            const uint8_t* pointer = record.MousePointer(newSize);
            record.SetCursor(MakeUnitCursor(pointer, newSize));
            POINT cursor;
            GetCursorPos(&cursor);
            SetCursorPos(cursor.x, cursor.y);
            return;
        }
    }
}

}  // namespace

char* CopyPropertyText(const char* text) {
    size_t length = text ? std::strlen(text) : 0;
    if (length == 0) return nullptr;
    auto* copy = static_cast<char*>(AllocMemory(static_cast<uint32_t>(length) + 1));
    std::memcpy(copy, text, length + 1);
    return copy;
}

UnitObject* LiveUnit(uint32_t windowId, uint32_t unitId) {
    WindowTemplate* window = ProgramWindows().Find(windowId);
    if (!window) return nullptr;
    int32_t index = window->IndexOf(unitId);
    UnitRecordRef record;
    if (index < 0 || !window->Record(static_cast<uint32_t>(index), record) || record.layout.menuItem) return nullptr;
    return LiveWindow(record) ? record.Object() : nullptr;
}

HCURSOR UnitCursor(const UnitObject* unit) {
    WindowTemplate* window = ProgramWindows().Find(unit->WindowId());
    int32_t index = window ? window->IndexOf(unit->UnitId()) : -1;
    UnitRecordRef record;
    if (index < 0 || !window->Record(static_cast<uint32_t>(index), record) || record.layout.menuItem ||
        record.Object() != unit)
        return nullptr;
    return record.Cursor();
}

UnitObject* RequireLiveUnit(uint32_t windowId, uint32_t unitId) {
    UnitObject* unit = LiveUnit(windowId, unitId);
    if (!unit) ReportFatalError(FatalMessage::NoSuchUnit, 0);
    return unit;
}

uint64_t ReadUnitProperty(uint32_t windowId, uint32_t unitId, int32_t property, int32_t subField) {
    return OnWindowThread<uint64_t>([&]() -> uint64_t {
        Located at = Locate(windowId, unitId);
        UnitRecordRef& record = at.record;
        if (record.layout.menuItem) {
            uint32_t flags = ReadDword(record.data + record.layout.menuFlagsOffset);
            if (property == 0) return reinterpret_cast<uint32_t>(CopyPropertyText(reinterpret_cast<const char*>(record.data + record.layout.menuCaptionOffset)));
            if (property == 1) return flags & 4 ? 1 : 0;
            if (property == 2) return flags & 2 ? 1 : 0;
            return flags & 1 ? 0 : 1;
        }
        if (property < 8) return ReadCommon(at, property);
        if (!LiveWindow(record)) ReportFatalError(FatalMessage::WindowNotLoaded, 0);
        const UnitTypeDescriptor* type = FindUnitType(record.TypeKey());
        auto get = UnitOperation<GetPropertyOperation>(type, UnitServiceGetProperty);
        uint32_t raw[2] = {0, 0};
        if (!get || !get(record.Object(), property - 8, raw)) return 0;
        switch (DataTypeOf(type, property)) {
            case DataInteger: case DataPosition: case DataChoice: case DataColour: case DataColourOther: case DataInteger2:
                return raw[0];
            case DataLong: case DataLongOther:
                return Pack(raw[0], raw[1]);
            case DataLogical:
                return raw[0] == 1 ? 1 : 0;
            case DataBytes: case DataPicture: case DataSound: case DataBytes2: case DataBytes3:
                return reinterpret_cast<uint32_t>(CopyBytes(reinterpret_cast<const uint8_t*>(raw[0]), raw[1]));
            case DataMousePointer:
                return reinterpret_cast<uint32_t>(TranslatedPointer(reinterpret_cast<const uint8_t*>(raw[0]), raw[1], true));
            case DataFont:
                return FontSubField(raw[1] == 60 ? reinterpret_cast<const LOGFONTA*>(raw[0]) : nullptr, subField);
            default:
                return reinterpret_cast<uint32_t>(CopyPropertyText(reinterpret_cast<const char*>(raw[0])));
        }
    });
}

void WriteUnitProperty(uint32_t windowId, uint32_t unitId, int32_t property, int32_t subField, uint32_t low,
                       uint32_t high) {
    RunOnWindowThread([&] {
        Located at = Locate(windowId, unitId);
        UnitRecordRef& record = at.record;
        if (record.layout.menuItem) {
            // The program has no menus; flags are kept in the record.
            uint8_t* flagsAt = record.data + record.layout.menuFlagsOffset;
            uint32_t flags = ReadDword(flagsAt);
            uint32_t bit = property == 1 ? 4 : property == 2 ? 2 : property == 3 ? 1 : 0;
            bool set = property == 3 ? low == 0 : low != 0;
            if (bit) WriteDword(flagsAt, set ? flags | bit : flags & ~bit);
            return;
        }
        if (property < 8) return WriteCommon(at, property, low);
        if (!LiveWindow(record)) ReportFatalError(FatalMessage::WindowNotLoaded, 0);
        const UnitTypeDescriptor* type = FindUnitType(record.TypeKey());
        ValueRecord value{low, 0, 0};
        LOGFONTA font{};
        switch (DataTypeOf(type, property)) {
            case DataLong: case DataLongOther:
                value.high = high;
                break;
            case DataLogical:
                value.low = low ? 1 : 0;
                break;
            case DataChoice:
                value.low = static_cast<int32_t>(low) < 0 ? 0 : low;
                break;
            case DataInteger: case DataPosition: case DataColour: case DataColourOther: case DataInteger2:
                break;
            case DataBytes: case DataPicture: case DataSound: case DataBytes2: case DataBytes3: case DataMousePointer: {
                const auto* bytes = reinterpret_cast<const ByteSetBlock*>(low);
                value.low = bytes ? reinterpret_cast<uint32_t>(bytes->data()) : 0;
                value.high = ByteSetLengthOrZero(bytes);
                break;
            }
            case DataFont: {
                uint32_t raw[2] = {0, 0};
                auto get = UnitOperation<GetPropertyOperation>(type, UnitServiceGetProperty);
                if (get && get(record.Object(), property - 8, raw) && raw[1] == 60)
                    std::memcpy(&font, reinterpret_cast<const void*>(raw[0]), 60);
                else
                    font = DefaultFontDescription();
                ApplyFontSubField(font, subField, low);
                value.low = reinterpret_cast<uint32_t>(&font);
                value.high = 60;
                break;
            }
            default:
                if (!low) value.low = reinterpret_cast<uint32_t>("");  // a null text is the empty text
                break;
        }
        auto set = UnitOperation<SetPropertyOperation>(type, UnitServiceSetProperty);
        if (set && set(value, record.Object(), property - 8) == 1 && LiveWindow(record)) Recreate(windowId, unitId, type);
    });
}

}  // namespace velmora
