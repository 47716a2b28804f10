// Start-up step: the program's form template into the window map.
#include "units/framework/form_templates.h"
#include "runtime/error_report.h"
#include "runtime/runtime_app.h"
#include "units/framework/window_map.h"

namespace velmora {

void LoadFormTemplates(RuntimeApp& app) {
    const ProgramHeader& header = *app.header;
    if (header.formTemplateSize == 0) return;
    if (!ParseFormTemplates(static_cast<const uint8_t*>(header.formTemplate), header.formTemplateSize,
                            reinterpret_cast<uintptr_t>(header.handlerBase), ProgramWindows()))
        ReportFatalError(FatalMessage::FormTemplate, 0);
}

}  // namespace velmora
