// Flaps_Indicator: a needle that glides to the flap position through a
// first-order filter. Flaps_Switch: a spring-loaded three-position switch
// whose picture shows it held up or down for nine frames after the flap
// setting changes.
//
// Reads:  tokenFlapsPosition, tokenFlapsSetting.
// Sends:  keyFlapsUpStep/keyFlapsDownStep while the switch is held.
// Plays:  nothing.
// Keeps:  flapsSmoothed, flapsLastValue, flapsUpHold, flapsDownHold.
#include <cmath>

#include "module/needle_dial.h"

extern GAUGEHDR Flaps_Indicator;
extern GAUGEHDR Flaps_Switch;

namespace {

constexpr FLOAT64 flapsFilterGain = 0.125;  // share of the new value per frame
constexpr SINT32 flapsHoldFrames = 9;

enum : SINT32 { flapsPictureNeutral = 0, flapsPictureUp = 1, flapsPictureDown = 2 };

// Indicator and switch state: lives as long as the module is loaded.
FLOAT64 flapsSmoothed = 0;
FLOAT64 flapsLastValue = 0;
SINT32 flapsUpHold = 0;
SINT32 flapsDownHold = 0;

// A frame that delivers no finite position leaves the filter where it was:
// taking it in would keep the needle lost for the rest of the session.
FLOAT64 FSAPI FlapsNeedleValue(ELEMENT_NEEDLE* element) {
    if (element == nullptr) return flapsSmoothed;
    const FLOAT64 position = element->source_var.var_value.n;
    if (!std::isfinite(position)) return flapsSmoothed;
    flapsSmoothed = flapsFilterGain * position + (1 - flapsFilterGain) * flapsSmoothed;
    return flapsSmoothed;
}

// The hold counters run down to -1; a change of setting restarts the hold
// of its own direction and cancels the other, so the last change wins.
FLOAT64 FSAPI FlapsSwitchPicture(ELEMENT_ICON* element) {
    if (flapsUpHold >= 0) --flapsUpHold;
    if (flapsDownHold >= 0) --flapsDownHold;
    if (element != nullptr && !std::isnan(element->source_var.var_value.n)) {
        const FLOAT64 setting = element->source_var.var_value.n;
        if (flapsLastValue > setting) {
            flapsUpHold = flapsHoldFrames;
            flapsDownHold = 0;
        }
        if (flapsLastValue < setting) {
            flapsDownHold = flapsHoldFrames;
            flapsUpHold = 0;
        }
        flapsLastValue = setting;
    }
    if (flapsUpHold > 0) return flapsPictureUp;
    if (flapsDownHold > 0) return flapsPictureDown;
    return flapsPictureNeutral;
}

// Flaps_Indicator -----------------------------------------------------------

NONLINEARITY flapsNeedleTable[] = {
    {{166, 65}, 0},
    {{152, 109}, 8191},
    {{119, 143}, 16382},
};
FAILURE_RECORD flapsNeedleFailures[] = {
    {FAIL_SYSTEM_ELECTRICAL_PANELS, FAIL_ACTION_NONE},
    {},
};

// A needle dial of one row: dial, needle, overlay.
constexpr NeedleDialRow flapsIndicatorRow[] = {
    {.gauge = &Flaps_Indicator, .name = "Flaps_Indicator", .sizeMm = 100, .face = 1310,
     .cover = 1330, .capOnNeedle = true,
     .needles = {{1320, {75, 65}, {0, 6}, tokenFlapsPosition, flapsNeedleTable, FlapsNeedleValue}},
     .failures = flapsNeedleFailures, .help = helpFlapsIndicator},
};

// Flaps_Switch --------------------------------------------------------------

// The plate and the switch picture: neutral, up, down.
ELEMENT_ICON flapsSwitchLever = Icon(4290, {0, 0}, &Flaps_Switch, nullptr, IMAGE_PLATE,
                                     tokenFlapsSetting, 3, FlapsSwitchPicture);
ELEMENT_STATIC_IMAGE flapsSwitchPlate =
    StaticImage(4280, &Flaps_Switch, listOf<flapsSwitchLever>, IMAGE_PLATE);

// Upper half steps the flaps up, lower half down, repeating while held.
MOUSERECT flapsSwitchMouse[] = {
    MouseGauge(helpFlapsSwitch),
    MouseEvent(0, 0, 40, 50, CURSOR_UPARROW, MOUSE_LEFTSINGLE | MOUSE_DOWN_REPEAT, keyFlapsUpStep),
    MouseEvent(0, 50, 40, 50, CURSOR_DOWNARROW, MOUSE_LEFTSINGLE | MOUSE_DOWN_REPEAT,
               keyFlapsDownStep),
    MouseEnd(),
};

}  // namespace

constinit GAUGEHDR Flaps_Indicator = NeedleDial<flapsIndicatorRow, &Flaps_Indicator>::Header();

constinit GAUGEHDR Flaps_Switch = GaugeHeader("Flaps_Switch", listOf<flapsSwitchPlate>, 40, flapsSwitchMouse);
