// Airspeed: a needle on the indicated-airspeed token with stops at 0 and 300.
//
// Reads:  tokenIndicatedAirspeed.  Sends, plays, keeps: nothing.
#include <iterator>

#include "module/gauge_builders.h"

extern GAUGEHDR Airspeed;

namespace {

// 3: bezel overlay
ELEMENT_STATIC_IMAGE airspeedBezel = StaticImage(440, &Airspeed, nullptr, IMAGE_PLATE);
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
                            IMAGE_NEEDLE, airspeedNeedleFailures, {43, 28}),
    .source_var = Token(tokenIndicatedAirspeed),
    .nonlinearity = airspeedTable,
    .nonlinearity_table_size = std::size(airspeedTable),
};
ELEMENT_HEADER* airspeedDialNext[] = {&airspeedNeedle.header, nullptr};

// 1: dial
ELEMENT_STATIC_IMAGE airspeedDial = StaticImage(420, &Airspeed, airspeedDialNext, IMAGE_DIAL);

ELEMENT_HEADER* airspeedElements[] = {&airspeedDial.header, nullptr};

MOUSERECT airspeedMouse[] = {
    MouseGauge(helpAirspeed),
    MouseTooltipId(tooltipAirspeed),
    MouseEnd(),
};

}  // namespace

GAUGEHDR Airspeed = GaugeHeader("Airspeed", airspeedElements, 100, airspeedMouse);
