// The shipped program's settings: there are none.
#include "runtime/test_settings.h"

namespace velmora {

std::optional<int64_t> TestSetting(TestSwitch) { return std::nullopt; }

}  // namespace velmora
