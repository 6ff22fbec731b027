// Generator switches and warning lamps. The simulator knows one switch per
// generator (token 566 left, 576 right, each toggled by one key event); the
// aircraft has two in series, an excitation switch and a main switch, kept in
// SystemsState. Excitation off takes the generator off line and drops the
// main switch; the main switch toggles the generator only while excited.
#include "gauges/electrical/sounding_switch.h"
#include "gauges/electrical/systems_state.h"
#include "module/gauge_builders.h"
#include "module/host_services.h"
#include "module/numbers.h"

extern GAUGEHDR Left_Gen_Excit_Switch;
extern GAUGEHDR Left_Gen_Main_Switch;
extern GAUGEHDR Left_Generator_Light;
extern GAUGEHDR Right_Gen_Excit_Switch;
extern GAUGEHDR Right_Gen_Main_Switch;
extern GAUGEHDR Right_Generator_Light;

namespace {

constexpr SINT32 tokenLeftGenerator = 566;
constexpr SINT32 tokenRightGenerator = 576;
constexpr SINT32 tokenBatteryMaster = 364;
constexpr UINT32 keyLeftGeneratorToggle = 0x1033B;
constexpr UINT32 keyRightGeneratorToggle = 0x1033C;
constexpr std::uint16_t waveSwitchClick = 10;

constexpr SINT32 switchPlate = 3170;
constexpr SINT32 excitationLever = 3180;
constexpr SINT32 mainLever = 3190;
constexpr PIXPOINT leverAt = {2, 5};
constexpr SINT32 lampPlate = 4120;
constexpr SINT32 lampLit = 4130;

SoundingSwitchSound leftGenExcitSound{.waveId = waveSwitchClick};
SoundingSwitchSound leftGenMainSound{.waveId = waveSwitchClick};
SoundingSwitchSound rightGenExcitSound{.waveId = waveSwitchClick};
SoundingSwitchSound rightGenMainSound{.waveId = waveSwitchClick};

// Excitation off drops the main switch and, if the generator was on line,
// takes it off; excitation on changes nothing else.
void ExcitationClick(std::int32_t& excitation, std::int32_t& main, SINT32 generatorToken,
                     UINT32 toggleEvent, SoundingSwitchSound& sound) {
    const FLOAT64 generator = LookupNumber(generatorToken);
    excitation = ToggleFlag(excitation);
    SoundingSwitchClick(sound);
    if (excitation == 0) main = 0;
    if (generator > 0.0 && excitation == 0) TriggerKeyEvent(toggleEvent, 0);
}

SINT32 FSAPI LeftExcitationClick(MOUSECALLBACK_POINT*, UINT32) {
    ExcitationClick(leftGenExcitation, leftGenMain, tokenLeftGenerator, keyLeftGeneratorToggle,
                    leftGenExcitSound);
    return 0;
}

SINT32 FSAPI RightExcitationClick(MOUSECALLBACK_POINT*, UINT32) {
    ExcitationClick(rightGenExcitation, rightGenMain, tokenRightGenerator,
                    keyRightGeneratorToggle, rightGenExcitSound);
    return 0;
}

// The main switch shows the state the generator takes after the click.
SINT32 FSAPI LeftMainClick(MOUSECALLBACK_POINT*, UINT32) {
    if (leftGenExcitation == 0) return 0;
    leftGenMain = LookupNumber(tokenLeftGenerator) == 0.0 ? 1 : 0;
    SoundingSwitchClick(leftGenMainSound);
    TriggerKeyEvent(keyLeftGeneratorToggle, 0);
    return 0;
}

// The right switch reads the generator after sending its event; the event
// reaches the token only on a later frame, so both sides end alike.
SINT32 FSAPI RightMainClick(MOUSECALLBACK_POINT*, UINT32) {
    if (rightGenExcitation == 0) return 0;
    SoundingSwitchClick(rightGenMainSound);
    TriggerKeyEvent(keyRightGeneratorToggle, 0);
    rightGenMain = LookupNumber(tokenRightGenerator) == 0.0 ? 1 : 0;
    return 0;
}

FLOAT64 FSAPI LeftExcitationLever(ELEMENT_ICON*) { return leftGenExcitation != 0 ? 1.0 : 0.0; }
FLOAT64 FSAPI LeftMainLever(ELEMENT_ICON*) { return leftGenMain != 0 ? 1.0 : 0.0; }
FLOAT64 FSAPI RightExcitationLever(ELEMENT_ICON*) { return rightGenExcitation != 0 ? 1.0 : 0.0; }
FLOAT64 FSAPI RightMainLever(ELEMENT_ICON*) { return rightGenMain != 0 ? 1.0 : 0.0; }

// A generator that is off lights its lamp only while the battery master is on.
FLOAT64 FSAPI GeneratorWarningLamp(ELEMENT_ICON* lamp) {
    if (!lamp) return -1.0;
    const bool generatorOff = lamp->source_var.var_value.n == 0.0;
    const bool batteryOn = LookupNumber(tokenBatteryMaster) == 1.0;
    return generatorOff && batteryOn ? 0.0 : -1.0;
}

FAILURE_RECORD lampFailures[] = {
    {.key = FAIL_SYSTEM_ELECTRICAL_PANELS, .action = FAIL_ACTION_NONE},
    {.key = FAIL_NONE},
};

// ---- Left_Gen_Excit_Switch ----
ELEMENT_ICON leftExcitLever = {
    .header = ElementHeader(ELEMENT_TYPE_ICON, excitationLever, leverAt, &Left_Gen_Excit_Switch, nullptr, 0x3),
    .scale = 1.0,
    .picture_count = 2,
    .update_cb = LeftExcitationLever,
};
ELEMENT_HEADER* leftExcitPlateNext[] = {&leftExcitLever.header, nullptr};
ELEMENT_STATIC_IMAGE leftExcitPlate = {
    .header = ElementHeader(ELEMENT_TYPE_STATIC_IMAGE, switchPlate, {0, 0}, &Left_Gen_Excit_Switch, leftExcitPlateNext, 0x3),
};
ELEMENT_HEADER* leftExcitElements[] = {&leftExcitPlate.header, nullptr};
MOUSERECT leftExcitMouse[] = {
    MouseGauge(),
    MouseTooltipText("Left engine generator excitation switch"),
    MouseRoutine(0, 14, 35, 130, CURSOR_HAND, MOUSE_LEFTSINGLE, LeftExcitationClick),
    MouseEndParent(),
    MouseEnd(),
};

// ---- Left_Gen_Main_Switch ----
ELEMENT_ICON leftMainLever = {
    .header = ElementHeader(ELEMENT_TYPE_ICON, mainLever, leverAt, &Left_Gen_Main_Switch, nullptr, 0x3),
    .scale = 1.0,
    .picture_count = 2,
    .update_cb = LeftMainLever,
};
ELEMENT_HEADER* leftMainPlateNext[] = {&leftMainLever.header, nullptr};
ELEMENT_STATIC_IMAGE leftMainPlate = {
    .header = ElementHeader(ELEMENT_TYPE_STATIC_IMAGE, switchPlate, {0, 0}, &Left_Gen_Main_Switch, leftMainPlateNext, 0x3),
};
ELEMENT_HEADER* leftMainElements[] = {&leftMainPlate.header, nullptr};
MOUSERECT leftMainMouse[] = {
    MouseGauge(),
    MouseTooltipText("Left engine generator main switch"),
    MouseRoutine(0, 14, 35, 130, CURSOR_HAND, MOUSE_LEFTSINGLE, LeftMainClick),
    MouseEndParent(),
    MouseEnd(),
};

// ---- Left_Generator_Light ----
ELEMENT_ICON leftLamp = {
    .header = ElementHeader(ELEMENT_TYPE_ICON, lampLit, {0, 0}, &Left_Generator_Light, nullptr, 0x7, lampFailures),
    .source_var = Token(tokenLeftGenerator),
    .scale = 1.0,
    .picture_count = 1,
    .update_cb = GeneratorWarningLamp,
};
ELEMENT_HEADER* leftLampPlateNext[] = {&leftLamp.header, nullptr};
ELEMENT_STATIC_IMAGE leftLampPlate = {
    .header = ElementHeader(ELEMENT_TYPE_STATIC_IMAGE, lampPlate, {0, 0}, &Left_Generator_Light, leftLampPlateNext, 0x3),
};
ELEMENT_HEADER* leftLampElements[] = {&leftLampPlate.header, nullptr};
MOUSERECT leftLampMouse[] = {
    MouseGauge(),
    MouseTooltipText("Left generator warning light"),
    MouseEndParent(),
    MouseEnd(),
};

// ---- Right_Gen_Excit_Switch ----
ELEMENT_ICON rightExcitLever = {
    .header = ElementHeader(ELEMENT_TYPE_ICON, excitationLever, leverAt, &Right_Gen_Excit_Switch, nullptr, 0x3),
    .scale = 1.0,
    .picture_count = 2,
    .update_cb = RightExcitationLever,
};
ELEMENT_HEADER* rightExcitPlateNext[] = {&rightExcitLever.header, nullptr};
ELEMENT_STATIC_IMAGE rightExcitPlate = {
    .header = ElementHeader(ELEMENT_TYPE_STATIC_IMAGE, switchPlate, {0, 0}, &Right_Gen_Excit_Switch, rightExcitPlateNext, 0x3),
};
ELEMENT_HEADER* rightExcitElements[] = {&rightExcitPlate.header, nullptr};
MOUSERECT rightExcitMouse[] = {
    MouseGauge(),
    MouseTooltipText("Right engine generator excitation switch"),
    MouseRoutine(0, 14, 35, 130, CURSOR_HAND, MOUSE_LEFTSINGLE, RightExcitationClick),
    MouseEndParent(),
    MouseEnd(),
};

// ---- Right_Gen_Main_Switch ----
ELEMENT_ICON rightMainLever = {
    .header = ElementHeader(ELEMENT_TYPE_ICON, mainLever, leverAt, &Right_Gen_Main_Switch, nullptr, 0x3),
    .scale = 1.0,
    .picture_count = 2,
    .update_cb = RightMainLever,
};
ELEMENT_HEADER* rightMainPlateNext[] = {&rightMainLever.header, nullptr};
ELEMENT_STATIC_IMAGE rightMainPlate = {
    .header = ElementHeader(ELEMENT_TYPE_STATIC_IMAGE, switchPlate, {0, 0}, &Right_Gen_Main_Switch, rightMainPlateNext, 0x3),
};
ELEMENT_HEADER* rightMainElements[] = {&rightMainPlate.header, nullptr};
MOUSERECT rightMainMouse[] = {
    MouseGauge(),
    MouseTooltipText("Right engine generator main switch"),
    MouseRoutine(0, 14, 35, 130, CURSOR_HAND, MOUSE_LEFTSINGLE, RightMainClick),
    MouseEndParent(),
    MouseEnd(),
};

// ---- Right_Generator_Light ----
ELEMENT_ICON rightLamp = {
    .header = ElementHeader(ELEMENT_TYPE_ICON, lampLit, {0, 0}, &Right_Generator_Light, nullptr, 0x7, lampFailures),
    .source_var = Token(tokenRightGenerator),
    .scale = 1.0,
    .picture_count = 1,
    .update_cb = GeneratorWarningLamp,
};
ELEMENT_HEADER* rightLampPlateNext[] = {&rightLamp.header, nullptr};
ELEMENT_STATIC_IMAGE rightLampPlate = {
    .header = ElementHeader(ELEMENT_TYPE_STATIC_IMAGE, lampPlate, {0, 0}, &Right_Generator_Light, rightLampPlateNext, 0x3),
};
ELEMENT_HEADER* rightLampElements[] = {&rightLampPlate.header, nullptr};
MOUSERECT rightLampMouse[] = {
    MouseGauge(),
    MouseTooltipText("Right generator warning light"),
    MouseEndParent(),
    MouseEnd(),
};

}  // namespace

GAUGEHDR Left_Gen_Excit_Switch = {
    .gauge_header_version = GAUGEHDR_VERSION,
    .gauge_name = "Left_Gen_Excit_Switch",
    .elements_list = leftExcitElements,
    .size_x_mm = 20,
    .mouse_rect = leftExcitMouse,
    .gauge_callback = SoundingSwitchRoutine<leftGenExcitSound>,
};

GAUGEHDR Left_Gen_Main_Switch = {
    .gauge_header_version = GAUGEHDR_VERSION,
    .gauge_name = "Left_Gen_Main_Switch",
    .elements_list = leftMainElements,
    .size_x_mm = 20,
    .mouse_rect = leftMainMouse,
    .gauge_callback = SoundingSwitchRoutine<leftGenMainSound>,
};

GAUGEHDR Left_Generator_Light = {
    .gauge_header_version = GAUGEHDR_VERSION,
    .gauge_name = "Left_Generator_Light",
    .elements_list = leftLampElements,
    .size_x_mm = 20,
    .mouse_rect = leftLampMouse,
};

GAUGEHDR Right_Gen_Excit_Switch = {
    .gauge_header_version = GAUGEHDR_VERSION,
    .gauge_name = "Right_Gen_Excit_Switch",
    .elements_list = rightExcitElements,
    .size_x_mm = 20,
    .mouse_rect = rightExcitMouse,
    .gauge_callback = SoundingSwitchRoutine<rightGenExcitSound>,
};

GAUGEHDR Right_Gen_Main_Switch = {
    .gauge_header_version = GAUGEHDR_VERSION,
    .gauge_name = "Right_Gen_Main_Switch",
    .elements_list = rightMainElements,
    .size_x_mm = 20,
    .mouse_rect = rightMainMouse,
    .gauge_callback = SoundingSwitchRoutine<rightGenMainSound>,
};

GAUGEHDR Right_Generator_Light = {
    .gauge_header_version = GAUGEHDR_VERSION,
    .gauge_name = "Right_Generator_Light",
    .elements_list = rightLampElements,
    .size_x_mm = 20,
    .mouse_rect = rightLampMouse,
};
