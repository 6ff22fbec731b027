// Airspeed and Vertical_Speed: the pitot-static dials, each a needle on its
// token through a scale table with stops at both ends, under a bezel. Rows of
// the needle-dial table.
//
// Reads:  tokenIndicatedAirspeed; tokenVerticalSpeed, which the simulator
//         delivers in metres per second times 256 (the dial reads +-3000 ft/min).
// Sends, plays, keeps: nothing.
#include "module/needle_dial.h"

extern GAUGEHDR Airspeed;
extern GAUGEHDR Vertical_Speed;

namespace {

// The doubled end rows hold the needle on the stops below 0 and above 300.
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

// Rows are +-1000, +-2500 and +-3000 ft/min in the token's unit
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

// clang-format off
constexpr NeedleDialRow airDataRows[] = {
    {.gauge = &Airspeed, .name = "Airspeed", .sizeMm = 100, .face = 420, .cover = 440, .capOnNeedle = true,
     .needles = {{430, {150, 150}, {43, 28}, tokenIndicatedAirspeed, airspeedTable}},
     .failures = airspeedNeedleFailures, .help = helpAirspeed, .tooltip = tooltipAirspeed},
    {.gauge = &Vertical_Speed, .name = "Vertical_Speed", .sizeMm = 100, .face = 390, .cover = 410, .capOnNeedle = true,
     .needles = {{400, {150, 150}, {65, 12}, tokenVerticalSpeed, verticalSpeedTable}},
     .failures = verticalSpeedNeedleFailures, .help = helpVerticalSpeed},
};
// clang-format on

}  // namespace

constinit GAUGEHDR Airspeed = NeedleDial<airDataRows, &Airspeed>::Header();
constinit GAUGEHDR Vertical_Speed = NeedleDial<airDataRows, &Vertical_Speed>::Header();
