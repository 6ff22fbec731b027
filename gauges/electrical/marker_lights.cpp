// OMI: the marker-beacon lamp unit with its press-to-test button. The lamps
// follow the simulator's marker state; a press lights the test picture for a
// fixed number of updates and clicks.
//
// Reads:  tokenMarkerBeacon.
// Sends:  nothing.
// Plays:  waveSwitchClick on every press of the test button.
// Keeps:  omiTestCountdown, omiTestActive.
#include "gauges/electrical/sounding_switch.h"
#include "module/gauge_builders.h"

extern GAUGEHDR OMI;

namespace {

std::int32_t omiTestCountdown = 0;
std::int32_t omiTestActive = 0;

SoundingSwitchSound omiSound{.waveId = waveSwitchClick};

// The countdown runs from 18 down to 1: 17 updates of test picture.
constexpr std::int32_t omiTestUpdates = 18;

// Every press, the repeats of a held button included, restarts the test.
SINT32 FSAPI OmiTestButton(MOUSECALLBACK_POINT*, UINT32) {
    omiTestCountdown = omiTestUpdates;
    SoundingSwitchClick(omiSound);
    return 0;
}

// The test picture is the icon's last image; otherwise the marker state
// (0 none, 1 to 3 outer, middle, inner) picks the lamp.
FLOAT64 FSAPI OmiLamps(ELEMENT_ICON* lamps) {
    omiTestActive = 0;
    if (omiTestCountdown > 1) {
        omiTestActive = 1;
        --omiTestCountdown;
    }
    if (!lamps) return 0.0;
    if (omiTestActive) return lamps->picture_count - 1;
    return lamps->source_var.var_value.n;
}

FAILURE_RECORD omiLampFailures[] = {
    {.key = FAIL_SYSTEM_ELECTRICAL_AVIONICS, .action = FAIL_ACTION_NO_DRAW},
    {.key = FAIL_NONE},
};

ELEMENT_ICON omiLamps =
    Icon(2080, {0, 0}, &OMI, nullptr, IMAGE_LAMP, tokenMarkerBeacon, 5, OmiLamps, omiLampFailures);
ELEMENT_STATIC_IMAGE omiFace = StaticImage(2070, &OMI, listOf<omiLamps>, IMAGE_PLATE);

MOUSERECT omiMouse[] = {
    MouseGauge(helpMarkerLights),
    MouseRoutine(86, 64, 25, 25, CURSOR_HAND, MOUSE_LEFTSINGLE | MOUSE_DOWN_REPEAT, OmiTestButton),
    MouseEndParent(),
    MouseEnd(),
};

}  // namespace

constinit GAUGEHDR OMI = GaugeHeader("OMI", listOf<omiFace>, 100, omiMouse, SoundingSwitchRoutine<omiSound>);
