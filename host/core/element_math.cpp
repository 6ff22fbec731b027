#include "host/core/element_math.h"

#include <cmath>
#include <numbers>

#include "module/table_angle.h"

namespace panelhost {

namespace {

double Normalized360(double degrees) {
    double result = std::fmod(degrees, 360.0);
    if (result < 0) result += 360.0;
    return result >= 360.0 ? 0.0 : result;
}

}  // namespace

double AngleDifference(double a, double b) {
    double difference = std::fmod(a - b, 360.0);
    if (difference > 180.0) difference -= 360.0;
    if (difference <= -180.0) difference += 360.0;
    return difference;
}

void FillNeedleDegrees(PIXPOINT needlePosition, NONLINEARITY* table, int count) {
    if (!table || count <= 0) return;
    // Each entry's direction first, then each step's short way round.
    for (int i = 0; i < count; ++i) {
        const double dx = static_cast<double>(table[i].pt.x) - needlePosition.x;
        const double dy = static_cast<double>(table[i].pt.y) - needlePosition.y;
        // y grows downward, so atan2 already turns clockwise on screen.
        table[i].degrees = Normalized360(std::atan2(dy, dx) * 180.0 / std::numbers::pi);
    }
    double clockwiseTravel = 0, anticlockwiseTravel = 0;
    for (int i = 1; i < count; ++i) {
        const double step = AngleDifference(table[i].degrees, table[i - 1].degrees);
        if (step == 0) continue;
        clockwiseTravel += step > 0 ? step : step + 360.0;
        anticlockwiseTravel += step < 0 ? -step : 360.0 - step;
    }
    const bool clockwise = clockwiseTravel <= anticlockwiseTravel;
    for (int i = 1; i < count; ++i) {
        double step = AngleDifference(table[i].degrees, table[i - 1].degrees);
        if (clockwise && step < 0) step += 360.0;
        if (!clockwise && step > 0) step -= 360.0;
        table[i].degrees = table[i - 1].degrees + step;
    }
}

double NeedleAngle(double value, const NONLINEARITY* table, int count) {
    if (!table || count <= 0) return value;
    if (count == 1) return table[0].degrees;
    return TableAngle(table, count, value);
}

double TravelFraction(double value, double minimum, double maximum) {
    const double span = maximum - minimum;
    if (!(span != 0.0) || std::isnan(value) || !std::isfinite(span)) return 0.0;
    const double fraction = (value - minimum) / span;
    return fraction < 0.0 ? 0.0 : fraction > 1.0 ? 1.0 : fraction;
}

int IconImage(double value, SINT32 pictureCount) {
    if (!(value >= 0.0)) return -1;  // negative or NaN
    if (pictureCount > 0 && value >= pictureCount) return -1;
    if (value >= 2147483647.0) return -1;
    return static_cast<int>(value);
}

}  // namespace panelhost
