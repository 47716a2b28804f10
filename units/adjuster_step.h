// The edit box adjuster's arithmetic: the number shown after one step of the
// arrows. Kept constexpr so that the compiler checks the limits (an overflow
// is no constant) where the tests assert them.
#pragma once
#include <algorithm>
#include <cstdint>

namespace velmora {

// Out of the range, a step up gives the minimum and a step down the maximum.
// Any number beyond 32 bits lies outside the range: kept there, it cannot
// overflow with the step.
constexpr int32_t SteppedNumber(long long shown, int step, int32_t minimum, int32_t maximum) {
    long long value = std::clamp<long long>(shown, INT32_MIN - 1LL, INT32_MAX + 1LL) + step;
    int32_t low = std::min(minimum, maximum), high = std::max(minimum, maximum);
    if (value < low || value > high) return step < 0 ? high : low;
    return static_cast<int32_t>(value);
}

}  // namespace velmora
