// The rolling rule of digit drums, shared by the altimeter's counters and the
// fuel-used counters.
#pragma once

#include "module/gauge_builders.h"

// Y routine of a moving image that shows one digit drum. The drum reads its
// source value from the element's y token, its step from the x minimum and its
// roll band from the x maximum; its full range is the larger of the y minimum
// and maximum. The drum stands still for the first (step - roll band) units of
// each step and turns through one digit during the last roll-band units.
// Returns the drum position in 0 <= result < range; 0 for a value that is not
// a finite number or a record whose step, roll band or range is not positive.
FLOAT64 FSAPI DrumRollValue(ELEMENT_MOVING_IMAGE* element);

// A digit drum rolling by that rule: step and roll band in the x range, the
// drum's full range (ten steps) as the y minimum, the value from the y token
// or, for a drum without one, from the routine.
constexpr ELEMENT_MOVING_IMAGE RollingDrum(SINT32 bitmap, PIXPOINT position, GAUGEHDR* gauge, ELEMENT_HEADER** next,
                                           FAILURE_RECORD* failures, SimToken token, FLOAT64 step,
                                           FLOAT64 rollBand, MOVING_IMAGE_UPDATE_CALLBACK value = DrumRollValue) {
    return MovingImage(bitmap, position, gauge, next, IMAGE_NEEDLE, failures, {tokenNone, step, rollBand},
                       {token, 10 * step, 0, value});
}
