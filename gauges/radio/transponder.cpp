// Radio_IFF_XPDR: the transponder control box. Four rolling drums show the
// simulator's squawk code; an area above and below each drum steps its digit.
//
// Reads:  tokenTransponderCode, the code, one BCD digit a nibble.
// Sends:  the simulator's per-digit up and down events, value 0, while on.
// Plays:  waveKnobClick on the power switch.
// Keeps:  xpdrPower (SystemsState); the code as last decoded.
//
// The power switch changes nothing in the simulator: it lights the drums and
// the lamp and enables the digit areas. Each digit's range and wrapping are
// the simulator's. The push button is drawn but has no function.
#include <cstddef>

#include "gauges/electrical/sounding_switch.h"
#include "gauges/electrical/systems_state.h"
#include "gauges/radio/radio_display.h"
#include "module/gauge_builders.h"
#include "module/host_services.h"
#include "module/numbers.h"
#include "module/tokens.h"

extern GAUGEHDR Radio_IFF_XPDR;

namespace {

FLOAT64 xpdrCode = 0.0;  // 0 to 7777 as the simulator keeps it

SoundingSwitchSound xpdrSound{.waveId = waveKnobClick};

void DecodeCode() { xpdrCode = BcdFourDigits(LookupToken(tokenTransponderCode).u); }

// Each drum decodes the code afresh and lights itself with the power; its
// digit's position: 0 the units to 3 the thousands.
template <unsigned Position>
FLOAT64 FSAPI Drum(ELEMENT_MOVING_IMAGE* drum) {
    DecodeCode();
    if (drum) LightDigits(&drum->header, xpdrPower != 0);
    return DecimalDigit(xpdrCode, Position);
}

FLOAT64 FSAPI Lamp(ELEMENT_ICON*) { return xpdrPower ? 0.0 : -1.0; }
FLOAT64 FSAPI PowerSwitch(ELEMENT_ICON*) { return xpdrPower ? 1.0 : 0.0; }

struct DigitArea {
    SINT32 x{};
    KeyEvent up{};
    KeyEvent down{};
};

// Thousands to units, left to right.
constexpr DigitArea digitAreas[] = {
    {.x = 111, .up = keyTransponderThousandsUp, .down = keyTransponderThousandsDown},
    {.x = 134, .up = keyTransponderHundredsUp, .down = keyTransponderHundredsDown},
    {.x = 157, .up = keyTransponderTensUp, .down = keyTransponderTensDown},
    {.x = 180, .up = keyTransponderUnitsUp, .down = keyTransponderUnitsDown},
};

template <std::size_t Digit, bool Up>
SINT32 FSAPI DigitClick(MOUSECALLBACK_POINT*, UINT32) {
    if (xpdrPower) TriggerKeyEvent(Up ? digitAreas[Digit].up : digitAreas[Digit].down, 0);
    return 0;
}

SINT32 FSAPI PushButton(MOUSECALLBACK_POINT*, UINT32) { return 0; }

// The power flag is left alone at install: Shut_Down clears it at connect.
void FSAPI TransponderRoutine(GAUGEHDR* gauge, SINT32 serviceId, UINT32 extraData) {
    if (serviceId == PANEL_SERVICE_PRE_UPDATE) DecodeCode();
    SoundingSwitchService(xpdrSound, gauge, serviceId, extraData);
}

constexpr SINT32 xpdrFace = 4000;
constexpr SINT32 xpdrDrum = 4010;  // 0 to 9 and 0 again, window 4011
constexpr SINT32 xpdrPowerSwitch = 4020;
constexpr SINT32 xpdrLamp = 4030;
constexpr SINT32 xpdrPushButton = 4040;

FAILURE_RECORD xpdrFailures[] = {
    {.key = FAIL_SYSTEM_ELECTRICAL_PANELS, .action = FAIL_ACTION_NO_DRAW},
    {.key = FAIL_SYSTEM_ELECTRICAL_AVIONICS, .action = FAIL_ACTION_NO_DRAW},
    {.key = FAIL_NONE},
};

// A drum shows one digit of the code, 0 to 9 over its height.
constexpr ELEMENT_MOVING_IMAGE DigitDrum(PIXPOINT at, ELEMENT_HEADER** next, SimToken token,
                                         MOVING_IMAGE_UPDATE_CALLBACK value) {
    return MovingImage(xpdrDrum, at, &Radio_IFF_XPDR, next, IMAGE_KNOB, xpdrFailures, {}, {token, 0.0, 10.0, value});
}

// 8 to 1, top of the chain first. The drums' source tokens are carried but
// not used: each drum decodes the code itself.
ELEMENT_ICON xpdrPowerIcon =
    Icon(xpdrPowerSwitch, {27, 8}, &Radio_IFF_XPDR, nullptr, IMAGE_PLATE, tokenNone, 2, PowerSwitch);
ELEMENT_ICON xpdrLampIcon = Icon(xpdrLamp, {53, 79}, &Radio_IFF_XPDR, listOf<xpdrPowerIcon>, IMAGE_LAMP, tokenNone, 1,
                                 Lamp, xpdrFailures);
ELEMENT_ICON xpdrButtonIcon = Icon(xpdrPushButton, {208, 31}, &Radio_IFF_XPDR, listOf<xpdrLampIcon>, IMAGE_PLATE,
                                   tokenNone, 2, nullptr, xpdrFailures);
ELEMENT_MOVING_IMAGE xpdrThousands = DigitDrum({115, 57}, listOf<xpdrButtonIcon>, tokenTransponderCode, Drum<3>);
ELEMENT_MOVING_IMAGE xpdrHundreds = DigitDrum({138, 57}, listOf<xpdrThousands>, tokenTransponderCode, Drum<2>);
ELEMENT_MOVING_IMAGE xpdrTens = DigitDrum({161, 57}, listOf<xpdrHundreds>, tokenNone, Drum<1>);
ELEMENT_MOVING_IMAGE xpdrUnits = DigitDrum({184, 57}, listOf<xpdrTens>, tokenTransponderCode, Drum<0>);
ELEMENT_STATIC_IMAGE xpdrFaceImage = StaticImage(xpdrFace, &Radio_IFF_XPDR, listOf<xpdrUnits>, IMAGE_PLATE);

// Each digit's up area lies just above its drum window, the down area below.
constexpr SINT32 upAreaY = 44;
constexpr SINT32 downAreaY = 76;
constexpr UINT32 knobFlags = MOUSE_LEFTSINGLE | MOUSE_DOWN_REPEAT;
MOUSERECT xpdrMouse[] = {
    MouseGauge(helpTransponder),
    MouseRoutine(29, 12, 24, 60, CURSOR_HAND, MOUSE_LEFTSINGLE, FlipFlagClick<xpdrPower, xpdrSound>),
    MouseRoutine(digitAreas[0].x, downAreaY, 23, 15, CURSOR_DOWNARROW, knobFlags, DigitClick<0, false>),
    MouseRoutine(digitAreas[0].x, upAreaY, 23, 15, CURSOR_UPARROW, knobFlags, DigitClick<0, true>),
    MouseRoutine(digitAreas[1].x, downAreaY, 23, 15, CURSOR_DOWNARROW, knobFlags, DigitClick<1, false>),
    MouseRoutine(digitAreas[1].x, upAreaY, 23, 15, CURSOR_UPARROW, knobFlags, DigitClick<1, true>),
    MouseRoutine(digitAreas[2].x, downAreaY, 23, 15, CURSOR_DOWNARROW, knobFlags, DigitClick<2, false>),
    MouseRoutine(digitAreas[2].x, upAreaY, 23, 15, CURSOR_UPARROW, knobFlags, DigitClick<2, true>),
    MouseRoutine(digitAreas[3].x, downAreaY, 23, 15, CURSOR_DOWNARROW, knobFlags, DigitClick<3, false>),
    MouseRoutine(digitAreas[3].x, upAreaY, 23, 15, CURSOR_UPARROW, knobFlags, DigitClick<3, true>),
    MouseRoutine(208, 31, 24, 32, CURSOR_HAND, MOUSE_LEFTSINGLE, PushButton),
    MouseEndParent(),
    MouseEnd(),
};

}  // namespace

constinit GAUGEHDR Radio_IFF_XPDR = GaugeHeader("Radio_IFF_XPDR", listOf<xpdrFaceImage>, 100, xpdrMouse, TransponderRoutine);
