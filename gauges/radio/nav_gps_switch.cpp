// NAV_GPS_Switch: the toggle that chooses between the NAV receiver and the GPS
// as navigation source. Data alone: the lever follows the simulator's token
// and the click area makes the host send the toggle event itself.
//
// Reads:  tokenNavGpsSource, 0 while the NAV receiver drives navigation, 1 the GPS.
// Sends:  the NAV/GPS toggle, through the host, on each click.
// Keeps:  nothing; no routine, no sound, no power dependence.
#include "module/gauge_builders.h"
#include "module/tokens.h"

extern GAUGEHDR NAV_GPS_Switch;

namespace {

constexpr SINT32 navGpsPlate = 3110;  // NAV at the top, GPS at the bottom
constexpr SINT32 navGpsLever = 3120;  // 3120 up at NAV, 3121 down at GPS

ELEMENT_ICON navGpsLeverIcon =
    Icon(navGpsLever, {0, 0}, &NAV_GPS_Switch, nullptr, IMAGE_PLATE, tokenNavGpsSource, 2, nullptr);
ELEMENT_STATIC_IMAGE navGpsPlateImage = StaticImage(navGpsPlate, &NAV_GPS_Switch, listOf<navGpsLeverIcon>, IMAGE_PLATE);

// The plate's top and bottom ten pixels take no click.
MOUSERECT navGpsMouse[] = {
    MouseGauge(helpNavGpsSwitch),
    MouseEvent(0, 10, 30, 62, CURSOR_HAND, MOUSE_LEFTSINGLE, keyNavGpsToggle),
    MouseEndParent(),
    MouseEnd(),
};

}  // namespace

constinit GAUGEHDR NAV_GPS_Switch = GaugeHeader("NAV_GPS_Switch", listOf<navGpsPlateImage>, 30, navGpsMouse);
