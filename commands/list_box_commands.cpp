// The list box's methods as core commands 28, 29 and 31. The first argument
// is the unit reference {window id, unit id, type key}; the work happens on
// the window thread and the caller gets its result.
#include "commands/command_args.h"
#include "commands/core_commands.h"
#include "commands/core_library.h"
#include "runtime/runtime_services.h"
#include "units/framework/ui_thread.h"
#include "units/framework/unit_object.h"
#include "units/list_box_unit.h"

namespace velmora::commands {
namespace {

// A list box that is not live is the service's fatal error.
HWND ListWindow(const ValueRecord& reference) {
    int32_t found = CoreRuntimeServices()(Service::RequireUnit, reference.low, reference.high);
    auto* unit = reinterpret_cast<UnitObject*>(found);
    return unit->Window();
}

}  // namespace

void GetItemCount(ValueRecord* result, int32_t count, ValueRecord* arguments) {
    Args args(count, arguments);
    SetInt(result, OnWindowThread<int32_t>([&] {
               return static_cast<int32_t>(SendMessageW(ListWindow(args[0]), LB_GETCOUNT, 0, 0));
           }));
}

void InsertItem(ValueRecord* result, int32_t count, ValueRecord* arguments) {
    Args args(count, arguments);
    std::string text(args.Text(2));
    SetInt(result, OnWindowThread<int32_t>([&] {
               return ListInsertItem(ListWindow(args[0]), args.Int(1), text.c_str(), static_cast<uint32_t>(args.Int(3, 0)));
           }));
}

void SetItemText(ValueRecord* result, int32_t count, ValueRecord* arguments) {
    Args args(count, arguments);
    std::string text(args.Text(2));
    SetBool(result, OnWindowThread<bool>([&] { return ListSetItemText(ListWindow(args[0]), args.Int(1), text.c_str()); }));
}

}  // namespace velmora::commands
