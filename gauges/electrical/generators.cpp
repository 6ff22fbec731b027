// Generator switches and warning lamps. The simulator knows one switch per
// generator (tokenLeftGenerator, tokenRightGenerator, each toggled by one key
// event); the aircraft has two in series, an excitation switch and a main
// switch, kept in SystemsState. Excitation off takes the generator off line
// and drops the main switch; the main switch toggles the generator only while
// excited. The six gauges are rows of one lever-switch table.
//
// Reads:  tokenLeftGenerator, tokenRightGenerator, tokenBatteryMaster.
// Sends:  keyLeftGeneratorToggle, keyRightGeneratorToggle.
// Plays:  waveSwitchClick from each switch.
// Keeps:  leftGenExcitation, leftGenMain, rightGenExcitation, rightGenMain
//         (SystemsState).
#include "gauges/electrical/lever_switch.h"
#include "gauges/electrical/systems_state.h"
#include "module/numbers.h"

extern GAUGEHDR Left_Gen_Excit_Switch;
extern GAUGEHDR Left_Gen_Main_Switch;
extern GAUGEHDR Left_Generator_Light;
extern GAUGEHDR Right_Gen_Excit_Switch;
extern GAUGEHDR Right_Gen_Main_Switch;
extern GAUGEHDR Right_Generator_Light;

namespace {

// One generator's two switches and the simulator's view of it.
struct Generator {
    std::int32_t& excitation;
    std::int32_t& main;
    SimToken token;
    KeyEvent toggle;
};

const Generator leftGenerator = {leftGenExcitation, leftGenMain, tokenLeftGenerator,
                                 keyLeftGeneratorToggle};
const Generator rightGenerator = {rightGenExcitation, rightGenMain, tokenRightGenerator,
                                  keyRightGeneratorToggle};

// Excitation off drops the main switch and, if the generator was on line,
// takes it off; excitation on changes nothing else.
template <const Generator& G>
void ExcitationClick(const LeverSwitchRow&, SoundingSwitchSound& sound) {
    const FLOAT64 generator = LookupNumber(G.token);
    G.excitation = ToggleFlag(G.excitation);
    SoundingSwitchClick(sound);
    if (G.excitation == 0) G.main = 0;
    if (generator > 0.0 && G.excitation == 0) TriggerKeyEvent(G.toggle, 0);
}

// The main switch shows the state the generator takes after the click.
void LeftMainClick(const LeverSwitchRow&, SoundingSwitchSound& sound) {
    if (leftGenExcitation == 0) return;
    leftGenMain = LookupNumber(tokenLeftGenerator) == 0.0 ? 1 : 0;
    SoundingSwitchClick(sound);
    TriggerKeyEvent(keyLeftGeneratorToggle, 0);
}

// The right switch reads the generator after sending its event; the event
// reaches the token only on a later frame, so both sides end alike.
void RightMainClick(const LeverSwitchRow&, SoundingSwitchSound& sound) {
    if (rightGenExcitation == 0) return;
    SoundingSwitchClick(sound);
    TriggerKeyEvent(keyRightGeneratorToggle, 0);
    rightGenMain = LookupNumber(tokenRightGenerator) == 0.0 ? 1 : 0;
}

// A switch lever shows its flag: image 1 while set.
template <std::int32_t& Flag>
FLOAT64 FSAPI FlagLever(ELEMENT_ICON*) {
    return Flag != 0 ? 1.0 : 0.0;
}

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

constexpr SINT32 switchPlate = 3170;
constexpr SINT32 excitationLever = 3180;
constexpr SINT32 mainLever = 3190;
constexpr PIXPOINT indicatorAt = {2, 5};
constexpr ClickBox switchClick = {0, 14, 35, 130};
constexpr SINT32 lampPlate = 4120;
constexpr SINT32 lampLit = 4130;

// clang-format off
constexpr LeverSwitchRow generatorRows[] = {
    {.gauge = &Left_Gen_Excit_Switch, .name = "Left_Gen_Excit_Switch", .sizeMm = 20,
     .plate = switchPlate, .indicator = excitationLever, .indicatorAt = indicatorAt,
     .indicatorValue = FlagLever<leftGenExcitation>, .click = switchClick,
     .action = ExcitationClick<leftGenerator>,
     .tooltipText = "Left engine generator excitation switch", .wave = waveSwitchClick},
    {.gauge = &Left_Gen_Main_Switch, .name = "Left_Gen_Main_Switch", .sizeMm = 20,
     .plate = switchPlate, .indicator = mainLever, .indicatorAt = indicatorAt,
     .indicatorValue = FlagLever<leftGenMain>, .click = switchClick, .action = LeftMainClick,
     .tooltipText = "Left engine generator main switch", .wave = waveSwitchClick},
    {.gauge = &Left_Generator_Light, .name = "Left_Generator_Light", .sizeMm = 20,
     .plate = lampPlate, .indicator = lampLit, .pictures = 1, .indicatorFlags = IMAGE_LAMP,
     .failures = lampFailures, .token = tokenLeftGenerator, .indicatorValue = GeneratorWarningLamp,
     .tooltipText = "Left generator warning light"},
    {.gauge = &Right_Gen_Excit_Switch, .name = "Right_Gen_Excit_Switch", .sizeMm = 20,
     .plate = switchPlate, .indicator = excitationLever, .indicatorAt = indicatorAt,
     .indicatorValue = FlagLever<rightGenExcitation>, .click = switchClick,
     .action = ExcitationClick<rightGenerator>,
     .tooltipText = "Right engine generator excitation switch", .wave = waveSwitchClick},
    {.gauge = &Right_Gen_Main_Switch, .name = "Right_Gen_Main_Switch", .sizeMm = 20,
     .plate = switchPlate, .indicator = mainLever, .indicatorAt = indicatorAt,
     .indicatorValue = FlagLever<rightGenMain>, .click = switchClick, .action = RightMainClick,
     .tooltipText = "Right engine generator main switch", .wave = waveSwitchClick},
    {.gauge = &Right_Generator_Light, .name = "Right_Generator_Light", .sizeMm = 20,
     .plate = lampPlate, .indicator = lampLit, .pictures = 1, .indicatorFlags = IMAGE_LAMP,
     .failures = lampFailures, .token = tokenRightGenerator, .indicatorValue = GeneratorWarningLamp,
     .tooltipText = "Right generator warning light"},
};
// clang-format on

}  // namespace

constinit GAUGEHDR Left_Gen_Excit_Switch = LeverSwitch<generatorRows, &Left_Gen_Excit_Switch>::Header();
constinit GAUGEHDR Left_Gen_Main_Switch = LeverSwitch<generatorRows, &Left_Gen_Main_Switch>::Header();
constinit GAUGEHDR Left_Generator_Light = LeverSwitch<generatorRows, &Left_Generator_Light>::Header();  // lit while its generator is off
constinit GAUGEHDR Right_Gen_Excit_Switch = LeverSwitch<generatorRows, &Right_Gen_Excit_Switch>::Header();
constinit GAUGEHDR Right_Gen_Main_Switch = LeverSwitch<generatorRows, &Right_Gen_Main_Switch>::Header();
constinit GAUGEHDR Right_Generator_Light = LeverSwitch<generatorRows, &Right_Generator_Light>::Header();
