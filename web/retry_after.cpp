#include "web/retry_after.h"
#include <algorithm>
#include <cstring>
#include <optional>
#include "runtime/test_settings.h"

namespace velmora::web {
namespace {

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// Exactly `width` digits at `at`, or -1.
int64_t Digits(std::string_view text, size_t at, size_t width) {
    if (at + width > text.size()) return -1;
    int64_t value = 0;
    for (size_t i = at; i < at + width; ++i) {
        if (text[i] < '0' || text[i] > '9') return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// Days from 1970-01-01 to the civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day) {
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

// "Sun, 06 Nov 1994 08:49:37 GMT" as Unix seconds.
std::optional<int64_t> FixDate(std::string_view text) {
    static constexpr const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                             "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    if (text.size() != 29 || text[3] != ',' || text[4] != ' ' || text[7] != ' ' || text[11] != ' ' ||
        text[16] != ' ' || text[19] != ':' || text[22] != ':' || text.substr(25) != " GMT")
        return std::nullopt;
    int64_t month = 0;
    for (int64_t m = 0; m < 12; ++m)
        if (text.substr(8, 3) == months[m]) month = m + 1;
    int64_t day = Digits(text, 5, 2), year = Digits(text, 12, 4);
    int64_t hour = Digits(text, 17, 2), minute = Digits(text, 20, 2), second = Digits(text, 23, 2);
    if (!month || day < 1 || day > 31 || year < 0 || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
        second < 0 || second > 60)
        return std::nullopt;
    return DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
}

}  // namespace

std::optional<int64_t> HttpDateSeconds(std::string_view text) { return FixDate(Trimmed(text)); }

int32_t RetryAfterSeconds(std::string_view value, int64_t nowUnixSeconds) {
    value = Trimmed(value);
    if (value.empty()) return -1;
    int64_t seconds = -1;
    if (value.find_first_not_of("0123456789") == std::string_view::npos) {
        seconds = 0;
        for (char digit : value) seconds = std::min<int64_t>(seconds * 10 + (digit - '0'), INT32_MAX);
    } else if (std::optional<int64_t> date = FixDate(value); date && *date > nowUnixSeconds) {
        seconds = *date - nowUnixSeconds;
    }
    if (seconds < 0) return -1;
    return static_cast<int32_t>(std::min<int64_t>(seconds, LongestRetryAfter()));
}

int32_t LongestRetryAfter() {
    // Tests that wait out a server asking for a day may shorten the cap.
    std::optional<int64_t> value = TestSetting(TestSwitch::LongestRetryAfterSeconds);
    return value && *value >= 0 && *value < LongestRetryAfterSeconds ? static_cast<int32_t>(*value)
                                                                       : LongestRetryAfterSeconds;
}

}  // namespace velmora::web
