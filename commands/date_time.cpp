#include "commands/date_time.h"
#include <cmath>
#include <cstdio>

namespace velmora::commands {
namespace {

// Days since 1 January 1970 to a civil date (proleptic Gregorian).
void CivilFromDays(int64_t days, int& year, int& month, int& day) {
    days += 719468;
    int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    int64_t dayOfEra = days - era * 146097;
    int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
}

constexpr double MaxDate = 2958465.0;  // 31 December 9999
constexpr double MinDate = -657434.0;  // 1 January 100
constexpr int64_t DaysFrom1899To1970 = 25569;

}  // namespace

CivilTime DateTimeParts(double days) {
    if (!(days <= MaxDate)) days = std::isnan(days) ? 0 : MaxDate;
    if (days < MinDate) days = MinDate;
    // Before the epoch the fraction still counts forward from the start of the day.
    double whole = std::trunc(days);
    double fraction = std::fabs(days - whole);
    int64_t seconds = std::llround(fraction * 86400.0);
    int64_t day = static_cast<int64_t>(whole);
    if (seconds >= 86400) {
        seconds -= 86400;
        day += 1;  // the next calendar day, for negative values too
    }
    CivilTime parts{};
    CivilFromDays(day - DaysFrom1899To1970, parts.year, parts.month, parts.day);
    parts.hour = static_cast<int>(seconds / 3600);
    parts.minute = static_cast<int>(seconds / 60 % 60);
    parts.second = static_cast<int>(seconds % 60);
    return parts;
}

std::string DateTimeText(double days) {
    CivilTime t = DateTimeParts(days);
    char text[96];
    int n = std::snprintf(text, sizeof text, "%d年%d月%d日", t.year, t.month, t.day);
    if (t.second)
        std::snprintf(text + n, sizeof text - n, "%d时%d分%d秒", t.hour, t.minute, t.second);
    else if (t.minute)
        std::snprintf(text + n, sizeof text - n, "%d时%d分", t.hour, t.minute);
    else if (t.hour)
        std::snprintf(text + n, sizeof text - n, "%d时", t.hour);
    return text;
}

}  // namespace velmora::commands
