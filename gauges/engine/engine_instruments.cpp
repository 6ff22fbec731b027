// Engine instruments: manifold pressure, tachometer and manifold warning lamp
// (one definition per engine, moved to the engine named in the parameters),
// the twin-needle oil pressure, oil temperature and carburettor temperature
// gauges (left needle engine 1, right needle engine 2) and hydraulic pressure.
//
// Pressure tokens come in pounds per square foot (2.08791 per millibar,
// 2087.91 per bar); oil temperatures in degrees Rankine (491.67 = 0 C).
#include <iterator>

#include "module/gauge_builders.h"
#include "module/host_services.h"
#include "module/parameters.h"

extern GAUGEHDR Manifold_Pressure;
extern GAUGEHDR Tachometer;
extern GAUGEHDR Manifold_Light;
extern GAUGEHDR Oil_Pressure;
extern GAUGEHDR Oil_Temperature;
extern GAUGEHDR Carburetor_Temperature;
extern GAUGEHDR Hydraulic_Pressure;

namespace {

constexpr UINT32 dialFlags = IMAGE_USE_LUMINOUS | IMAGE_USE_ERASE | IMAGE_USE_TRANSPARENCY;
constexpr UINT32 needleFlags = dialFlags | IMAGE_BILINEAR_COLOR;
constexpr UINT32 coverFlags = IMAGE_USE_ERASE | IMAGE_USE_TRANSPARENCY;
constexpr UINT32 lampFlags = IMAGE_USE_BRIGHT | IMAGE_USE_ERASE | IMAGE_USE_TRANSPARENCY;

// Engine failure leaves the needles alone; losing panel power drops them to zero.
FAILURE_RECORD engineNeedleFailures[] = {
    {FAIL_SYSTEM_ENGINE, FAIL_ACTION_NONE, 0},
    {FAIL_SYSTEM_ELECTRICAL_PANELS, FAIL_ACTION_ZERO, 0},
    {FAIL_NONE, 0, 0},
};

template <std::size_t N>
constexpr SINT32 Rows(const NONLINEARITY (&)[N]) {
    return static_cast<SINT32>(N);
}

// ---------------------------------------------------------------------------
// Manifold_Pressure: -1, 0, 500, 800, 1000, 1400, 1600, 1800, 2000, 2500 mb.

NONLINEARITY manifoldTable[] = {
    {{115, 263}, -2.08791, 0}, {{115, 263}, 0, 0},        {{81, 249}, 1043.955, 0},
    {{30, 158}, 1670.328, 0},  {{54, 88}, 2087.91, 0},    {{194, 48}, 2923.074, 0},
    {{251, 103}, 3340.656, 0}, {{264, 183}, 3758.238, 0}, {{215, 254}, 4175.82, 0},
    {{215, 254}, 5219.775, 0},
};

ELEMENT_STATIC_IMAGE manifoldCover = {
    .header = ElementHeader(ELEMENT_TYPE_STATIC_IMAGE, 1160, {0, 0}, &Manifold_Pressure,
                            nullptr, coverFlags),
};

ELEMENT_NEEDLE manifoldNeedle = {
    .header = ElementHeader(ELEMENT_TYPE_NEEDLE, 1150, {152, 153}, &Manifold_Pressure, nullptr,
                            needleFlags, engineNeedleFailures, {42, 21}),
    .source_var = Token(391),
    .nonlinearity = manifoldTable,
    .nonlinearity_table_size = Rows(manifoldTable),
};

ELEMENT_HEADER* manifoldDialNext[] = {&manifoldNeedle.header, &manifoldCover.header, nullptr};

ELEMENT_STATIC_IMAGE manifoldDial = {
    .header = ElementHeader(ELEMENT_TYPE_STATIC_IMAGE, 1140, {0, 0}, &Manifold_Pressure,
                            manifoldDialNext, dialFlags),
};

ELEMENT_HEADER* manifoldElements[] = {&manifoldDial.header, nullptr};

MOUSERECT manifoldMouse[] = {MouseGauge(0xAB46), MouseEnd()};

// ---------------------------------------------------------------------------
// Tachometer: readings below 400 rpm rest on the low stop.

NONLINEARITY tachometerTable[] = {
    {{103, 260}, 0, 0},    {{103, 260}, 400, 0},  {{109, 40}, 2000, 0},
    {{212, 253}, 4000, 0}, {{212, 253}, 4100, 0},
};

ELEMENT_STATIC_IMAGE tachometerCover = {
    .header = ElementHeader(ELEMENT_TYPE_STATIC_IMAGE, 1060, {0, 0}, &Tachometer, nullptr,
                            coverFlags),
};

ELEMENT_NEEDLE tachometerNeedle = {
    .header = ElementHeader(ELEMENT_TYPE_NEEDLE, 1050, {151, 151}, &Tachometer, nullptr,
                            needleFlags, engineNeedleFailures, {45, 16}),
    .source_var = Token(390),
    .nonlinearity = tachometerTable,
    .nonlinearity_table_size = Rows(tachometerTable),
};

ELEMENT_HEADER* tachometerDialNext[] = {&tachometerNeedle.header, &tachometerCover.header,
                                        nullptr};

ELEMENT_STATIC_IMAGE tachometerDial = {
    .header = ElementHeader(ELEMENT_TYPE_STATIC_IMAGE, 1040, {0, 0}, &Tachometer,
                            tachometerDialNext, dialFlags),
};

ELEMENT_HEADER* tachometerElements[] = {&tachometerDial.header, nullptr};

// The tooltip text id is engine 1's; the engine routine moves it per engine.
MOUSERECT tachometerMouse[] = {MouseGauge(0xAB68), MouseTooltipId(0x3211), MouseEnd()};

// ---------------------------------------------------------------------------
// Manifold_Light: lit above 1780 millibars of manifold pressure.

constexpr FLOAT64 manifoldWarningPressure = 3716.4798;

FLOAT64 FSAPI ManifoldWarningValue(ELEMENT_ICON* lamp) {
    if (!lamp) return -1;
    return lamp->source_var.var_value.n > manifoldWarningPressure ? 0 : -1;
}

ELEMENT_ICON manifoldLampLit = {
    .header = ElementHeader(ELEMENT_TYPE_ICON, 3140, {0, 0}, &Manifold_Light, nullptr,
                            lampFlags),
    .source_var = Token(391),
    .scale = 1.0,
    .picture_count = 1,
    .update_cb = ManifoldWarningValue,
};

ELEMENT_HEADER* manifoldLampNext[] = {&manifoldLampLit.header, nullptr};

ELEMENT_STATIC_IMAGE manifoldLampOff = {
    .header = ElementHeader(ELEMENT_TYPE_STATIC_IMAGE, 3130, {0, 0}, &Manifold_Light,
                            manifoldLampNext, coverFlags),
};

ELEMENT_HEADER* manifoldLampElements[] = {&manifoldLampOff.header, nullptr};

MOUSERECT manifoldLampMouse[] = {
    MouseGauge(),
    MouseTooltipText("Manifold pressure warning light"),
    MouseEnd(),
};

// ---------------------------------------------------------------------------
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

ELEMENT_STATIC_IMAGE oilPressureCover = {
    .header = ElementHeader(ELEMENT_TYPE_STATIC_IMAGE, 1190, {0, 0}, &Oil_Pressure, nullptr,
                            coverFlags),
};

ELEMENT_NEEDLE oilPressureEngine1 = {
    .header = ElementHeader(ELEMENT_TYPE_NEEDLE, 1180, {66, 150}, &Oil_Pressure, nullptr,
                            needleFlags, engineNeedleFailures, {0, 2}),
    .source_var = Token(418),
    .nonlinearity = oilPressureLeftTable,
    .nonlinearity_table_size = Rows(oilPressureLeftTable),
};

ELEMENT_NEEDLE oilPressureEngine2 = {
    .header = ElementHeader(ELEMENT_TYPE_NEEDLE, 1180, {241, 150}, &Oil_Pressure, nullptr,
                            needleFlags, engineNeedleFailures, {0, 2}),
    .source_var = Token(457),
    .nonlinearity = oilPressureRightTable,
    .nonlinearity_table_size = Rows(oilPressureRightTable),
};

ELEMENT_HEADER* oilPressureDialNext[] = {&oilPressureEngine2.header, &oilPressureEngine1.header,
                                         &oilPressureCover.header, nullptr};

ELEMENT_STATIC_IMAGE oilPressureDial = {
    .header = ElementHeader(ELEMENT_TYPE_STATIC_IMAGE, 1170, {0, 0}, &Oil_Pressure,
                            oilPressureDialNext, dialFlags),
};

ELEMENT_HEADER* oilPressureElements[] = {&oilPressureDial.header, nullptr};

MOUSERECT oilPressureMouse[] = {MouseGauge(0xAB4E), MouseEnd()};

// ---------------------------------------------------------------------------
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

ELEMENT_STATIC_IMAGE oilTemperatureCover = {
    .header = ElementHeader(ELEMENT_TYPE_STATIC_IMAGE, 1250, {0, 0}, &Oil_Temperature, nullptr,
                            coverFlags),
};

ELEMENT_NEEDLE oilTemperatureEngine1 = {
    .header = ElementHeader(ELEMENT_TYPE_NEEDLE, 1240, {66, 150}, &Oil_Temperature, nullptr,
                            needleFlags, engineNeedleFailures, {0, 2}),
    .source_var = Token(416),
    .nonlinearity = oilTemperatureLeftTable,
    .nonlinearity_table_size = Rows(oilTemperatureLeftTable),
};

ELEMENT_NEEDLE oilTemperatureEngine2 = {
    .header = ElementHeader(ELEMENT_TYPE_NEEDLE, 1240, {241, 150}, &Oil_Temperature, nullptr,
                            needleFlags, engineNeedleFailures, {0, 2}),
    .source_var = Token(455),
    .nonlinearity = oilTemperatureRightTable,
    .nonlinearity_table_size = Rows(oilTemperatureRightTable),
};

ELEMENT_HEADER* oilTemperatureDialNext[] = {&oilTemperatureEngine2.header,
                                            &oilTemperatureEngine1.header,
                                            &oilTemperatureCover.header, nullptr};

ELEMENT_STATIC_IMAGE oilTemperatureDial = {
    .header = ElementHeader(ELEMENT_TYPE_STATIC_IMAGE, 1230, {0, 0}, &Oil_Temperature,
                            oilTemperatureDialNext, dialFlags),
};

ELEMENT_HEADER* oilTemperatureElements[] = {&oilTemperatureDial.header, nullptr};

MOUSERECT oilTemperatureMouse[] = {MouseGauge(0xAB4F), MouseEnd()};

// ---------------------------------------------------------------------------
// Carburetor_Temperature: the intake air temperature plus a tenth of the
// engine's temperature above freezing, in degrees Celsius.

constexpr SINT32 tokenAmbientTemperature = 341;  // degrees Celsius
constexpr SINT32 tokenEngine1Temperature = 415;  // degrees Rankine
constexpr SINT32 engineTokenStride = 39;

// Needle routine of one engine's carburettor needle. Each constant is applied
// on its own step, in this order, so the result matches the instrument's
// calibration to the last bit.
template <int Engine>
FLOAT64 FSAPI CarburettorTemperature(ELEMENT_NEEDLE*) {
    const FLOAT64 ambient = LookupNumber(tokenAmbientTemperature);
    FLOAT64 engine = LookupNumber(tokenEngine1Temperature + (Engine - 1) * engineTokenStride);
    engine = engine - 459.67;
    engine = engine - 32.0;
    engine = engine * 0.5555555555555556;
    return ambient + engine * 0.1;
}

NONLINEARITY carburettorLeftTable[] = {
    {{100, 75}, 200, 0},  {{100, 75}, 100, 0},  {{111, 86}, 80, 0},
    {{112, 219}, -40, 0}, {{112, 219}, -50, 0},
};

NONLINEARITY carburettorRightTable[] = {
    {{191, 219}, -50, 0}, {{191, 219}, -40, 0}, {{191, 84}, 80, 0},
    {{200, 75}, 100, 0},  {{200, 75}, 200, 0},
};

ELEMENT_STATIC_IMAGE carburettorCover = {
    .header = ElementHeader(ELEMENT_TYPE_STATIC_IMAGE, 1430, {0, 0}, &Carburetor_Temperature,
                            nullptr, coverFlags),
};

ELEMENT_NEEDLE carburettorEngine1 = {
    .header = ElementHeader(ELEMENT_TYPE_NEEDLE, 1420, {66, 150}, &Carburetor_Temperature,
                            nullptr, needleFlags, engineNeedleFailures, {0, 3}),
    .source_var = Token(425),
    .nonlinearity = carburettorLeftTable,
    .nonlinearity_table_size = Rows(carburettorLeftTable),
    .update_cb = CarburettorTemperature<1>,
};

ELEMENT_NEEDLE carburettorEngine2 = {
    .header = ElementHeader(ELEMENT_TYPE_NEEDLE, 1420, {241, 150}, &Carburetor_Temperature,
                            nullptr, needleFlags, engineNeedleFailures, {0, 3}),
    .source_var = Token(464),
    .nonlinearity = carburettorRightTable,
    .nonlinearity_table_size = Rows(carburettorRightTable),
    .update_cb = CarburettorTemperature<2>,
};

ELEMENT_HEADER* carburettorDialNext[] = {&carburettorEngine2.header, &carburettorEngine1.header,
                                         &carburettorCover.header, nullptr};

ELEMENT_STATIC_IMAGE carburettorDial = {
    .header = ElementHeader(ELEMENT_TYPE_STATIC_IMAGE, 1410, {0, 0}, &Carburetor_Temperature,
                            carburettorDialNext, dialFlags),
};

ELEMENT_HEADER* carburettorElements[] = {&carburettorDial.header, nullptr};

MOUSERECT carburettorMouse[] = {
    MouseGauge(),
    MouseTooltipText("Carburator air temperature"),
    MouseEnd(),
};

// ---------------------------------------------------------------------------
// Hydraulic_Pressure: 0 to 350 bar.

NONLINEARITY hydraulicTable[] = {
    {{57, 102}, -2087.91, 0},
    {{57, 102}, 0, 0},
    {{193, 93}, 730768.5, 0},
};

ELEMENT_STATIC_IMAGE hydraulicCover = {
    .header = ElementHeader(ELEMENT_TYPE_STATIC_IMAGE, 4320, {0, 0}, &Hydraulic_Pressure,
                            nullptr, coverFlags),
};

ELEMENT_NEEDLE hydraulicNeedle = {
    .header = ElementHeader(ELEMENT_TYPE_NEEDLE, 4310, {127, 190}, &Hydraulic_Pressure, nullptr,
                            needleFlags, engineNeedleFailures, {0, 2}),
    .source_var = Token(732),
    .nonlinearity = hydraulicTable,
    .nonlinearity_table_size = Rows(hydraulicTable),
};

ELEMENT_HEADER* hydraulicDialNext[] = {&hydraulicNeedle.header, &hydraulicCover.header, nullptr};

ELEMENT_STATIC_IMAGE hydraulicDial = {
    .header = ElementHeader(ELEMENT_TYPE_STATIC_IMAGE, 4300, {0, 0}, &Hydraulic_Pressure,
                            hydraulicDialNext, dialFlags),
};

ELEMENT_HEADER* hydraulicElements[] = {&hydraulicDial.header, nullptr};

MOUSERECT hydraulicMouse[] = {MouseGauge(0xAB8C), MouseEnd()};

}  // namespace

GAUGEHDR Manifold_Pressure = {
    .gauge_header_version = GAUGEHDR_VERSION,
    .gauge_name = "Manifold_Pressure",
    .elements_list = manifoldElements,
    .size_x_mm = 100,
    .mouse_rect = manifoldMouse,
    .gauge_callback = EngineGaugeRoutine,
};

GAUGEHDR Tachometer = {
    .gauge_header_version = GAUGEHDR_VERSION,
    .gauge_name = "Tachometer",
    .elements_list = tachometerElements,
    .size_x_mm = 100,
    .mouse_rect = tachometerMouse,
    .gauge_callback = EngineGaugeRoutine,
};

GAUGEHDR Manifold_Light = {
    .gauge_header_version = GAUGEHDR_VERSION,
    .gauge_name = "Manifold_Light",
    .elements_list = manifoldLampElements,
    .size_x_mm = 100,
    .mouse_rect = manifoldLampMouse,
    .gauge_callback = EngineGaugeRoutine,
};

GAUGEHDR Oil_Pressure = {
    .gauge_header_version = GAUGEHDR_VERSION,
    .gauge_name = "Oil_Pressure",
    .elements_list = oilPressureElements,
    .size_x_mm = 100,
    .mouse_rect = oilPressureMouse,
};

GAUGEHDR Oil_Temperature = {
    .gauge_header_version = GAUGEHDR_VERSION,
    .gauge_name = "Oil_Temperature",
    .elements_list = oilTemperatureElements,
    .size_x_mm = 100,
    .mouse_rect = oilTemperatureMouse,
};

GAUGEHDR Carburetor_Temperature = {
    .gauge_header_version = GAUGEHDR_VERSION,
    .gauge_name = "Carburetor_Temperature",
    .elements_list = carburettorElements,
    .size_x_mm = 100,
    .mouse_rect = carburettorMouse,
};

GAUGEHDR Hydraulic_Pressure = {
    .gauge_header_version = GAUGEHDR_VERSION,
    .gauge_name = "Hydraulic_Pressure",
    .elements_list = hydraulicElements,
    .size_x_mm = 100,
    .mouse_rect = hydraulicMouse,
};
