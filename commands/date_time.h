// Date-time values (days since 30 December 1899) as text.
#pragma once
#include <string>

namespace velmora::commands {

struct CivilTime {
    int year, month, day, hour, minute, second;
};

// Clamped to 1 January 100 … 31 December 9999, rounded to the second.
CivilTime DateTimeParts(double days);
// "%d年%d月%d日" and the time down to its last non-zero part.
std::string DateTimeText(double days);

}  // namespace velmora::commands
