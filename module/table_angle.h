// A needle's table read as the host reads it: the angle for a value is the
// degrees of the two rows around the value interpolated, the end segments
// extended beyond the table. The module needs it where one element follows
// another's needle (the decision-height knob turns with its index); the
// panel host draws every needle by it. Header-only: the host never links
// the module.
#pragma once

#include <cmath>

#include "module/gauge_records.h"

// 0 for a table of fewer than two rows or a value that is not a number.
inline FLOAT64 TableAngle(const NONLINEARITY* table, SINT32 count, FLOAT64 value) {
    if (!table || count < 2 || !std::isfinite(value)) return 0.0;
    const FLOAT64 first = table[0].value;
    const FLOAT64 last = table[count - 1].value;
    SINT32 segment = -1;
    if ((value - first) * (value - last) < 0) {
        for (SINT32 i = 0; i + 1 < count; ++i) {
            if ((value - table[i].value) * (value - table[i + 1].value) <= 0) {
                segment = i;
                break;
            }
        }
    }
    if (segment < 0) {
        // Outside the table or on one of its ends: the nearer end segment,
        // extended.
        segment = std::fabs(value - last) > std::fabs(value - first) ? 0 : count - 2;
    }
    const FLOAT64 a = table[segment].value;
    const FLOAT64 b = table[segment + 1].value;
    const FLOAT64 degreesA = table[segment].degrees;
    const FLOAT64 degreesB = table[segment + 1].degrees;
    if (a == b) return degreesA;  // a repeated row: a stop, not a slope
    // From the row below: a value on a row reads that row's degrees exactly.
    return degreesA + (value - a) / (b - a) * (degreesB - degreesA);
}
