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

ELEMENT_ICON omiLamps = {
    .header = ElementHeader(ELEMENT_TYPE_ICON, 2080, {0, 0}, &OMI, nullptr, IMAGE_LAMP, omiLampFailures),
    .source_var = Token(tokenMarkerBeacon),
    .scale = 1.0,
    .picture_count = 5,
    .update_cb = OmiLamps,
};
ELEMENT_HEADER* omiFaceNext[] = {&omiLamps.header, nullptr};
ELEMENT_STATIC_IMAGE omiFace = StaticImage(2070, &OMI, omiFaceNext, IMAGE_PLATE);
ELEMENT_HEADER* omiElements[] = {&omiFace.header, nullptr};

MOUSERECT omiMouse[] = {
    MouseGauge(helpMarkerLights),
    MouseRoutine(86, 64, 25, 25, CURSOR_HAND, MOUSE_LEFTSINGLE | MOUSE_DOWN_REPEAT, OmiTestButton),
    MouseEndParent(),
    MouseEnd(),
};

}  // namespace

GAUGEHDR OMI = GaugeHeader("OMI", omiElements, 100, omiMouse, SoundingSwitchRoutine<omiSound>);
