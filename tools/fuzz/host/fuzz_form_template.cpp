// libFuzzer: the form template parser on any block.
#include <cstddef>
#include <cstdint>
#include "units/framework/form_templates.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    velmora::WindowMap map;
    if (!velmora::ParseFormTemplates(data, static_cast<uint32_t>(size), 0x10000000, map)) return 0;
    for (const auto& window : map.templates) {
        for (uint32_t i = 0; i < window->unitCount; ++i) {
            velmora::UnitRecordRef record;
            if (!window->Record(i, record) || record.layout.menuItem) continue;  // no event table
            volatile uint32_t sink = 0;
            for (uint32_t e = 0; e < record.EventCount(); ++e) sink = sink + record.EventHandler(e);
            sink = sink + static_cast<uint32_t>(window->IndexOf(window->RecordId(i)));
        }
    }
    return 0;
}
