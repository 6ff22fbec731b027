// Attitude: a horizon card that slides with pitch and turns against bank, a
// bank pointer, an adjustable aircraft symbol and the bezel.
//
// Reads:  tokenPitch, tokenBank, tokenAttitudeSymbolHeight.
// Sends:  keyAttitudeSymbolDown/Up while the knob is held, keyAttitudeCorner.
// Plays, keeps: nothing.
#include <cmath>

#include "module/gauge_builders.h"

extern GAUGEHDR Attitude;

namespace {

constexpr FLOAT64 pitchLimit = 40;  // degrees of card travel each way

// The card's travel ends at +-40 degrees of pitch; a pitch that is not a
// number leaves the card level.
FLOAT64 FSAPI PitchClamp(ELEMENT_SPRITE* element) {
    if (element == nullptr) return 0;
    const FLOAT64 pitch = element->source_var_y.var_value.n;
    if (std::isnan(pitch)) return 0;
    if (pitch > pitchLimit) return pitchLimit;
    if (pitch >= -pitchLimit) return pitch;
    return -pitchLimit;
}

// The card and the bank pointer list these failures without acting on them.
FAILURE_RECORD horizonFailures[] = {
    {FAIL_GAUGE_ATTITUDE, FAIL_ACTION_NONE},
    {FAIL_SYSTEM_ENGINE, FAIL_ACTION_NONE},
    {FAIL_SYSTEM_VACUUM, FAIL_ACTION_NONE},
    {},
};

// 5: bezel
ELEMENT_STATIC_IMAGE attitudeBezel = StaticImage(1130, &Attitude, nullptr, IMAGE_DIAL);

// 4: aircraft symbol, moved up and down by its adjustment knob.
ELEMENT_SLIDER aircraftSymbol = Slider(1100, {68, 59}, &Attitude, listOf<attitudeBezel>, IMAGE_NEEDLE, nullptr,
                                       {tokenNone, 0}, {tokenAttitudeSymbolHeight, -0.15});

// 3: bank pointer
NONLINEARITY bankPointerTable[] = {
    {{177, 130}, -90},
    {{77, 130}, 90},
};
ELEMENT_NEEDLE bankPointer =
    Needle(1090, {127, 130}, {0, 5}, &Attitude, listOf<aircraftSymbol>, IMAGE_NEEDLE,
           horizonFailures, tokenBank, bankPointerTable);

// 2: horizon card, sliding 1.3 pixels per degree of pitch and turning against bank.
ELEMENT_SPRITE horizonCard =
    Sprite(1080, {0, 0}, {127, 130}, &Attitude, listOf<bankPointer>, IMAGE_NEEDLE, horizonFailures,
           {tokenNone, 0}, {tokenPitch, 1.3, PitchClamp}, {tokenBank, -1.0}, 1.0f, 0.9f);

// 1: case
ELEMENT_STATIC_IMAGE attitudeCase = StaticImage(1070, &Attitude, listOf<horizonCard>, IMAGE_DIAL);

MOUSERECT attitudeMouse[] = {
    MouseGauge(helpAttitude),
    MouseEvent(213, 223, 80, 80, CURSOR_HAND, MOUSE_LEFTSINGLE, keyAttitudeCorner),
    MouseEvent(111, 239, 21, 42, CURSOR_DOWNARROW, MOUSE_LEFTSINGLE | MOUSE_DOWN_REPEAT,
               keyAttitudeSymbolDown),
    MouseEvent(132, 239, 21, 42, CURSOR_UPARROW, MOUSE_LEFTSINGLE | MOUSE_DOWN_REPEAT,
               keyAttitudeSymbolUp),
    MouseEnd(),
};

}  // namespace

constinit GAUGEHDR Attitude = GaugeHeader("Attitude", listOf<attitudeCase>, 100, attitudeMouse);
