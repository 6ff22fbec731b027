// Attitude: a horizon card that slides with pitch and turns against bank, a
// bank pointer, an adjustable aircraft symbol and the bezel.
//
// Reads:  tokenPitch, tokenBank, tokenAttitudeSymbolHeight.
// Sends:  keyAttitudeSymbolDown/Up while the knob is held, keyAttitudeCorner.
// Plays, keeps: nothing.
#include <cmath>
#include <iterator>

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
ELEMENT_HEADER* symbolNext[] = {&attitudeBezel.header, nullptr};

// 4: aircraft symbol, moved up and down by its adjustment knob.
ELEMENT_SLIDER aircraftSymbol = {
    .header = ElementHeader(ELEMENT_TYPE_SLIDER, 1100, {68, 59}, &Attitude, symbolNext, IMAGE_NEEDLE),
    .source_var_x = Token(tokenNone),
    .scale_x = 0,
    .source_var_y = Token(tokenAttitudeSymbolHeight),
    .scale_y = -0.15,
};
ELEMENT_HEADER* bankPointerNext[] = {&aircraftSymbol.header, nullptr};

// 3: bank pointer
NONLINEARITY bankPointerTable[] = {
    {{177, 130}, -90},
    {{77, 130}, 90},
};
ELEMENT_NEEDLE bankPointer = {
    .header = ElementHeader(ELEMENT_TYPE_NEEDLE, 1090, {127, 130}, &Attitude, bankPointerNext,
                            IMAGE_NEEDLE, horizonFailures, {0, 5}),
    .source_var = Token(tokenBank),
    .nonlinearity = bankPointerTable,
    .nonlinearity_table_size = std::size(bankPointerTable),
};
ELEMENT_HEADER* horizonNext[] = {&bankPointer.header, nullptr};

// 2: horizon card
ELEMENT_SPRITE horizonCard = {
    .header = ElementHeader(ELEMENT_TYPE_SPRITE, 1080, {0, 0}, &Attitude, horizonNext, IMAGE_NEEDLE,
                            horizonFailures, {127, 130}),
    .source_var_x = Token(tokenNone),
    .scale_x = 0,
    .source_var_y = Token(tokenPitch),
    .scale_y = 1.3,
    .source_var_0 = Token(tokenBank),
    .scale_0 = -1.0,
    .texture_scale_x = 1.0f,
    .texture_scale_y = 0.9f,
    .update_x_cb = nullptr,
    .update_y_cb = PitchClamp,
    .update_0_cb = nullptr,
};
ELEMENT_HEADER* attitudeCaseNext[] = {&horizonCard.header, nullptr};

// 1: case
ELEMENT_STATIC_IMAGE attitudeCase = StaticImage(1070, &Attitude, attitudeCaseNext, IMAGE_DIAL);

ELEMENT_HEADER* attitudeElements[] = {&attitudeCase.header, nullptr};

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

GAUGEHDR Attitude = GaugeHeader("Attitude", attitudeElements, 100, attitudeMouse);
