// The two-position switches of the panel, one gauge each, built to one
// pattern: a plate, a lever whose picture follows a simulator token, a click
// area that sends the system's key event(s) and a mechanical click. The
// simulator keeps the state of lights, battery, avionics and heaters; the
// gauge only shows it and asks for a change. The table below holds what
// differs between the members; LeverSwitch builds every member's records
// and routines from its row.
//
// Reads:  each member's system token (lights, masters, heaters, parking brake).
// Sends:  each member's toggle event(s).
// Plays:  waveSwitchClick, or waveParkingBrake for the parking brake.
// Keeps:  nothing; the simulator keeps the systems' state.
#include "gauges/electrical/lever_switch.h"

extern GAUGEHDR Avionics_Switch;
extern GAUGEHDR Battery_Switch;
extern GAUGEHDR Beacon_Lights_Switch;
extern GAUGEHDR Landing_Lights_Switch;
extern GAUGEHDR Taxi_Lights_Switch;
extern GAUGEHDR Navigation_Lights_Switch;
extern GAUGEHDR Panel_Lights_Switch;
extern GAUGEHDR Strobe_Lights_Switch;
extern GAUGEHDR Pitot_Heat_Switch;
extern GAUGEHDR Prop_DeIce_Switch;
extern GAUGEHDR Wings_DeIce_Switch;
extern GAUGEHDR Parking_Brake;
extern GAUGEHDR Main_Switch_Left;
extern GAUGEHDR Main_Switch_Right;

namespace {

// Lever pictures: the token as the host delivered it (0 off, 1 on).
FLOAT64 FSAPI LeverFollowsToken(ELEMENT_ICON* lever) {
    return lever ? lever->source_var.var_value.n : 0.0;
}

// The parking-brake handle is pulled only above 32500; 32500 itself shows
// the released handle.
constexpr FLOAT64 parkingBrakeSetAbove = 32500.0;
FLOAT64 FSAPI ParkingBrakeHandle(ELEMENT_ICON* lever) {
    return lever && lever->source_var.var_value.n > parkingBrakeSetAbove ? 1.0 : 0.0;
}

// The main switches are fixed in their on position.
FLOAT64 FSAPI LeverAlwaysOn(ELEMENT_ICON*) { return 1.0; }

constexpr SINT32 switchPlate = 2420;
constexpr SINT32 switchLever = 2430;
constexpr ClickBox verticalClick = {0, 14, 35, 80};

// clang-format off
constexpr LeverSwitchRow soundingSwitches[] = {
    {.gauge = &Avionics_Switch, .name = "Avionics_Switch", .sizeMm = 20, .plate = switchPlate, .indicator = switchLever,
     .token = tokenAvionicsMaster, .indicatorValue = LeverFollowsToken, .click = verticalClick,
     .events = {keyAvionicsMasterToggle}, .help = helpAvionicsSwitch, .wave = waveSwitchClick},
    {.gauge = &Battery_Switch, .name = "Battery_Switch", .sizeMm = 80, .plate = 2440, .indicator = 2450,
     .token = tokenBatteryMaster, .indicatorValue = LeverFollowsToken, .click = {14, 0, 80, 35},
     .events = {keyBatteryMasterToggle}, .help = helpBatterySwitch, .wave = waveSwitchClick},
    {.gauge = &Beacon_Lights_Switch, .name = "Beacon_Lights_Switch", .sizeMm = 20, .plate = switchPlate, .indicator = switchLever,
     .token = tokenBeaconLights, .indicatorValue = LeverFollowsToken, .click = verticalClick,
     .events = {keyBeaconLightsToggle}, .help = helpBeaconLights, .wave = waveSwitchClick},
    // Landing and taxi lights are one system shown twice.
    {.gauge = &Landing_Lights_Switch, .name = "Landing_Lights_Switch", .sizeMm = 20, .plate = switchPlate, .indicator = switchLever,
     .token = tokenLandingLights, .indicatorValue = LeverFollowsToken, .click = verticalClick,
     .events = {keyLandingLightsToggle, keyLandingLightsSet}, .help = helpLandingLights, .wave = waveSwitchClick},
    {.gauge = &Taxi_Lights_Switch, .name = "Taxi_Lights_Switch", .sizeMm = 20, .plate = 3170, .indicator = 3190,
     .token = tokenLandingLights, .indicatorValue = LeverFollowsToken, .click = {2, 5, 35, 130},
     .events = {keyLandingLightsToggle, keyLandingLightsSet}, .help = helpLandingLights, .wave = waveSwitchClick},
    {.gauge = &Navigation_Lights_Switch, .name = "Navigation_Lights_Switch", .sizeMm = 20, .plate = switchPlate, .indicator = switchLever,
     .token = tokenNavigationLights, .indicatorValue = LeverFollowsToken, .click = verticalClick,
     .events = {keyNavigationLightsToggle}, .help = helpNavigationLights, .wave = waveSwitchClick},
    {.gauge = &Panel_Lights_Switch, .name = "Panel_Lights_Switch", .sizeMm = 20, .plate = switchPlate, .indicator = switchLever,
     .token = tokenPanelLights, .indicatorValue = LeverFollowsToken, .click = verticalClick,
     .events = {keyPanelLightsToggle}, .help = helpPanelLights, .wave = waveSwitchClick},
    {.gauge = &Strobe_Lights_Switch, .name = "Strobe_Lights_Switch", .sizeMm = 20, .plate = switchPlate, .indicator = switchLever,
     .token = tokenStrobeLights, .indicatorValue = LeverFollowsToken, .click = verticalClick,
     .events = {keyStrobeLightsToggle}, .help = helpStrobeLights, .wave = waveSwitchClick},
    {.gauge = &Pitot_Heat_Switch, .name = "Pitot_Heat_Switch", .sizeMm = 20, .plate = switchPlate, .indicator = switchLever,
     .token = tokenPitotHeat, .indicatorValue = LeverFollowsToken, .click = verticalClick,
     .events = {keyPitotHeatToggle}, .help = helpPitotHeat, .wave = waveSwitchClick},
    {.gauge = &Prop_DeIce_Switch, .name = "Prop_DeIce_Switch", .sizeMm = 20, .plate = switchPlate, .indicator = switchLever,
     .token = tokenPropellerDeIce, .indicatorValue = LeverFollowsToken, .click = verticalClick,
     .events = {keyPropellerDeIceToggle}, .help = helpPropellerDeIce, .wave = waveSwitchClick},
    {.gauge = &Wings_DeIce_Switch, .name = "Wings_DeIce_Switch", .sizeMm = 20, .plate = switchPlate, .indicator = switchLever,
     .token = tokenWingsDeIce, .indicatorValue = LeverFollowsToken, .click = verticalClick,
     .events = {keyWingsDeIceToggle}, .tooltip = tooltipWingsDeIce, .wave = waveSwitchClick},
    {.gauge = &Parking_Brake, .name = "Parking_Brake", .sizeMm = 52, .plate = 3150, .indicator = 3160,
     .token = tokenParkingBrake, .indicatorValue = ParkingBrakeHandle, .click = {0, 0, 127, 155},
     .events = {keyParkingBrake}, .help = helpParkingBrake, .wave = waveParkingBrake},
    // Fixed switches: no click area, nothing sent; their click is loaded but
    // never played.
    {.gauge = &Main_Switch_Left, .name = "Main_Switch_Left", .sizeMm = 20, .plate = 3170, .indicator = 3180,
     .indicatorValue = LeverAlwaysOn, .wave = waveSwitchClick},
    {.gauge = &Main_Switch_Right, .name = "Main_Switch_Right", .sizeMm = 20, .plate = 3170, .indicator = 3180,
     .indicatorValue = LeverAlwaysOn, .wave = waveSwitchClick},
};
// clang-format on

}  // namespace

constinit GAUGEHDR Avionics_Switch = LeverSwitch<soundingSwitches, &Avionics_Switch>::Header();
constinit GAUGEHDR Battery_Switch = LeverSwitch<soundingSwitches, &Battery_Switch>::Header();
constinit GAUGEHDR Beacon_Lights_Switch = LeverSwitch<soundingSwitches, &Beacon_Lights_Switch>::Header();  // the lights outside
constinit GAUGEHDR Landing_Lights_Switch = LeverSwitch<soundingSwitches, &Landing_Lights_Switch>::Header();
constinit GAUGEHDR Taxi_Lights_Switch = LeverSwitch<soundingSwitches, &Taxi_Lights_Switch>::Header();
constinit GAUGEHDR Navigation_Lights_Switch = LeverSwitch<soundingSwitches, &Navigation_Lights_Switch>::Header();
constinit GAUGEHDR Panel_Lights_Switch = LeverSwitch<soundingSwitches, &Panel_Lights_Switch>::Header();
constinit GAUGEHDR Strobe_Lights_Switch = LeverSwitch<soundingSwitches, &Strobe_Lights_Switch>::Header();
constinit GAUGEHDR Pitot_Heat_Switch = LeverSwitch<soundingSwitches, &Pitot_Heat_Switch>::Header();
constinit GAUGEHDR Prop_DeIce_Switch = LeverSwitch<soundingSwitches, &Prop_DeIce_Switch>::Header();
constinit GAUGEHDR Wings_DeIce_Switch = LeverSwitch<soundingSwitches, &Wings_DeIce_Switch>::Header();
constinit GAUGEHDR Parking_Brake = LeverSwitch<soundingSwitches, &Parking_Brake>::Header();  // a handle that sounds as the switches do
constinit GAUGEHDR Main_Switch_Left = LeverSwitch<soundingSwitches, &Main_Switch_Left>::Header();
constinit GAUGEHDR Main_Switch_Right = LeverSwitch<soundingSwitches, &Main_Switch_Right>::Header();
