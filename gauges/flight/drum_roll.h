// The rolling rule of digit drums, shared by the altimeter's counters and the
// fuel-used counters.
#pragma once

#include "module/gauge_records.h"

// Y routine of a moving image that shows one digit drum. The drum reads its
// source value from the element's y token, its step from the x minimum and its
// roll band from the x maximum; its full range is the larger of the y minimum
// and maximum. The drum stands still for the first (step - roll band) units of
// each step and turns through one digit during the last roll-band units.
// Returns the drum position in 0 <= result < range; 0 for a value that is not
// a finite number or a record whose step, roll band or range is not positive.
FLOAT64 FSAPI DrumRollValue(ELEMENT_MOVING_IMAGE* element);
