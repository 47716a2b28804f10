// The value-to-text rule shared by ToText, WriteText and MessageBox.
#pragma once
#include <string>
#include "runtime/value.h"

namespace velmora::commands {

// Numbers in decimal as their type formats them, texts unchanged, logicals as
// "真" or "假", date-times as dates; every other type, arrays of numbers
// included, gives the empty text.
std::string ValueToText(const ValueRecord& value);

}  // namespace velmora::commands
