// Landing gear: a green lamp per leg for down and locked, a red lamp that
// blinks while the leg travels, and the two-position gear handle.
//
// Reads:  tokenLeftGear, tokenRightGear, tokenCentreGear, tokenGearHandle,
//         tokenSimulationTime.
// Sends:  keyGearToggle from the handle.
// Plays, keeps: nothing.
#include <cmath>

#include "module/gauge_builders.h"
#include "module/host_services.h"

extern GAUGEHDR Gear_Lamps;
extern GAUGEHDR Gear_Lever;

namespace {

// Gear extension: above this down and locked, below the other up and locked.
constexpr FLOAT64 gearDownLocked = 16300;
constexpr FLOAT64 gearUpLocked = 50;
constexpr FLOAT64 gearHandleDown = 8000;

constexpr FLOAT64 lampLit = 0;
constexpr FLOAT64 lampDark = -1;

FLOAT64 FSAPI GearDownLamp(ELEMENT_ICON* lamp) {
    if (!lamp) return lampDark;
    return lamp->source_var.var_value.n > gearDownLocked ? lampLit : lampDark;
}

// Red lamp of a travelling leg: dark for the first half of each period, lit
// for the second. The three legs blink with slightly different periods
// (0.51, 0.52 and 0.53 s).
template <int PeriodMilliseconds>
FLOAT64 FSAPI GearTransitLamp(ELEMENT_ICON* lamp) {
    constexpr FLOAT64 period = PeriodMilliseconds / 1000.0;
    constexpr FLOAT64 threshold = period / 2;
    if (!lamp) return lampDark;
    const FLOAT64 time = LookupNumber(tokenSimulationTime);
    const FLOAT64 blink = std::fmod(time, period) > threshold ? lampLit : lampDark;
    const FLOAT64 gear = lamp->source_var.var_value.n;
    if (gear > gearDownLocked) return lampDark;
    if (gear < gearUpLocked) return lampDark;
    return blink;
}

// Without panel power no lamp is drawn.
FAILURE_RECORD lampFailures[] = {
    {FAIL_SYSTEM_ELECTRICAL_PANELS, FAIL_ACTION_NO_DRAW, 0},
    {FAIL_NONE, 0, 0},
};

constexpr SINT32 greenLamp = 280;
constexpr SINT32 redLamp = 290;

// clang-format off
// Each leg: its green lamp, down and locked, and its red lamp, in transit.
ELEMENT_ICON leftGreen = Icon(greenLamp, {13, 61}, &Gear_Lamps, nullptr, IMAGE_LAMP, tokenLeftGear, 1, GearDownLamp, lampFailures);
ELEMENT_ICON leftRed = Icon(redLamp, {15, 8}, &Gear_Lamps, nullptr, IMAGE_LAMP, tokenLeftGear, 1, GearTransitLamp<510>, lampFailures);
ELEMENT_ICON rightGreen = Icon(greenLamp, {61, 61}, &Gear_Lamps, nullptr, IMAGE_LAMP, tokenRightGear, 1, GearDownLamp, lampFailures);
ELEMENT_ICON rightRed = Icon(redLamp, {63, 7}, &Gear_Lamps, nullptr, IMAGE_LAMP, tokenRightGear, 1, GearTransitLamp<520>, lampFailures);
ELEMENT_ICON centreGreen = Icon(greenLamp, {37, 69}, &Gear_Lamps, nullptr, IMAGE_LAMP, tokenCentreGear, 1, GearDownLamp, lampFailures);
ELEMENT_ICON centreRed = Icon(redLamp, {39, 0}, &Gear_Lamps, nullptr, IMAGE_LAMP, tokenCentreGear, 1, GearTransitLamp<530>, lampFailures);
// clang-format on

ELEMENT_STATIC_IMAGE lampPlate = StaticImage(
    270, &Gear_Lamps, listOf<leftGreen, leftRed, rightGreen, rightRed, centreGreen, centreRed>, IMAGE_PLATE);

MOUSERECT lampMouse[] = {MouseGauge(helpGearLamps), MouseEnd()};

// ---------------------------------------------------------------------------
// Gear_Lever: image 0 handle up, image 1 handle down.

FLOAT64 FSAPI GearHandleValue(ELEMENT_ICON* handle) {
    if (!handle) return 0;
    return handle->source_var.var_value.n >= gearHandleDown ? 1 : 0;
}

ELEMENT_ICON gearHandle =
    Icon(2390, {0, 38}, &Gear_Lever, nullptr, IMAGE_PLATE, tokenGearHandle, 2, GearHandleValue);

ELEMENT_STATIC_IMAGE leverPlate = StaticImage(2380, &Gear_Lever, listOf<gearHandle>, IMAGE_PLATE);

MOUSERECT leverMouse[] = {
    MouseGauge(helpGearLever),
    MouseEvent(0, 0, 125, 135, CURSOR_HAND, MOUSE_LEFTSINGLE, keyGearToggle),
    MouseEnd(),
};

}  // namespace

constinit GAUGEHDR Gear_Lamps = GaugeHeader("Gear_Lamps", listOf<lampPlate>, 40, lampMouse);
constinit GAUGEHDR Gear_Lever = GaugeHeader("Gear_Lever", listOf<leverPlate>, 40, leverMouse);
