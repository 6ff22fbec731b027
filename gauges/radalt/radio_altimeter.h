// The radio altimeter's needle arithmetic, shared with its tests.
#pragma once

#include "module/gauge_records.h"

// The angle a needle with this table shows for a value: the host's degrees
// of the two rows around the value interpolated, the end segments extended
// beyond the table. 0 for a table of fewer than two rows or a value that is
// not a number.
FLOAT64 TableAngle(const NONLINEARITY* table, SINT32 count, FLOAT64 value);
