// Digit drums: a drum shows the digit of its step and rolls on to the next
// digit only during the last part of the step, as a mechanical counter does.
#include "gauges/flight/drum_roll.h"

#include <cmath>

namespace {

// a reduced into 0 <= result < range. Rounding of very large values may land
// on the range itself; that is the same drum position as 0.
FLOAT64 Wrap(FLOAT64 value, FLOAT64 range) {
    FLOAT64 wrapped = value - range * std::floor(value / range);
    if (!(wrapped >= 0.0) || wrapped >= range) return 0.0;
    return wrapped;
}

}  // namespace

FLOAT64 FSAPI DrumRollValue(ELEMENT_MOVING_IMAGE* element) {
    if (element == nullptr) return 0.0;
    const FLOAT64 value = element->source_var_y.var_value.n;
    const FLOAT64 step = element->min_x;
    const FLOAT64 rollBand = element->max_x;
    const FLOAT64 range = element->max_y >= element->min_y ? element->max_y : element->min_y;
    if (!std::isfinite(value) || !(step > 0.0) || !(rollBand > 0.0) || !(range > 0.0) ||
        !std::isfinite(step) || !std::isfinite(rollBand) || !std::isfinite(range)) {
        return 0.0;
    }

    const FLOAT64 stepStart = step * std::floor(value / step);
    const FLOAT64 withinStep = value - stepStart;
    FLOAT64 roll = (withinStep - step + rollBand) * (step / rollBand);
    if (!(roll > 0.0)) roll = 0.0;
    return Wrap(stepStart + roll, range);
}
