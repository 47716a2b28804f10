// Reading the embedded form template into the window map.
#pragma once
#include <cstdint>
#include "units/framework/window_map.h"

namespace velmora {

class RuntimeApp;

// Parses the block and relocates event handlers (0xFFFFFFFF becomes no
// handler, anything else handlerBase + offset). False, with `map` untouched,
// when any length runs past the block or a record cannot be read.
bool ParseFormTemplates(const uint8_t* block, uint32_t size, uintptr_t handlerBase, WindowMap& map);
// Start-up step: loads the program's form template into the app's window map;
// an unreadable template is the fatal error "载入窗口模板数据段出错!".
void LoadFormTemplates(RuntimeApp& app);

}  // namespace velmora
