// Fuel instruments: fuel pressure per engine, tank quantities scaled by the
// capacities read at installation, and the fuel-used counters that integrate
// each engine's flow over simulated time. The two dials are rows of one
// needle-dial table.
//
// Reads:  both engines' fuel pressure and fuel flow, both tanks' level and
//         capacity, tokenSimulationTime, tokenMainBusVoltage.
// Sends, plays: nothing.
// Keeps:  the tank capacities read at install; fuel used per engine and the
//         time of the previous update, until reset or the module unloads.
#include <cmath>

#include "gauges/flight/drum_roll.h"
#include "module/host_services.h"
#include "module/needle_dial.h"

extern GAUGEHDR Fuel_Pressure;
extern GAUGEHDR Fuel_Quantity;
extern GAUGEHDR Fuel_Consumption;

namespace {

// Tank capacities read when a Fuel_Quantity gauge is installed.
FLOAT64 leftTankCapacity = 0;
FLOAT64 rightTankCapacity = 0;

// Fuel used per engine since its last reset, and the simulation time of the
// previous update. They live as long as the module stays loaded.
FLOAT64 consumedEngine1 = 0;
FLOAT64 consumedEngine2 = 0;
FLOAT64 consumptionLastTime = 0;

// ---------------------------------------------------------------------------
// Fuel_Pressure: 0 to 0.7 bar; the left table from the top, the right from zero.

NONLINEARITY fuelPressureLeftTable[] = {
    {{118, 78}, 1461.537, 0},  {{118, 78}, 1252.746, 0},  {{120, 87}, 1148.3505, 0},
    {{124, 94}, 1043.955, 0},  {{128, 104}, 939.5595, 0}, {{133, 115}, 835.164, 0},
    {{134, 127}, 730.7685, 0}, {{135, 140}, 626.373, 0},  {{137, 154}, 521.9775, 0},
    {{135, 168}, 417.582, 0},  {{133, 175}, 375.8238, 0}, {{133, 184}, 313.1865, 0},
    {{128, 197}, 208.791, 0},  {{123, 209}, 104.3955, 0}, {{118, 218}, 0, 0},
};

NONLINEARITY fuelPressureRightTable[] = {
    {{179, 220}, 0, 0},        {{173, 211}, 104.3955, 0}, {{169, 197}, 208.791, 0},
    {{164, 185}, 313.1865, 0}, {{161, 177}, 375.8238, 0}, {{163, 169}, 417.582, 0},
    {{159, 154}, 521.9775, 0}, {{161, 138}, 626.373, 0},  {{162, 125}, 730.7685, 0},
    {{164, 113}, 835.164, 0},  {{167, 100}, 939.5595, 0}, {{175, 94}, 1043.955, 0},
    {{175, 82}, 1148.3505, 0}, {{179, 75}, 1252.746, 0},  {{179, 75}, 1461.537, 0},
};

// ---------------------------------------------------------------------------
// Fuel_Quantity: marks at 0, 50, 70, 100, 150 ... 600 litres, in gallons.

// Tank level tokens deliver the fraction of the tank scaled by this number.
constexpr FLOAT64 tankLevelFull = 8388610.0;

// A capacity the host reports as 0 or less (or not a number) keeps the one
// read before.
void FSAPI FuelCapacityRead(GAUGEHDR*, SINT32 serviceId, UINT32) {
    if (serviceId != PANEL_SERVICE_PRE_INSTALL) return;
    const FLOAT64 left = LookupNumber(tokenLeftTankCapacity);
    const FLOAT64 right = LookupNumber(tokenRightTankCapacity);
    if (left > 0) leftTankCapacity = left;
    if (right > 0) rightTankCapacity = right;
}

// Needle routine of one tank: the tank's level scaled to its capacity.
template <FLOAT64& Capacity>
FLOAT64 FSAPI FuelQuantityValue(ELEMENT_NEEDLE* needle) {
    if (!needle) return 0;
    return Capacity * needle->source_var.var_value.n / tankLevelFull;
}

NONLINEARITY fuelQuantityLeftTable[] = {
    {{121, 77}, 158.52047556142668, 0},  {{121, 77}, 132.1003963011889, 0},
    {{123, 90}, 105.68031704095112, 0},  {{135, 111}, 79.26023778071334, 0},
    {{137, 127}, 66.05019815059445, 0},  {{140, 147}, 52.84015852047556, 0},
    {{137, 165}, 39.63011889035667, 0},  {{132, 185}, 26.42007926023778, 0},
    {{128, 195}, 18.494055482166445, 0}, {{125, 201}, 13.21003963011889, 0},
    {{118, 213}, 0, 0},                  {{118, 213}, -1, 0},
};

NONLINEARITY fuelQuantityRightTable[] = {
    {{182, 213}, -1, 0},                 {{182, 213}, 0, 0},
    {{174, 203}, 13.21003963011889, 0},  {{172, 196}, 18.494055482166445, 0},
    {{170, 186}, 26.42007926023778, 0},  {{164, 166}, 39.63011889035667, 0},
    {{166, 146}, 52.84015852047556, 0},  {{164, 126}, 66.05019815059445, 0},
    {{169, 110}, 79.26023778071334, 0},  {{179, 85}, 105.68031704095112, 0},
    {{183, 73}, 132.1003963011889, 0},   {{183, 73}, 158.52047556142668, 0},
};

MOUSERECT fuelQuantityMouse[] = {
    MouseGauge(),
    MouseParent(0, 0, 150, 300),
    MouseTooltipId(tooltipLeftTank),
    MouseEndParent(),
    MouseParent(150, 0, 150, 300),
    MouseTooltipId(tooltipRightTank),
    MouseEndParent(),
    MouseEnd(),
};

// The dials turn their needles about the same two points.
constexpr PIXPOINT leftNeedleAt = {66, 150};
constexpr PIXPOINT rightNeedleAt = {241, 150};
// The fuel-quantity needles turn about a point 3 pixels left of their bitmap.
constexpr PIXPOINT quantityPivot = {-3, 5};

// clang-format off
constexpr NeedleDialRow fuelDialRows[] = {
    {.gauge = &Fuel_Pressure, .name = "Fuel_Pressure", .sizeMm = 100, .face = 1200, .cover = 1220,
     .needles = {{1210, rightNeedleAt, {0, 5}, tokenEngine2FuelPressure, fuelPressureRightTable},
                 {1210, leftNeedleAt, {0, 5}, tokenEngine1FuelPressure, fuelPressureLeftTable}},
     .help = helpFuelPressure},
    {.gauge = &Fuel_Quantity, .name = "Fuel_Quantity", .sizeMm = 100, .face = 1260, .cover = 1280,
     .needles = {{1270, rightNeedleAt, quantityPivot, tokenRightTankLevel, fuelQuantityRightTable,
                  FuelQuantityValue<rightTankCapacity>},
                 {1270, leftNeedleAt, quantityPivot, tokenLeftTankLevel, fuelQuantityLeftTable,
                  FuelQuantityValue<leftTankCapacity>}},
     .mouse = fuelQuantityMouse, .routine = FuelCapacityRead},
};
// clang-format on

// ---------------------------------------------------------------------------
// Fuel_Consumption: fuel used per engine on two rows of four drums.

// Engine 1's counter runs only while the main bus is above this voltage;
// engine 2's counts whatever the bus.
constexpr FLOAT64 consumptionMinimumVoltage = 20.0;
constexpr FLOAT64 secondsPerHour = 3600.0;

// The gauge's own token records, reused on every update. Each lookup starts
// from 0, so a token the host cannot supply reads 0 rather than its last value.
MODULE_VAR consumptionTime = Token(tokenSimulationTime);
MODULE_VAR consumptionFlow1 = Token(tokenEngine1FuelFlow);
MODULE_VAR consumptionFlow2 = Token(tokenEngine2FuelFlow);
MODULE_VAR consumptionVoltage = Token(tokenMainBusVoltage);

FLOAT64 Refresh(MODULE_VAR& var) {
    var.var_value = LookupToken(var.id);
    return var.var_value.n;
}

// Adds one update's fuel to a counter. Fuel used never runs backwards and a
// value that is not a number never reaches the counter: a simulation clock
// that jumps back (a reloaded flight) or a flow the host cannot compute
// would otherwise lose the whole total for good.
void AddFuel(FLOAT64& total, FLOAT64 seconds, FLOAT64 flowPerHour) {
    if (!(seconds > 0)) return;
    const FLOAT64 fuel = seconds * flowPerHour / secondsPerHour;
    if (std::isfinite(fuel) && fuel > 0) total += fuel;
}

// A clock reading of 0 or less, or one that is not a number, is a clock the
// simulator did not supply, not a time.
bool ClockSupplied(FLOAT64 time) { return time > 0 && std::isfinite(time); }

void FSAPI FuelFlowIntegrate(GAUGEHDR*, SINT32 serviceId, UINT32) {
    if (serviceId == PANEL_SERVICE_PRE_INSTALL) {
        consumptionLastTime = Refresh(consumptionTime);
        return;
    }
    if (serviceId != PANEL_SERVICE_PRE_UPDATE) return;

    const FLOAT64 time = Refresh(consumptionTime);
    const FLOAT64 flow1 = Refresh(consumptionFlow1);
    const FLOAT64 flow2 = Refresh(consumptionFlow2);
    const FLOAT64 voltage = Refresh(consumptionVoltage);
    // Without a clock the counters wait and then go on from the last time
    // read: a reading that drops out for a frame adds no fuel for all the
    // time before it once the clock is back.
    if (!ClockSupplied(time)) return;
    const FLOAT64 seconds = time - consumptionLastTime;

    if (voltage > consumptionMinimumVoltage) AddFuel(consumedEngine1, seconds, flow1);
    AddFuel(consumedEngine2, seconds, flow2);
    consumptionLastTime = time;
}

// The drum rule of the altimeter's counters, driven by a row's counter
// instead of the element's own token (the drums have none).
template <FLOAT64& Consumed>
FLOAT64 FSAPI ConsumptionDrumValue(ELEMENT_MOVING_IMAGE* drum) {
    if (!drum) return 0;
    ELEMENT_MOVING_IMAGE reading = *drum;
    reading.source_var_y.var_value.n = Consumed;
    return DrumRollValue(&reading);
}

// Reset button of a row.
template <FLOAT64& Consumed>
SINT32 FSAPI ConsumptionReset(MOUSECALLBACK_POINT*, UINT32) {
    Consumed = 0;
    return 0;
}

constexpr SINT32 drumBitmap = 2410;
constexpr FLOAT64 drumRollBand = 0.1;

constexpr MOVING_IMAGE_UPDATE_CALLBACK engine1Drum = ConsumptionDrumValue<consumedEngine1>;
constexpr MOVING_IMAGE_UPDATE_CALLBACK engine2Drum = ConsumptionDrumValue<consumedEngine2>;

// clang-format off
// Engine 2's row, then engine 1's: window and step of each drum.
ELEMENT_MOVING_IMAGE engine2Units = RollingDrum(drumBitmap, {139, 138}, &Fuel_Consumption, nullptr, nullptr, tokenNone, 1, drumRollBand, engine2Drum);
ELEMENT_MOVING_IMAGE engine2Tens = RollingDrum(drumBitmap, {117, 138}, &Fuel_Consumption, nullptr, nullptr, tokenNone, 10, drumRollBand, engine2Drum);
ELEMENT_MOVING_IMAGE engine2Hundreds = RollingDrum(drumBitmap, {95, 138}, &Fuel_Consumption, nullptr, nullptr, tokenNone, 100, drumRollBand, engine2Drum);
ELEMENT_MOVING_IMAGE engine2Thousands = RollingDrum(drumBitmap, {73, 138}, &Fuel_Consumption, nullptr, nullptr, tokenNone, 1000, drumRollBand, engine2Drum);
ELEMENT_MOVING_IMAGE engine1Units = RollingDrum(drumBitmap, {139, 61}, &Fuel_Consumption, nullptr, nullptr, tokenNone, 1, drumRollBand, engine1Drum);
ELEMENT_MOVING_IMAGE engine1Tens = RollingDrum(drumBitmap, {117, 61}, &Fuel_Consumption, nullptr, nullptr, tokenNone, 10, drumRollBand, engine1Drum);
ELEMENT_MOVING_IMAGE engine1Hundreds = RollingDrum(drumBitmap, {95, 61}, &Fuel_Consumption, nullptr, nullptr, tokenNone, 100, drumRollBand, engine1Drum);
ELEMENT_MOVING_IMAGE engine1Thousands = RollingDrum(drumBitmap, {73, 61}, &Fuel_Consumption, nullptr, nullptr, tokenNone, 1000, drumRollBand, engine1Drum);
// clang-format on

ELEMENT_STATIC_IMAGE consumptionFace =
    StaticImage(2400, &Fuel_Consumption,
                listOf<engine2Units, engine2Tens, engine2Hundreds, engine2Thousands, engine1Units, engine1Tens,
                       engine1Hundreds, engine1Thousands>,
                IMAGE_PLATE);

MOUSERECT consumptionMouse[] = {
    MouseGauge(helpFuelConsumption),
    MouseRoutine(11, 84, 52, 26, CURSOR_HAND, MOUSE_LEFTSINGLE,
                 ConsumptionReset<consumedEngine1>),
    MouseRoutine(11, 110, 52, 26, CURSOR_HAND, MOUSE_LEFTSINGLE,
                 ConsumptionReset<consumedEngine2>),
    MouseEnd(),
};

}  // namespace

constinit GAUGEHDR Fuel_Pressure = NeedleDial<fuelDialRows, &Fuel_Pressure>::Header();
constinit GAUGEHDR Fuel_Quantity = NeedleDial<fuelDialRows, &Fuel_Quantity>::Header();
constinit GAUGEHDR Fuel_Consumption = GaugeHeader("Fuel_Consumption", listOf<consumptionFace>, 70,
                                        consumptionMouse, FuelFlowIntegrate);
