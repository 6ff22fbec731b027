// The electrical meters: three ammeters and the main bus voltmeter. Each is a
// dial, a needle driven straight by its token through five scale points, and
// a cap. Every table holds each end mark twice, with two values, so the
// needle rests on the end mark for every value between them.
#include "module/gauge_builders.h"

extern GAUGEHDR Battery_Bus_Ammeter;
extern GAUGEHDR Left_Generator_Bus_Ammeter;
extern GAUGEHDR Right_Generator_Bus_Ammeter;
extern GAUGEHDR Voltmeter;

namespace {

constexpr UINT32 ammeterHelpId = 0xAB0B;
constexpr SINT32 ammeterNeedle = 4090;
constexpr SINT32 ammeterCap = 4100;
constexpr PIXPOINT ammeterPivot = {79, 112};
constexpr PIXPOINT ammeterNeedlePivot = {0, 4};

FAILURE_RECORD meterNeedleFailures[] = {
    {.key = FAIL_SYSTEM_ENGINE, .action = FAIL_ACTION_NONE},
    {.key = FAIL_SYSTEM_ELECTRICAL_PANELS, .action = FAIL_ACTION_ZERO},
    {.key = FAIL_NONE},
};

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

constexpr SINT32 scalePoints = 5;

// ---- Battery_Bus_Ammeter ----
ELEMENT_STATIC_IMAGE batteryAmmeterCap = {
    .header = ElementHeader(ELEMENT_TYPE_STATIC_IMAGE, ammeterCap, {0, 0}, &Battery_Bus_Ammeter, nullptr, 0x3),
};
ELEMENT_HEADER* batteryAmmeterNeedleNext[] = {&batteryAmmeterCap.header, nullptr};
ELEMENT_NEEDLE batteryAmmeterNeedle = {
    .header = ElementHeader(ELEMENT_TYPE_NEEDLE, ammeterNeedle, ammeterPivot, &Battery_Bus_Ammeter,
                            batteryAmmeterNeedleNext, 0x4083, meterNeedleFailures, ammeterNeedlePivot),
    .source_var = Token(760),
    .nonlinearity = batteryAmpsScale,
    .nonlinearity_table_size = scalePoints,
};
ELEMENT_HEADER* batteryAmmeterDialNext[] = {&batteryAmmeterNeedle.header, nullptr};
ELEMENT_STATIC_IMAGE batteryAmmeterDial = {
    .header = ElementHeader(ELEMENT_TYPE_STATIC_IMAGE, 4080, {0, 0}, &Battery_Bus_Ammeter, batteryAmmeterDialNext, 0x4003),
};
ELEMENT_HEADER* batteryAmmeterElements[] = {&batteryAmmeterDial.header, nullptr};
MOUSERECT batteryAmmeterMouse[] = {
    MouseGauge(ammeterHelpId),
    MouseTooltipText("Battery bus amps"),
    MouseEndParent(),
    MouseEnd(),
};

// ---- Left_Generator_Bus_Ammeter ----
ELEMENT_STATIC_IMAGE leftAmmeterCap = {
    .header = ElementHeader(ELEMENT_TYPE_STATIC_IMAGE, ammeterCap, {0, 0}, &Left_Generator_Bus_Ammeter, nullptr, 0x3),
};
ELEMENT_HEADER* leftAmmeterNeedleNext[] = {&leftAmmeterCap.header, nullptr};
ELEMENT_NEEDLE leftAmmeterNeedle = {
    .header = ElementHeader(ELEMENT_TYPE_NEEDLE, ammeterNeedle, ammeterPivot, &Left_Generator_Bus_Ammeter,
                            leftAmmeterNeedleNext, 0x4083, meterNeedleFailures, ammeterNeedlePivot),
    .source_var = Token(762),
    .nonlinearity = generatorAmpsScale,
    .nonlinearity_table_size = scalePoints,
};
ELEMENT_HEADER* leftAmmeterDialNext[] = {&leftAmmeterNeedle.header, nullptr};
ELEMENT_STATIC_IMAGE leftAmmeterDial = {
    .header = ElementHeader(ELEMENT_TYPE_STATIC_IMAGE, 4110, {0, 0}, &Left_Generator_Bus_Ammeter, leftAmmeterDialNext, 0x4003),
};
ELEMENT_HEADER* leftAmmeterElements[] = {&leftAmmeterDial.header, nullptr};
MOUSERECT leftAmmeterMouse[] = {
    MouseGauge(ammeterHelpId),
    MouseTooltipText("Left engine generator bus amps"),
    MouseEndParent(),
    MouseEnd(),
};

// ---- Right_Generator_Bus_Ammeter ----
ELEMENT_STATIC_IMAGE rightAmmeterCap = {
    .header = ElementHeader(ELEMENT_TYPE_STATIC_IMAGE, ammeterCap, {0, 0}, &Right_Generator_Bus_Ammeter, nullptr, 0x3),
};
ELEMENT_HEADER* rightAmmeterNeedleNext[] = {&rightAmmeterCap.header, nullptr};
ELEMENT_NEEDLE rightAmmeterNeedle = {
    .header = ElementHeader(ELEMENT_TYPE_NEEDLE, ammeterNeedle, ammeterPivot, &Right_Generator_Bus_Ammeter,
                            rightAmmeterNeedleNext, 0x4083, meterNeedleFailures, ammeterNeedlePivot),
    .source_var = Token(764),
    .nonlinearity = generatorAmpsScale,
    .nonlinearity_table_size = scalePoints,
};
ELEMENT_HEADER* rightAmmeterDialNext[] = {&rightAmmeterNeedle.header, nullptr};
ELEMENT_STATIC_IMAGE rightAmmeterDial = {
    .header = ElementHeader(ELEMENT_TYPE_STATIC_IMAGE, 4110, {0, 0}, &Right_Generator_Bus_Ammeter, rightAmmeterDialNext, 0x4003),
};
ELEMENT_HEADER* rightAmmeterElements[] = {&rightAmmeterDial.header, nullptr};
MOUSERECT rightAmmeterMouse[] = {
    MouseGauge(ammeterHelpId),
    MouseTooltipText("Right engine generator bus amps"),
    MouseEndParent(),
    MouseEnd(),
};

// ---- Voltmeter ----
ELEMENT_STATIC_IMAGE voltmeterCap = {
    .header = ElementHeader(ELEMENT_TYPE_STATIC_IMAGE, 4070, {0, 0}, &Voltmeter, nullptr, 0x3),
};
ELEMENT_HEADER* voltmeterNeedleNext[] = {&voltmeterCap.header, nullptr};
ELEMENT_NEEDLE voltmeterNeedle = {
    .header = ElementHeader(ELEMENT_TYPE_NEEDLE, 4060, {80, 127}, &Voltmeter, voltmeterNeedleNext, 0x4083,
                            meterNeedleFailures, {0, 2}),
    .source_var = Token(753),
    .nonlinearity = busVoltsScale,
    .nonlinearity_table_size = scalePoints,
};
ELEMENT_HEADER* voltmeterDialNext[] = {&voltmeterNeedle.header, nullptr};
ELEMENT_STATIC_IMAGE voltmeterDial = {
    .header = ElementHeader(ELEMENT_TYPE_STATIC_IMAGE, 4050, {0, 0}, &Voltmeter, voltmeterDialNext, 0x4003),
};
ELEMENT_HEADER* voltmeterElements[] = {&voltmeterDial.header, nullptr};
MOUSERECT voltmeterMouse[] = {
    MouseGauge(),
    MouseTooltipText("Main bus voltmeter"),
    MouseEndParent(),
    MouseEnd(),
};

}  // namespace

GAUGEHDR Battery_Bus_Ammeter = {
    .gauge_header_version = GAUGEHDR_VERSION,
    .gauge_name = "Battery_Bus_Ammeter",
    .elements_list = batteryAmmeterElements,
    .size_x_mm = 100,
    .mouse_rect = batteryAmmeterMouse,
};

GAUGEHDR Left_Generator_Bus_Ammeter = {
    .gauge_header_version = GAUGEHDR_VERSION,
    .gauge_name = "Left_Generator_Bus_Ammeter",
    .elements_list = leftAmmeterElements,
    .size_x_mm = 100,
    .mouse_rect = leftAmmeterMouse,
};

GAUGEHDR Right_Generator_Bus_Ammeter = {
    .gauge_header_version = GAUGEHDR_VERSION,
    .gauge_name = "Right_Generator_Bus_Ammeter",
    .elements_list = rightAmmeterElements,
    .size_x_mm = 100,
    .mouse_rect = rightAmmeterMouse,
};

GAUGEHDR Voltmeter = {
    .gauge_header_version = GAUGEHDR_VERSION,
    .gauge_name = "Voltmeter",
    .elements_list = voltmeterElements,
    .size_x_mm = 100,
    .mouse_rect = voltmeterMouse,
};
