// Vertical_Speed: a needle on the vertical-speed token, which the simulator
// delivers in metres per second times 256; the dial reads +-3000 ft/min.
//
// Reads:  tokenVerticalSpeed.  Sends, plays, keeps: nothing.
#include <iterator>

#include "module/gauge_builders.h"

extern GAUGEHDR Vertical_Speed;

namespace {

// 3: bezel overlay
ELEMENT_STATIC_IMAGE verticalSpeedBezel = StaticImage(410, &Vertical_Speed, nullptr, IMAGE_PLATE);
ELEMENT_HEADER* verticalSpeedNeedleNext[] = {&verticalSpeedBezel.header, nullptr};

// 2: needle. Rows are +-1000, +-2500 and +-3000 ft/min in the token's unit
// (1000 ft/min = 5.08 m/s = 1300.48); the doubled end points are the stops.
NONLINEARITY verticalSpeedTable[] = {
    {{266, 163}, -3901.4398751539243},
    {{263, 163}, -3251.1998959616035},
    {{163, 269}, -1300.4799583846413},
    {{41, 148}, 0},
    {{136, 39}, 1300.4799583846413},
    {{267, 143}, 3251.1998959616035},
    {{267, 143}, 3901.4398751539243},
};
FAILURE_RECORD verticalSpeedNeedleFailures[] = {
    {FAIL_GAUGE_VERTICAL_SPEED, FAIL_ACTION_FREEZE},
    {FAIL_SYSTEM_PITOT_STATIC, FAIL_ACTION_ZERO},
    {},
};
ELEMENT_NEEDLE verticalSpeedNeedle = {
    .header = ElementHeader(ELEMENT_TYPE_NEEDLE, 400, {150, 150}, &Vertical_Speed,
                            verticalSpeedNeedleNext, IMAGE_NEEDLE, verticalSpeedNeedleFailures,
                            {65, 12}),
    .source_var = Token(tokenVerticalSpeed),
    .nonlinearity = verticalSpeedTable,
    .nonlinearity_table_size = std::size(verticalSpeedTable),
};
ELEMENT_HEADER* verticalSpeedDialNext[] = {&verticalSpeedNeedle.header, nullptr};

// 1: dial
ELEMENT_STATIC_IMAGE verticalSpeedDial =
    StaticImage(390, &Vertical_Speed, verticalSpeedDialNext, IMAGE_DIAL);

ELEMENT_HEADER* verticalSpeedElements[] = {&verticalSpeedDial.header, nullptr};

MOUSERECT verticalSpeedMouse[] = {
    MouseGauge(helpVerticalSpeed),
    MouseEnd(),
};

}  // namespace

GAUGEHDR Vertical_Speed = GaugeHeader("Vertical_Speed", verticalSpeedElements, 100, verticalSpeedMouse);
