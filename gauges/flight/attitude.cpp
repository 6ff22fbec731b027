// Attitude: a horizon card that slides with pitch and turns against bank, a
// bank pointer, an adjustable aircraft symbol and the bezel.
#include <cmath>
#include <iterator>

#include "module/gauge_builders.h"

extern GAUGEHDR Attitude;

namespace {

constexpr SINT32 tokenPitch = 78;          // degrees
constexpr SINT32 tokenBank = 80;           // degrees
constexpr SINT32 tokenSymbolHeight = 612;  // aircraft symbol adjustment

constexpr UINT32 helpAttitude = 0xAB0D;
constexpr UINT32 keyCornerClick = 0x10345;
constexpr UINT32 keySymbolDown = 0x1030F;
constexpr UINT32 keySymbolUp = 0x1030E;

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
ELEMENT_STATIC_IMAGE attitudeBezel = {
    .header = ElementHeader(ELEMENT_TYPE_STATIC_IMAGE, 1130, {0, 0}, &Attitude, nullptr, 0x4003),
};
ELEMENT_HEADER* symbolNext[] = {&attitudeBezel.header, nullptr};

// 4: aircraft symbol, moved up and down by its adjustment knob.
ELEMENT_SLIDER aircraftSymbol = {
    .header = ElementHeader(ELEMENT_TYPE_SLIDER, 1100, {68, 59}, &Attitude, symbolNext, 0x4083),
    .source_var_x = Token(0),
    .scale_x = 0,
    .source_var_y = Token(tokenSymbolHeight),
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
                            0x4083, horizonFailures, {0, 5}),
    .source_var = Token(tokenBank),
    .nonlinearity = bankPointerTable,
    .nonlinearity_table_size = std::size(bankPointerTable),
};
ELEMENT_HEADER* horizonNext[] = {&bankPointer.header, nullptr};

// 2: horizon card
ELEMENT_SPRITE horizonCard = {
    .header = ElementHeader(ELEMENT_TYPE_SPRITE, 1080, {0, 0}, &Attitude, horizonNext, 0x4083,
                            horizonFailures, {127, 130}),
    .source_var_x = Token(0),
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
ELEMENT_STATIC_IMAGE attitudeCase = {
    .header = ElementHeader(ELEMENT_TYPE_STATIC_IMAGE, 1070, {0, 0}, &Attitude, attitudeCaseNext,
                            0x4003),
};

ELEMENT_HEADER* attitudeElements[] = {&attitudeCase.header, nullptr};

MOUSERECT attitudeMouse[] = {
    MouseGauge(helpAttitude),
    MouseEvent(213, 223, 80, 80, CURSOR_HAND, MOUSE_LEFTSINGLE, keyCornerClick),
    MouseEvent(111, 239, 21, 42, CURSOR_DOWNARROW, MOUSE_LEFTSINGLE | MOUSE_DOWN_REPEAT,
               keySymbolDown),
    MouseEvent(132, 239, 21, 42, CURSOR_UPARROW, MOUSE_LEFTSINGLE | MOUSE_DOWN_REPEAT,
               keySymbolUp),
    MouseEnd(),
};

}  // namespace

GAUGEHDR Attitude = {
    .gauge_header_version = GAUGEHDR_VERSION,
    .gauge_name = "Attitude",
    .elements_list = attitudeElements,
    .size_x_mm = 100,
    .mouse_rect = attitudeMouse,
};
