// How the host turns element values into what it draws: needle angles from
// nonlinearity tables, moving-image travel and icon images.
#pragma once

#include "module/gauge_records.h"

namespace panelhost {

// Fills each entry's degrees: the clockwise angle from the needle's position
// on the background to the entry's point, 0 along +x with screen y pointing
// down. The first entry lies in [0, 360). A needle sweeps its table one way,
// as a dial does: each step from one entry to the next turns the short way
// round (at most half a turn, an exact half turn clockwise) while all steps
// agree; where they disagree, the table sweeps the way round that covers its
// steps with less travel (clockwise on a tie), and each step that turns the
// other way turns the long way instead. A step to the same direction (a stop)
// does not turn.
void FillNeedleDegrees(PIXPOINT needlePosition, NONLINEARITY* table, int count);

// The angle shown for a value: the module's own table rule (TableAngle),
// which interpolates between the two rows around the value and continues
// the first or last segment beyond the ends. Without a table the value is
// the angle; a table of one row holds its needle there.
double NeedleAngle(double value, const NONLINEARITY* table, int count);

// Where a value lies between a moving image's minimum and maximum: 0 at the
// minimum, 1 at the maximum, held at the ends; 0 for an empty range or NaN.
double TravelFraction(double value, double minimum, double maximum);

// The image an icon value picks: the integer part of the value, -1 (none) for
// negative values, NaN, or numbers past the last image.
int IconImage(double value, SINT32 pictureCount);

// Angle difference brought into (-180, 180].
double AngleDifference(double a, double b);

}  // namespace panelhost
