// The runtime's map of the program's windows, loaded from the form template.
#pragma once
#include <windows.h>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace velmora {

struct WindowTemplate {
    uint32_t identifierA = 0;
    uint32_t identifierB = 0;
    std::string text1;
    std::string text2;
    uint32_t unitCount = 0;
    std::vector<uint8_t> unitTable;    // live: unit objects are written into it
    std::vector<uint8_t> storedTable;  // copy taken when the window is created
    HWND window = nullptr;             // the created window, or null
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
        ids.push_back(windowId);
        templates.push_back(std::move(window));
    }
    void Clear() {
        ids.clear();
        templates.clear();
    }
};

}  // namespace velmora
