// Turn_Coordinator: turn needle, an inclinometer ball running on a curved
// path, and a power flag that drops when the main bus voltage falls.
//
// Reads:  tokenTurnRate, tokenBallPosition, tokenMainBusVoltage.
// Sends, plays, keeps: nothing.
#include <cmath>

#include "module/gauge_builders.h"

extern GAUGEHDR Turn_Coordinator;

namespace {

constexpr FLOAT64 turnRateUnit = 0.00390625;  // the token counts 256ths
constexpr FLOAT64 flagVoltage = 20;           // volts; the flag shows at or below

// The ball rises the same way on both sides of centre: its vertical offset
// follows the square of its position (the slider's y scale is negative).
FLOAT64 FSAPI BallRise(ELEMENT_SLIDER* element) {
    if (element == nullptr) return 0;
    const FLOAT64 ball = element->source_var_y.var_value.n;
    if (std::isnan(ball)) return 0;
    return ball * ball;
}

FLOAT64 FSAPI TurnNeedleValue(ELEMENT_NEEDLE* element) {
    if (element == nullptr) return 0;
    const FLOAT64 rate = element->source_var.var_value.n;
    if (std::isnan(rate)) return 0;
    return rate * turnRateUnit;
}

// NaN or a dead bus (0 V) compares not above the limit: the flag shows.
FLOAT64 FSAPI PowerFlagValue(ELEMENT_ICON* element) {
    if (element == nullptr) return 0;
    return element->source_var.var_value.n > flagVoltage ? -1 : 0;
}

// 5: bezel overlay
ELEMENT_STATIC_IMAGE turnBezel = StaticImage(490, &Turn_Coordinator, nullptr, IMAGE_PLATE);

// 4: turn needle, stopped beyond a standard-rate turn's 4.5.
NONLINEARITY turnNeedleTable[] = {
    {{118, 220}, -5},
    {{118, 220}, -4.5},
    {{184, 220}, 4.5},
    {{184, 220}, 5},
};
FAILURE_RECORD turnNeedleFailures[] = {
    {FAIL_GAUGE_TURN_COORDINATOR, FAIL_ACTION_FREEZE},
    {FAIL_SYSTEM_ELECTRICAL_PANELS, FAIL_ACTION_ZERO},
    {},
};
ELEMENT_NEEDLE turnNeedle =
    Needle(460, {151, 253}, {24, 14}, &Turn_Coordinator, listOf<turnBezel>, IMAGE_NEEDLE,
           turnNeedleFailures, tokenTurnRate, turnNeedleTable, TurnNeedleValue);

// 3: power flag
ELEMENT_ICON powerFlag =
    Icon(480, {109, 76}, &Turn_Coordinator, listOf<turnNeedle>, IMAGE_DIAL, tokenMainBusVoltage,
         1, PowerFlagValue);

// 2: inclinometer ball
ELEMENT_SLIDER ball = Slider(470, {133, 159}, &Turn_Coordinator, listOf<powerFlag>, IMAGE_NEEDLE, nullptr,
                             {tokenBallPosition, 0.6640625}, {tokenBallPosition, -0.00030517578125, BallRise});

// 1: dial
ELEMENT_STATIC_IMAGE turnDial = StaticImage(450, &Turn_Coordinator, listOf<ball>, IMAGE_DIAL);

MOUSERECT turnCoordinatorMouse[] = {
    MouseGauge(),
    MouseEnd(),
};

}  // namespace

constinit GAUGEHDR Turn_Coordinator = GaugeHeader("Turn_Coordinator", listOf<turnDial>, 100, turnCoordinatorMouse);
