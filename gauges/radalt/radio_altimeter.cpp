// Radio altimeter: the indicator Radio_Altimeter (height pointer, decision-
// height index and setting knob, spoken height callouts), the decision-height
// lamp Radio_Altimeter_DH_Light and the power switch Radio_Altimeter_Switch.
//
// Reads:  tokenRadioHeight and tokenDecisionHeight (metres),
//         tokenDecisionHeightLamp, tokenOnGround, tokenVerticalSpeed,
//         tokenRadaltSupply (the callouts' supply voltage).
// Sends:  keyDecisionHeightUp / keyDecisionHeightDown (value 1: fine step).
// Plays:  waveRadalt1000 down to waveRadalt10 (1000 ft down to 10 ft), waveRadaltMinimums
//         (decision height) from the indicator; waveSwitchClick from the switch.
// Keeps:  radaltPower (systems state, toggled by the switch only), the
//         indicator's last height and filtered vertical speed, its callouts.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>

#include "gauges/electrical/sounding_switch.h"
#include "gauges/electrical/systems_state.h"
#include "gauges/radalt/radio_altimeter.h"
#include "module/gauge_builders.h"
#include "module/host_services.h"
#include "module/numbers.h"
#include "module/parameters.h"
#include "module/tokens.h"
#include "sound/sound.h"

extern GAUGEHDR Radio_Altimeter;
extern GAUGEHDR Radio_Altimeter_DH_Light;
extern GAUGEHDR Radio_Altimeter_Switch;

// Heights are whole feet kept in metres as the simulator converts them, at
// 3.28084 feet to the metre: 304.79999024640034 is 1000 ft, 91.4399970739201
// is 300 ft.
constexpr FLOAT64 feet1000 = 304.79999024640034;
constexpr FLOAT64 feet300 = 91.4399970739201;

namespace {

// ---------------------------------------------------------------------------
// Radio_Altimeter

constexpr SINT32 calloutVolume = -500;  // hundredths of a decibel
// The filter takes a tenth of each new reading (the tenth as the instrument
// always stored it).
constexpr FLOAT64 speedFilterNew = 0.09999999999999998;
constexpr FLOAT64 speedFilterOld = 0.9;
constexpr FLOAT64 speedTokenScale = 256.0;  // tokenVerticalSpeed is m/s x 256
constexpr FLOAT64 feetPerMetre = 3.28084;
constexpr FLOAT64 secondsPerMinute = 60.0;
constexpr FLOAT64 calloutMinimumSupply = 20.0;  // volts on tokenRadaltSupply
constexpr SINT32 calloutSwitchOn = 1;          // parameters "s1"

struct RadaltCallout {
    FLOAT64 height;  // metres
    SoundBuffer buffer;
    std::uint32_t waveId;
    SINT32 volume;
};

MODULE_VAR radaltHeightVar = Token(tokenRadioHeight);
MODULE_VAR radaltDhVar = Token(tokenDecisionHeight);
MODULE_VAR radaltVsVar = Token(tokenVerticalSpeed);
FLOAT64 radaltPrevHeight = 0;
FLOAT64 radaltVerticalSpeed = 0;  // feet per minute, filtered
SINT32 radaltCalloutsEnabled = 0;
SoundDevice radaltDevice = nullptr;
// The placed indicators installed now (the header copies the host passes):
// one set of callouts serves them all, made for the first and released after
// the last. Counted once per instance, so a repeated pre-install or a stray
// pre-kill neither leaks the device nor silences an indicator still placed.
const GAUGEHDR* radaltInstalled[maxSoundingInstances]{};

// Puts `to` in the list where `from` stands; false when `from` is not there.
bool RadaltReplaceInstalled(const GAUGEHDR* from, const GAUGEHDR* to) {
    const GAUGEHDR** at = std::find(std::begin(radaltInstalled), std::end(radaltInstalled), from);
    if (at == std::end(radaltInstalled)) return false;
    *at = to;
    return true;
}

// Announced in this order; the decision-height callout is tried before them.
RadaltCallout radaltCallouts[] = {
    {.height = feet1000, .buffer = nullptr, .waveId = waveRadalt1000, .volume = calloutVolume},
    {.height = 152.39999512320017, .buffer = nullptr, .waveId = waveRadalt500, .volume = calloutVolume},
    {.height = 121.91999609856012, .buffer = nullptr, .waveId = waveRadalt400, .volume = calloutVolume},
    {.height = feet300, .buffer = nullptr, .waveId = waveRadalt300, .volume = calloutVolume},
    {.height = 60.95999804928006, .buffer = nullptr, .waveId = waveRadalt200, .volume = calloutVolume},
    {.height = 30.47999902464003, .buffer = nullptr, .waveId = waveRadalt100, .volume = calloutVolume},
    {.height = 15.239999512320015, .buffer = nullptr, .waveId = waveRadalt50, .volume = calloutVolume},
    {.height = 12.191999609856012, .buffer = nullptr, .waveId = waveRadalt40, .volume = calloutVolume},
    {.height = 9.143999707392009, .buffer = nullptr, .waveId = waveRadalt30, .volume = calloutVolume},
    {.height = 6.095999804928006, .buffer = nullptr, .waveId = waveRadalt20, .volume = calloutVolume},
    {.height = 3.047999902464003, .buffer = nullptr, .waveId = waveRadalt10, .volume = calloutVolume},
};
// Its height follows the decision-height setting every update.
RadaltCallout radaltDhCallout = {
    .height = 0, .buffer = nullptr, .waveId = waveRadaltMinimums, .volume = calloutVolume};

FLOAT64 Refresh(MODULE_VAR& var) {
    var.var_value = LookupToken(var.id);
    return var.var_value.n;
}

bool CalloutLoad(SoundWindow window, RadaltCallout& callout, SoundModule module) {
    if (SoundLoadWave(window, &radaltDevice, &callout.buffer,
                      static_cast<std::uint16_t>(callout.waveId), module) == 0) {
        return false;
    }
    SoundSetVolume(&callout.buffer, callout.volume);
    return true;
}

void CalloutsInstall(GAUGEHDR* gauge, UINT32 moduleHandle) {
    const char* s = FindParameterKeyword(gauge ? gauge->parameters : nullptr, "s");
    radaltCalloutsEnabled = s && ParameterInteger(s + 1) == calloutSwitchOn ? 1 : 0;
    if (!radaltCalloutsEnabled || radaltDevice) return;  // silent, or set up already

    const SoundModule module = reinterpret_cast<SoundModule>(static_cast<std::uintptr_t>(moduleHandle));
    const SoundWindow window = FindSimulatorWindow();
    if (!SoundInit(window, &radaltDevice)) return;
    if (!CalloutLoad(window, radaltDhCallout, module)) return;
    for (RadaltCallout& callout : radaltCallouts) {
        if (!CalloutLoad(window, callout, module)) return;
    }
}

void CalloutsRelease() {
    for (RadaltCallout& callout : radaltCallouts) SoundReleaseBuffer(&callout.buffer);
    SoundReleaseBuffer(&radaltDhCallout.buffer);
    SoundReleaseDevice(&radaltDevice);
}

// A callout speaks once per descent through its height: the height passed
// from at or above it to at or below it this frame, the aircraft sinks at
// least as many feet per minute as the height's number of metres, and its
// own recording is not still playing.
bool CalloutTry(RadaltCallout& callout, FLOAT64 height) {
    if (!(height <= callout.height && callout.height <= radaltPrevHeight &&
          radaltVerticalSpeed <= -callout.height && SoundIsPlaying(&callout.buffer) == 0)) {
        return false;
    }
    SoundPlay(&callout.buffer, 0);
    return true;
}

void RadaltUpdate() {
    radaltPrevHeight = radaltHeightVar.var_value.n;
    const FLOAT64 height = Refresh(radaltHeightVar);
    radaltDhCallout.height = Refresh(radaltDhVar);
    // A reading that is not a number would stay in the filter for good and
    // silence the callouts for the rest of the flight: it is skipped.
    const FLOAT64 feetPerMinute =
        Refresh(radaltVsVar) / speedTokenScale * feetPerMetre * secondsPerMinute;
    if (std::isfinite(feetPerMinute)) {
        radaltVerticalSpeed = speedFilterNew * feetPerMinute + speedFilterOld * radaltVerticalSpeed;
    }

    if (radaltPower == 0 || radaltCalloutsEnabled == 0) return;
    if (!(LookupNumber(tokenRadaltSupply) >= calloutMinimumSupply)) return;
    if (CalloutTry(radaltDhCallout, height)) return;
    for (RadaltCallout& callout : radaltCallouts) {
        if (CalloutTry(callout, height)) return;
    }
}

void FSAPI RadioAltimeterRoutine(GAUGEHDR* gauge, SINT32 serviceId, UINT32 extraData) {
    switch (serviceId) {
    case PANEL_SERVICE_CONNECT_TO_WINDOW:
        radaltPrevHeight = Refresh(radaltHeightVar);
        break;
    case PANEL_SERVICE_PRE_INSTALL:
        if (gauge && std::find(std::begin(radaltInstalled), std::end(radaltInstalled), gauge) ==
                         std::end(radaltInstalled)) {
            RadaltReplaceInstalled(nullptr, gauge);
        }
        CalloutsInstall(gauge, extraData);
        break;
    case PANEL_SERVICE_PRE_UPDATE:
        RadaltUpdate();
        break;
    case PANEL_SERVICE_PRE_KILL:
        // A kill of an indicator that is not installed has nothing to release.
        if (!gauge || !RadaltReplaceInstalled(gauge, nullptr)) break;
        if (std::all_of(std::begin(radaltInstalled), std::end(radaltInstalled),
                        [](const GAUGEHDR* placed) { return placed == nullptr; })) {
            CalloutsRelease();
        }
        break;
    default:
        break;
    }
}

FLOAT64 FSAPI HeightPointerValue(ELEMENT_NEEDLE* pointer) {
    if (!pointer || radaltPower == 0) return 0.0;
    return pointer->source_var.var_value.n;
}

// The knob turns twenty times as far as the index moves over the dial. The
// index is the placed gauge's own needle, whose table the host has given
// its degrees.
constexpr FLOAT64 knobTurnsPerIndexTurn = 20.0;
FLOAT64 FSAPI DhKnobAngle(ELEMENT_NEEDLE* knob) {
    if (!knob || !knob->header.gauge_header) return 0.0;
    ELEMENT_HEADER** list = knob->header.gauge_header->elements_list;
    for (int level = 0; level < 2; ++level) {  // background -> pointer -> index
        if (!list || !list[0] || !list[0]->next_element) return 0.0;
        list = list[0]->next_element;
    }
    ELEMENT_HEADER* index = list[0];
    if (!index || index->element_type != ELEMENT_TYPE_NEEDLE) return 0.0;
    const auto* needle = ElementAs<ELEMENT_NEEDLE>(index);
    return knobTurnsPerIndexTurn *
           TableAngle(needle->nonlinearity, needle->nonlinearity_table_size, knob->source_var.var_value.n);
}

// Below 300 ft the setting moves in fine steps (value 1).
constexpr UINT32 fineStep = 1;
constexpr UINT32 coarseStep = 0;

SINT32 FSAPI DhIncrease(MOUSECALLBACK_POINT*, UINT32) {
    const FLOAT64 dh = LookupNumber(tokenDecisionHeight);
    if (!(dh < feet1000)) return 0;
    TriggerKeyEvent(keyDecisionHeightUp, dh < feet300 ? fineStep : coarseStep);
    return 0;
}

SINT32 FSAPI DhDecrease(MOUSECALLBACK_POINT*, UINT32) {
    const FLOAT64 dh = LookupNumber(tokenDecisionHeight);
    if (!(dh > 0)) return 0;
    TriggerKeyEvent(keyDecisionHeightDown, dh < feet300 ? fineStep : coarseStep);
    return 0;
}

// Elements, top of the chain first.
ELEMENT_NEEDLE radaltKnob = Needle(2360, {277, 287}, {33, 33}, &Radio_Altimeter, nullptr, IMAGE_KNOB,
                                   nullptr, tokenDecisionHeight, {}, DhKnobAngle);
ELEMENT_STATIC_IMAGE radaltCover = StaticImage(2370, &Radio_Altimeter, listOf<radaltKnob>, IMAGE_PLATE);

// Table RA, shared by the pointer and the index: 0 to 1000 ft, on to 2500 ft,
// held at both ends.
NONLINEARITY radaltTable[] = {
    {{153, 283}, -0.3047999902464003},  // -1 ft
    {{153, 283}, 0},
    {{229, 251}, feet1000},
    {{208, 260}, 761.9999756160008},    // 2500 ft
    {{208, 260}, 30479.694224649786},
};

ELEMENT_NEEDLE radaltIndex = Needle(2250, {152, 160}, {0, 8}, &Radio_Altimeter, listOf<radaltCover>,
                                    IMAGE_NEEDLE, nullptr, tokenDecisionHeight, radaltTable);

FAILURE_RECORD radaltPointerFailures[] = {
    {FAIL_SYSTEM_ELECTRICAL_PANELS, FAIL_ACTION_ZERO},
    {},
};
ELEMENT_NEEDLE radaltPointer = Needle(2240, {152, 160}, {14, 14}, &Radio_Altimeter, listOf<radaltIndex>,
                                      IMAGE_NEEDLE, radaltPointerFailures, tokenRadioHeight, radaltTable,
                                      HeightPointerValue);

ELEMENT_STATIC_IMAGE radaltBackground = StaticImage(2230, &Radio_Altimeter, listOf<radaltPointer>, IMAGE_DIAL);

constexpr UINT32 knobFlags = MOUSE_LEFTSINGLE | MOUSE_DOWN_REPEAT;
MOUSERECT radaltMouse[] = {
    MouseGauge(),
    MouseTooltipId(helpRadioAltimeter),
    MouseRoutine(244, 254, 33, 66, CURSOR_DOWNARROW, knobFlags, DhDecrease),
    MouseRoutine(277, 254, 33, 66, CURSOR_UPARROW, knobFlags, DhIncrease),
    MouseEndParent(),
    MouseEnd(),
};

// ---------------------------------------------------------------------------
// Radio_Altimeter_DH_Light: lit while the height is at or below the decision
// height, the set is on and the aircraft is not standing on the ground.

constexpr FLOAT64 onGround = 1.0;
FLOAT64 FSAPI DhLightImage(ELEMENT_ICON* lamp) {
    const FLOAT64 ground = LookupNumber(tokenOnGround);
    if (!lamp || radaltPower == 0 || ground == onGround) return -1.0;
    return lamp->source_var.var_value.n - 1.0;
}

ELEMENT_ICON dhLamp = Icon(2490, {0, 0}, &Radio_Altimeter_DH_Light, nullptr, IMAGE_LAMP,
                           tokenDecisionHeightLamp, 1, DhLightImage);
ELEMENT_STATIC_IMAGE dhLampBase = StaticImage(2480, &Radio_Altimeter_DH_Light, listOf<dhLamp>, IMAGE_PLATE);

MOUSERECT dhLampMouse[] = {
    MouseGauge(),
    MouseTooltipText("Radio-altimeter decision height light"),
    MouseEndParent(),
    MouseEnd(),
};

// ---------------------------------------------------------------------------
// Radio_Altimeter_Switch: the set's power, kept by the module.

SoundingSwitchSound radaltSwitchSound{.waveId = waveSwitchClick};

constexpr FLOAT64 switchShowsOff = 1.0;  // the first image is never shown
constexpr FLOAT64 switchShowsOn = 2.0;
FLOAT64 FSAPI RadaltSwitchImage(ELEMENT_ICON*) { return radaltPower == 0 ? switchShowsOff : switchShowsOn; }

// Three pictures: centred (never shown), off, on.
ELEMENT_ICON radaltSwitchLever = Icon(3480, {0, 0}, &Radio_Altimeter_Switch, nullptr, IMAGE_PLATE, tokenNone,
                                      3, RadaltSwitchImage);
ELEMENT_STATIC_IMAGE radaltSwitchPlate =
    StaticImage(3470, &Radio_Altimeter_Switch, listOf<radaltSwitchLever>, IMAGE_PLATE);

MOUSERECT radaltSwitchMouse[] = {
    MouseGauge(),
    MouseTooltipText("Radio-altimeter switch"),
    MouseRoutine(0, 20, 40, 118, CURSOR_HAND, MOUSE_LEFTSINGLE, FlipFlagClick<radaltPower, radaltSwitchSound>),
    MouseEndParent(),
    MouseEnd(),
};

}  // namespace

constinit GAUGEHDR Radio_Altimeter =
    GaugeHeader("Radio_Altimeter", listOf<radaltBackground>, 100, radaltMouse, RadioAltimeterRoutine);
constinit GAUGEHDR Radio_Altimeter_DH_Light = GaugeHeader("Radio_Altimeter_DH_Light", listOf<dhLampBase>, 30, dhLampMouse);
constinit GAUGEHDR Radio_Altimeter_Switch = GaugeHeader("Radio_Altimeter_Switch", listOf<radaltSwitchPlate>, 30,
                                              radaltSwitchMouse, SoundingSwitchRoutine<radaltSwitchSound>);
