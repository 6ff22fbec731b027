// Airspeed: a needle on the indicated-airspeed token with stops at 0 and 300.
#include <iterator>

#include "module/gauge_builders.h"

extern GAUGEHDR Airspeed;

namespace {

constexpr SINT32 tokenIndicatedAirspeed = 61;
constexpr UINT32 helpAirspeed = 0xAB02;
constexpr UINT32 tooltipAirspeed = 0x3002;

// 3: bezel overlay
ELEMENT_STATIC_IMAGE airspeedBezel = {
    .header = ElementHeader(ELEMENT_TYPE_STATIC_IMAGE, 440, {0, 0}, &Airspeed, nullptr, 0x3),
};
ELEMENT_HEADER* airspeedNeedleNext[] = {&airspeedBezel.header, nullptr};

// 2: needle. The doubled end rows hold it on the stops below 0 and above 300.
NONLINEARITY airspeedTable[] = {
    {{103, 258}, -1},
    {{103, 258}, 0},
    {{80, 245}, 40},
    {{86, 58}, 100},
    {{216, 58}, 150},
    {{218, 246}, 250},
    {{132, 262}, 300},
    {{132, 262}, 500},
};
FAILURE_RECORD airspeedNeedleFailures[] = {
    {FAIL_GAUGE_AIRSPEED, FAIL_ACTION_FREEZE},
    {FAIL_SYSTEM_PITOT_STATIC, FAIL_ACTION_ZERO},
    {},
};
ELEMENT_NEEDLE airspeedNeedle = {
    .header = ElementHeader(ELEMENT_TYPE_NEEDLE, 430, {150, 150}, &Airspeed, airspeedNeedleNext,
                            0x4083, airspeedNeedleFailures, {43, 28}),
    .source_var = Token(tokenIndicatedAirspeed),
    .nonlinearity = airspeedTable,
    .nonlinearity_table_size = std::size(airspeedTable),
};
ELEMENT_HEADER* airspeedDialNext[] = {&airspeedNeedle.header, nullptr};

// 1: dial
ELEMENT_STATIC_IMAGE airspeedDial = {
    .header = ElementHeader(ELEMENT_TYPE_STATIC_IMAGE, 420, {0, 0}, &Airspeed, airspeedDialNext,
                            0x4003),
};

ELEMENT_HEADER* airspeedElements[] = {&airspeedDial.header, nullptr};

MOUSERECT airspeedMouse[] = {
    MouseGauge(helpAirspeed),
    MouseTooltipId(tooltipAirspeed),
    MouseEnd(),
};

}  // namespace

GAUGEHDR Airspeed = {
    .gauge_header_version = GAUGEHDR_VERSION,
    .gauge_name = "Airspeed",
    .elements_list = airspeedElements,
    .size_x_mm = 100,
    .mouse_rect = airspeedMouse,
};
