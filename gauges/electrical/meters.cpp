// The electrical meters: three ammeters and the main bus voltmeter. Each is a
// dial, a needle driven straight by its token through five scale points, and
// a cap riding on the needle. Every table holds each end mark twice, with two
// values, so the needle rests on the end mark for every value between them.
//
// Reads:  tokenBatteryBusAmps, tokenLeftGeneratorAmps, tokenRightGeneratorAmps,
//         tokenMainBusVoltage.
// Sends, plays, keeps: nothing.
#include "module/needle_dial.h"

extern GAUGEHDR Battery_Bus_Ammeter;
extern GAUGEHDR Left_Generator_Bus_Ammeter;
extern GAUGEHDR Right_Generator_Bus_Ammeter;
extern GAUGEHDR Voltmeter;

namespace {

// +30 A upper left through 0 to -120 A lower right.
NONLINEARITY batteryAmpsScale[] = {
    {{27, 60}, 50, 0},
    {{27, 60}, 30, 0},
    {{44, 44}, 0, 0},
    {{133, 160}, -120, 0},
    {{133, 160}, -150, 0},
};

// 0 to 120 A, one scale for both generators.
NONLINEARITY generatorAmpsScale[] = {
    {{30, 58}, -1, 0},
    {{30, 58}, 0, 0},
    {{79, 36}, 60, 0},
    {{129, 58}, 120, 0},
    {{129, 58}, 150, 0},
};

// 0 to 35 V.
NONLINEARITY busVoltsScale[] = {
    {{26, 57}, -1, 0},
    {{26, 57}, 0, 0},
    {{90, 37}, 20, 0},
    {{134, 57}, 35, 0},
    {{134, 57}, 40, 0},
};

// The three ammeters share needle, cap and pivot.
constexpr SINT32 ammeterNeedle = 4090;
constexpr SINT32 ammeterCap = 4100;
constexpr PIXPOINT ammeterAt = {79, 112};
constexpr PIXPOINT ammeterPivot = {0, 4};

// clang-format off
constexpr NeedleDialRow meterRows[] = {
    {.gauge = &Battery_Bus_Ammeter, .name = "Battery_Bus_Ammeter", .sizeMm = 100,
     .face = 4080, .cover = ammeterCap, .capOnNeedle = true,
     .needles = {{ammeterNeedle, ammeterAt, ammeterPivot, tokenBatteryBusAmps, batteryAmpsScale}},
     .help = helpAmmeter, .tooltipText = "Battery bus amps",
     .closeGroup = true},
    {.gauge = &Left_Generator_Bus_Ammeter, .name = "Left_Generator_Bus_Ammeter", .sizeMm = 100,
     .face = 4110, .cover = ammeterCap, .capOnNeedle = true,
     .needles = {{ammeterNeedle, ammeterAt, ammeterPivot, tokenLeftGeneratorAmps, generatorAmpsScale}},
     .help = helpAmmeter,
     .tooltipText = "Left engine generator bus amps", .closeGroup = true},
    {.gauge = &Right_Generator_Bus_Ammeter, .name = "Right_Generator_Bus_Ammeter", .sizeMm = 100,
     .face = 4110, .cover = ammeterCap, .capOnNeedle = true,
     .needles = {{ammeterNeedle, ammeterAt, ammeterPivot, tokenRightGeneratorAmps, generatorAmpsScale}},
     .help = helpAmmeter,
     .tooltipText = "Right engine generator bus amps", .closeGroup = true},
    {.gauge = &Voltmeter, .name = "Voltmeter", .sizeMm = 100,
     .face = 4050, .cover = 4070, .capOnNeedle = true,
     .needles = {{4060, {80, 127}, {0, 2}, tokenMainBusVoltage, busVoltsScale}},
     .tooltipText = "Main bus voltmeter", .closeGroup = true},
};
// clang-format on

}  // namespace

constinit GAUGEHDR Battery_Bus_Ammeter = NeedleDial<meterRows, &Battery_Bus_Ammeter>::Header();
constinit GAUGEHDR Left_Generator_Bus_Ammeter = NeedleDial<meterRows, &Left_Generator_Bus_Ammeter>::Header();
constinit GAUGEHDR Right_Generator_Bus_Ammeter = NeedleDial<meterRows, &Right_Generator_Bus_Ammeter>::Header();
constinit GAUGEHDR Voltmeter = NeedleDial<meterRows, &Voltmeter>::Header();
