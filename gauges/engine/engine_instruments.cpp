// Engine instruments: manifold pressure, tachometer and manifold warning lamp
// (one definition per engine, moved to the engine named in the parameters),
// the twin-needle oil pressure, oil temperature and carburettor temperature
// gauges (left needle engine 1, right needle engine 2) and hydraulic pressure.
// The dials are rows of one needle-dial table.
//
// Pressure tokens come in pounds per square foot (2.08791 per millibar,
// 2087.91 per bar); oil temperatures in degrees Rankine (491.67 = 0 C).
//
// Reads:  engine 1's rpm and manifold pressure (moved per engine); both
//         engines' oil pressure, oil temperature, temperature and fuel
//         pressure; tokenAmbientTemperature, tokenHydraulicPressure.
// Sends, plays, keeps: nothing.
#include "module/host_services.h"
#include "module/needle_dial.h"
#include "module/parameters.h"

extern GAUGEHDR Manifold_Pressure;
extern GAUGEHDR Tachometer;
extern GAUGEHDR Manifold_Light;
extern GAUGEHDR Oil_Pressure;
extern GAUGEHDR Oil_Temperature;
extern GAUGEHDR Carburetor_Temperature;
extern GAUGEHDR Hydraulic_Pressure;

namespace {

// Manifold_Pressure: -1, 0, 500, 800, 1000, 1400, 1600, 1800, 2000, 2500 mb.
NONLINEARITY manifoldTable[] = {
    {{115, 263}, -2.08791, 0}, {{115, 263}, 0, 0},        {{81, 249}, 1043.955, 0},
    {{30, 158}, 1670.328, 0},  {{54, 88}, 2087.91, 0},    {{194, 48}, 2923.074, 0},
    {{251, 103}, 3340.656, 0}, {{264, 183}, 3758.238, 0}, {{215, 254}, 4175.82, 0},
    {{215, 254}, 5219.775, 0},
};

// Tachometer: readings below 400 rpm rest on the low stop.
NONLINEARITY tachometerTable[] = {
    {{103, 260}, 0, 0},    {{103, 260}, 400, 0},  {{109, 40}, 2000, 0},
    {{212, 253}, 4000, 0}, {{212, 253}, 4100, 0},
};

// Oil_Pressure: 0, 2, 3 ... 12 bar, and 15 bar on the 12-bar point as the stop.
// The left table runs from the top down, the right one from zero up.
NONLINEARITY oilPressureLeftTable[] = {
    {{120, 82}, 31318.65, 0},  {{120, 82}, 25054.92, 0},  {{127, 87}, 22967.01, 0},
    {{131, 95}, 20879.1, 0},   {{133, 107}, 18791.19, 0}, {{137, 121}, 16703.28, 0},
    {{138, 135}, 14615.37, 0}, {{140, 150}, 12527.46, 0}, {{138, 165}, 10439.55, 0},
    {{138, 180}, 8351.64, 0},  {{133, 191}, 6263.73, 0},  {{130, 203}, 4175.82, 0},
    {{120, 216}, 0, 0},
};

NONLINEARITY oilPressureRightTable[] = {
    {{182, 221}, 0, 0},        {{174, 205}, 4175.82, 0},  {{173, 193}, 6263.73, 0},
    {{166, 182}, 8351.64, 0},  {{164, 167}, 10439.55, 0}, {{166, 150}, 12527.46, 0},
    {{164, 134}, 14615.37, 0}, {{166, 119}, 16703.28, 0}, {{172, 107}, 18791.19, 0},
    {{174, 94}, 20879.1, 0},   {{178, 85}, 22967.01, 0},  {{185, 80}, 25054.92, 0},
    {{185, 80}, 31318.65, 0},
};

// Oil_Temperature: 0, 20, 30 ... 120 C and 150 C at the stop, on the points of
// the oil-pressure dial.
NONLINEARITY oilTemperatureLeftTable[] = {
    {{120, 82}, 761.67, 0},  {{120, 82}, 707.67, 0},  {{127, 87}, 689.67, 0},
    {{131, 95}, 671.67, 0},  {{133, 107}, 653.67, 0}, {{137, 121}, 635.67, 0},
    {{138, 135}, 617.67, 0}, {{140, 150}, 599.67, 0}, {{138, 165}, 581.67, 0},
    {{138, 180}, 563.67, 0}, {{133, 191}, 545.67, 0}, {{130, 203}, 527.67, 0},
    {{120, 216}, 491.67, 0},
};

NONLINEARITY oilTemperatureRightTable[] = {
    {{182, 221}, 491.67, 0}, {{174, 205}, 527.67, 0}, {{173, 193}, 545.67, 0},
    {{166, 182}, 563.67, 0}, {{164, 167}, 581.67, 0}, {{166, 150}, 599.67, 0},
    {{164, 134}, 617.67, 0}, {{166, 119}, 635.67, 0}, {{172, 107}, 653.67, 0},
    {{174, 94}, 671.67, 0},  {{178, 85}, 689.67, 0},  {{185, 80}, 707.67, 0},
    {{185, 80}, 761.67, 0},
};

// Carburetor_Temperature: the intake air temperature plus a tenth of the
// engine's temperature above freezing, in degrees Celsius.
NONLINEARITY carburettorLeftTable[] = {
    {{100, 75}, 200, 0},  {{100, 75}, 100, 0},  {{111, 86}, 80, 0},
    {{112, 219}, -40, 0}, {{112, 219}, -50, 0},
};

NONLINEARITY carburettorRightTable[] = {
    {{191, 219}, -50, 0}, {{191, 219}, -40, 0}, {{191, 84}, 80, 0},
    {{200, 75}, 100, 0},  {{200, 75}, 200, 0},
};

// Needle routine of one engine's carburettor needle; the needle's own token is
// looked up by the host but not used. Each constant is applied on its own
// step, in this order, so the result matches the instrument's calibration to
// the last bit.
template <SimToken EngineTemperature>
FLOAT64 FSAPI CarburettorTemperature(ELEMENT_NEEDLE*) {
    const FLOAT64 ambient = LookupNumber(tokenAmbientTemperature);
    FLOAT64 engine = LookupNumber(EngineTemperature);
    engine = engine - 459.67;
    engine = engine - 32.0;
    engine = engine * 0.5555555555555556;
    return ambient + engine * 0.1;
}

// Hydraulic_Pressure: 0 to 350 bar.
NONLINEARITY hydraulicTable[] = {
    {{57, 102}, -2087.91, 0},
    {{57, 102}, 0, 0},
    {{193, 93}, 730768.5, 0},
};

// The twin dials turn their needles about the same two points.
constexpr PIXPOINT engine1At = {66, 150};
constexpr PIXPOINT engine2At = {241, 150};

// clang-format off
constexpr NeedleDialRow engineDialRows[] = {
    {.gauge = &Manifold_Pressure, .name = "Manifold_Pressure", .sizeMm = 100, .face = 1140, .cover = 1160,
     .needles = {{1150, {152, 153}, {42, 21}, tokenEngine1ManifoldPressure, manifoldTable}},
     .help = helpManifoldPressure, .routine = EngineGaugeRoutine},
    // The tooltip text id is engine 1's; the engine routine moves it per engine.
    {.gauge = &Tachometer, .name = "Tachometer", .sizeMm = 100, .face = 1040, .cover = 1060,
     .needles = {{1050, {151, 151}, {45, 16}, tokenEngine1Rpm, tachometerTable}},
     .help = helpTachometer, .tooltip = tooltipEngine1Rpm,
     .routine = EngineGaugeRoutine},
    {.gauge = &Oil_Pressure, .name = "Oil_Pressure", .sizeMm = 100, .face = 1170, .cover = 1190,
     .needles = {{1180, engine2At, {0, 2}, tokenEngine2OilPressure, oilPressureRightTable},
                 {1180, engine1At, {0, 2}, tokenEngine1OilPressure, oilPressureLeftTable}},
     .help = helpOilPressure},
    {.gauge = &Oil_Temperature, .name = "Oil_Temperature", .sizeMm = 100, .face = 1230, .cover = 1250,
     .needles = {{1240, engine2At, {0, 2}, tokenEngine2OilTemperature, oilTemperatureRightTable},
                 {1240, engine1At, {0, 2}, tokenEngine1OilTemperature, oilTemperatureLeftTable}},
     .help = helpOilTemperature},
    {.gauge = &Carburetor_Temperature, .name = "Carburetor_Temperature", .sizeMm = 100, .face = 1410, .cover = 1430,
     .needles = {{1420, engine2At, {0, 3}, tokenEngine2FuelPressure, carburettorRightTable,
                  CarburettorTemperature<tokenEngine2Temperature>},
                 {1420, engine1At, {0, 3}, tokenEngine1FuelPressure, carburettorLeftTable,
                  CarburettorTemperature<tokenEngine1Temperature>}},
     .tooltipText = "Carburator air temperature"},
    {.gauge = &Hydraulic_Pressure, .name = "Hydraulic_Pressure", .sizeMm = 100, .face = 4300, .cover = 4320,
     .needles = {{4310, {127, 190}, {0, 2}, tokenHydraulicPressure, hydraulicTable}},
     .help = helpHydraulicPressure},
};
// clang-format on

// ---------------------------------------------------------------------------
// Manifold_Light: lit above 1780 millibars of manifold pressure.

constexpr FLOAT64 manifoldWarningPressure = 3716.4798;

FLOAT64 FSAPI ManifoldWarningValue(ELEMENT_ICON* lamp) {
    if (!lamp) return -1;
    return lamp->source_var.var_value.n > manifoldWarningPressure ? 0 : -1;
}

ELEMENT_ICON manifoldLampLit =
    Icon(3140, {0, 0}, &Manifold_Light, nullptr, IMAGE_LAMP, tokenEngine1ManifoldPressure, 1,
         ManifoldWarningValue);

ELEMENT_STATIC_IMAGE manifoldLampOff = StaticImage(3130, &Manifold_Light, listOf<manifoldLampLit>,
                                                   IMAGE_PLATE);

MOUSERECT manifoldLampMouse[] = {
    MouseGauge(),
    MouseTooltipText("Manifold pressure warning light"),
    MouseEnd(),
};

}  // namespace

constinit GAUGEHDR Manifold_Pressure = NeedleDial<engineDialRows, &Manifold_Pressure>::Header();
constinit GAUGEHDR Tachometer = NeedleDial<engineDialRows, &Tachometer>::Header();  // one engine's, moved by the parameters
constinit GAUGEHDR Oil_Pressure = NeedleDial<engineDialRows, &Oil_Pressure>::Header();
constinit GAUGEHDR Oil_Temperature = NeedleDial<engineDialRows, &Oil_Temperature>::Header();
constinit GAUGEHDR Carburetor_Temperature = NeedleDial<engineDialRows, &Carburetor_Temperature>::Header();  // these three: a needle per engine
constinit GAUGEHDR Hydraulic_Pressure = NeedleDial<engineDialRows, &Hydraulic_Pressure>::Header();

constinit GAUGEHDR Manifold_Light = GaugeHeader("Manifold_Light", listOf<manifoldLampOff>, 100,
                                      manifoldLampMouse, EngineGaugeRoutine);
