// Magnetic_Compass and Gyro_Compass: card strips that slide with the heading;
// the gyro compass adds its drift-correction knob and a warning flag.
//
// Reads:  tokenMagneticHeading, tokenGyroHeading, tokenGyroDrift,
//         tokenGyroFlagFirst, tokenGyroFlagSecond.
// Sends:  keyGyroDriftDown/Up while the drift knob is held.
// Plays, keeps: nothing.

#include "module/gauge_builders.h"
#include "module/host_services.h"

extern GAUGEHDR Magnetic_Compass;
extern GAUGEHDR Gyro_Compass;

namespace {

// A card strip is shifted across its window in proportion to the heading
// between 360 and 0; it does not move vertically.
constexpr MovingAxis CardTravel(SimToken heading) { return {heading, 360, 0}; }
constexpr MovingAxis noCardLift = {tokenNone, 360, 360};

// Magnetic_Compass ----------------------------------------------------------

// 2: card strip
FAILURE_RECORD magneticCardFailures[] = {
    {FAIL_GAUGE_MAGNETIC_COMPASS, FAIL_ACTION_NONE},
    {},
};
ELEMENT_MOVING_IMAGE magneticCard =
    MovingImage(2060, {48, 70}, &Magnetic_Compass, nullptr, IMAGE_NEEDLE, magneticCardFailures,
                CardTravel(tokenMagneticHeading), noCardLift);

// 1: case
ELEMENT_STATIC_IMAGE magneticCase = StaticImage(2050, &Magnetic_Compass, listOf<magneticCard>,
                                                IMAGE_PLATE);

MOUSERECT magneticCompassMouse[] = {
    MouseGauge(helpMagneticCompass),
    MouseEnd(),
};

// Gyro_Compass --------------------------------------------------------------

// The flag shows while either of the two gyro warning tokens is positive;
// both are read every frame, whatever the first one says.
FLOAT64 FSAPI GyroFlagValue(ELEMENT_ICON*) {
    const FLOAT64 first = LookupNumber(tokenGyroFlagFirst);
    const FLOAT64 second = LookupNumber(tokenGyroFlagSecond);
    if (first > 0) return 0;
    if (second > 0) return 0;
    return -1;
}

// 4: flag
ELEMENT_ICON gyroFlag =
    Icon(1020, {164, 56}, &Gyro_Compass, nullptr, IMAGE_DIAL, tokenNone, 1, GyroFlagValue);

// 3: card strip
FAILURE_RECORD gyroCardFailures[] = {
    {FAIL_SYSTEM_VACUUM, FAIL_ACTION_NONE},
    {},
};
ELEMENT_MOVING_IMAGE gyroCard =
    MovingImage(1010, {45, 55}, &Gyro_Compass, listOf<gyroFlag>, IMAGE_NEEDLE, gyroCardFailures,
                CardTravel(tokenGyroHeading), noCardLift);

// 2: drift knob, turning with the correction (a full turn is 65536).
NONLINEARITY driftKnobTable[] = {
    {{117, 242}, 0},
    {{117, 282}, 10922.666666666666},
};
ELEMENT_NEEDLE driftKnob =
    Needle(1030, {117, 262}, {28, 28}, &Gyro_Compass, listOf<gyroCard>, IMAGE_KNOB, nullptr,
           tokenGyroDrift, driftKnobTable);

// 1: case
ELEMENT_STATIC_IMAGE gyroCase = StaticImage(1000, &Gyro_Compass, listOf<driftKnob>, IMAGE_PLATE);

// The drift knob's left and right halves turn the correction while held.
MOUSERECT gyroCompassMouse[] = {
    MouseGauge(helpGyroCompass),
    MouseTooltipId(tooltipGyroCompass),
    MouseEvent(89, 234, 28, 56, CURSOR_DOWNARROW, MOUSE_LEFTSINGLE | MOUSE_DOWN_REPEAT,
               keyGyroDriftDown),
    MouseEvent(117, 234, 28, 56, CURSOR_UPARROW, MOUSE_LEFTSINGLE | MOUSE_DOWN_REPEAT,
               keyGyroDriftUp),
    MouseEnd(),
};

}  // namespace

constinit GAUGEHDR Magnetic_Compass = GaugeHeader("Magnetic_Compass", listOf<magneticCase>, 100, magneticCompassMouse);

constinit GAUGEHDR Gyro_Compass = GaugeHeader("Gyro_Compass", listOf<gyroCase>, 100, gyroCompassMouse);
