// Conversions of simulator values that must stay defined whatever the
// simulator delivers: NaN, infinities and values beyond the integer range.
#pragma once

#include <cstdint>

// Truncates toward zero; NaN gives 0, values beyond the range stop at its ends.
constexpr std::int32_t TruncateToInt32(double value) {
    if (!(value == value)) return 0;  // NaN
    if (value >= 2147483647.0) return INT32_MAX;
    if (value <= -2147483648.0) return INT32_MIN;
    return static_cast<std::int32_t>(value);
}

// Logical negation of a 32-bit flag: 0 becomes 1, anything else 0.
constexpr std::int32_t ToggleFlag(std::int32_t flag) { return flag == 0 ? 1 : 0; }
