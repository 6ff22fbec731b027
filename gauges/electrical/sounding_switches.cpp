// The two-position switches of the panel, one gauge each, built to one
// pattern: a plate, a lever whose picture follows a simulator token, a click
// area that sends the system's key event(s) and a mechanical click. The
// simulator keeps the state of lights, battery, avionics and heaters; the
// gauge only shows it and asks for a change. The table below holds what
// differs between the members; SoundingSwitch builds every member's records
// and routines from its row.
//
// Reads:  each member's system token (lights, masters, heaters, parking brake).
// Sends:  each member's toggle event(s).
// Plays:  waveSwitchClick, or waveParkingBrake for the parking brake.
// Keeps:  nothing; the simulator keeps the systems' state.
#include <array>
#include <cstddef>
#include <iterator>

#include "gauges/electrical/sounding_switch.h"
#include "module/gauge_builders.h"
#include "module/host_services.h"

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

struct Box {
    SINT32 x{}, y{}, w{}, h{};
};

struct SoundingSwitchMember {
    GAUGEHDR* gauge{};
    const char* name{};
    UINT32 sizeMm{};
    SINT32 plate{};
    SINT32 lever{};           // images: lever (off) and lever + 1 (on)
    PIXPOINT leverAt{};
    SimToken token{};
    Box click{};              // no click area when its width is 0
    KeyEvent events[2]{};     // sent in order; keyNone = none
    HelpId parentHelpId{};
    HelpId tooltipHelpId{};   // a tooltip entry after the parent, helpNone = none
    Wave waveId{};
    ICON_UPDATE_CALLBACK leverValue{};
};

constexpr Box verticalClick = {0, 14, 35, 80};

// clang-format off
constexpr SoundingSwitchMember soundingSwitches[] = {
    {.gauge = &Avionics_Switch, .name = "Avionics_Switch", .sizeMm = 20, .plate = 2420, .lever = 2430,
     .token = tokenAvionicsMaster, .click = verticalClick, .events = {keyAvionicsMasterToggle}, .parentHelpId = helpAvionicsSwitch,
     .waveId = waveSwitchClick, .leverValue = LeverFollowsToken},
    {.gauge = &Battery_Switch, .name = "Battery_Switch", .sizeMm = 80, .plate = 2440, .lever = 2450,
     .token = tokenBatteryMaster, .click = {14, 0, 80, 35}, .events = {keyBatteryMasterToggle}, .parentHelpId = helpBatterySwitch,
     .waveId = waveSwitchClick, .leverValue = LeverFollowsToken},
    {.gauge = &Beacon_Lights_Switch, .name = "Beacon_Lights_Switch", .sizeMm = 20, .plate = 2420, .lever = 2430,
     .token = tokenBeaconLights, .click = verticalClick, .events = {keyBeaconLightsToggle}, .parentHelpId = helpBeaconLights,
     .waveId = waveSwitchClick, .leverValue = LeverFollowsToken},
    // Landing and taxi lights are one system shown twice.
    {.gauge = &Landing_Lights_Switch, .name = "Landing_Lights_Switch", .sizeMm = 20, .plate = 2420, .lever = 2430,
     .token = tokenLandingLights, .click = verticalClick, .events = {keyLandingLightsToggle, keyLandingLightsSet}, .parentHelpId = helpLandingLights,
     .waveId = waveSwitchClick, .leverValue = LeverFollowsToken},
    {.gauge = &Taxi_Lights_Switch, .name = "Taxi_Lights_Switch", .sizeMm = 20, .plate = 3170, .lever = 3190,
     .token = tokenLandingLights, .click = {2, 5, 35, 130}, .events = {keyLandingLightsToggle, keyLandingLightsSet}, .parentHelpId = helpLandingLights,
     .waveId = waveSwitchClick, .leverValue = LeverFollowsToken},
    {.gauge = &Navigation_Lights_Switch, .name = "Navigation_Lights_Switch", .sizeMm = 20, .plate = 2420, .lever = 2430,
     .token = tokenNavigationLights, .click = verticalClick, .events = {keyNavigationLightsToggle}, .parentHelpId = helpNavigationLights,
     .waveId = waveSwitchClick, .leverValue = LeverFollowsToken},
    {.gauge = &Panel_Lights_Switch, .name = "Panel_Lights_Switch", .sizeMm = 20, .plate = 2420, .lever = 2430,
     .token = tokenPanelLights, .click = verticalClick, .events = {keyPanelLightsToggle}, .parentHelpId = helpPanelLights,
     .waveId = waveSwitchClick, .leverValue = LeverFollowsToken},
    {.gauge = &Strobe_Lights_Switch, .name = "Strobe_Lights_Switch", .sizeMm = 20, .plate = 2420, .lever = 2430,
     .token = tokenStrobeLights, .click = verticalClick, .events = {keyStrobeLightsToggle}, .parentHelpId = helpStrobeLights,
     .waveId = waveSwitchClick, .leverValue = LeverFollowsToken},
    {.gauge = &Pitot_Heat_Switch, .name = "Pitot_Heat_Switch", .sizeMm = 20, .plate = 2420, .lever = 2430,
     .token = tokenPitotHeat, .click = verticalClick, .events = {keyPitotHeatToggle}, .parentHelpId = helpPitotHeat,
     .waveId = waveSwitchClick, .leverValue = LeverFollowsToken},
    {.gauge = &Prop_DeIce_Switch, .name = "Prop_DeIce_Switch", .sizeMm = 20, .plate = 2420, .lever = 2430,
     .token = tokenPropellerDeIce, .click = verticalClick, .events = {keyPropellerDeIceToggle}, .parentHelpId = helpPropellerDeIce,
     .waveId = waveSwitchClick, .leverValue = LeverFollowsToken},
    {.gauge = &Wings_DeIce_Switch, .name = "Wings_DeIce_Switch", .sizeMm = 20, .plate = 2420, .lever = 2430,
     .token = tokenWingsDeIce, .click = verticalClick, .events = {keyWingsDeIceToggle}, .tooltipHelpId = tooltipWingsDeIce,
     .waveId = waveSwitchClick, .leverValue = LeverFollowsToken},
    {.gauge = &Parking_Brake, .name = "Parking_Brake", .sizeMm = 52, .plate = 3150, .lever = 3160,
     .token = tokenParkingBrake, .click = {0, 0, 127, 155}, .events = {keyParkingBrake}, .parentHelpId = helpParkingBrake,
     .waveId = waveParkingBrake, .leverValue = ParkingBrakeHandle},
    // Fixed switches: no click area, nothing sent; their click is loaded but
    // never played.
    {.gauge = &Main_Switch_Left, .name = "Main_Switch_Left", .sizeMm = 20, .plate = 3170, .lever = 3180,
     .waveId = waveSwitchClick, .leverValue = LeverAlwaysOn},
    {.gauge = &Main_Switch_Right, .name = "Main_Switch_Right", .sizeMm = 20, .plate = 3170, .lever = 3180,
     .waveId = waveSwitchClick, .leverValue = LeverAlwaysOn},
};
// clang-format on

constexpr std::size_t soundingSwitchCount = std::size(soundingSwitches);

constexpr std::size_t MemberIndex(const GAUGEHDR* gauge) {
    for (std::size_t i = 0; i < soundingSwitchCount; ++i) {
        if (soundingSwitches[i].gauge == gauge) return i;
    }
    return soundingSwitchCount;
}

// One member's records and routines, built from its row of the table.
template <GAUGEHDR* Gauge>
struct SoundingSwitch {
    static constexpr std::size_t index = MemberIndex(Gauge);
    static_assert(index < soundingSwitchCount, "a sounding switch needs its row in the table");
    static constexpr const SoundingSwitchMember& member = soundingSwitches[index];

    static inline SoundingSwitchSound sound{.waveId = member.waveId};

    // Sends the member's events in order, then clicks. No state of its own:
    // the lever moves when the simulator changes the token.
    static SINT32 FSAPI Click(MOUSECALLBACK_POINT*, UINT32) {
        for (UINT32 event : member.events) {
            if (event != 0) TriggerKeyEvent(event, 0);
        }
        SoundingSwitchClick(sound);
        return 0;
    }

    static inline ELEMENT_ICON lever = {
        .header = ElementHeader(ELEMENT_TYPE_ICON, member.lever, member.leverAt, Gauge, nullptr, IMAGE_PLATE),
        .source_var = Token(member.token),
        .scale = 1.0,
        .picture_count = 2,
        .update_cb = member.leverValue,
    };
    static inline ELEMENT_HEADER* plateNext[] = {&lever.header, nullptr};
    static inline ELEMENT_STATIC_IMAGE plate = StaticImage(member.plate, Gauge, plateNext, IMAGE_PLATE);
    static inline ELEMENT_HEADER* elements[] = {&plate.header, nullptr};

    // Parent, its tooltip entry if any, the click area if any, end of parent;
    // unused entries stay end-of-list records.
    static constexpr std::size_t mouseSlots = 5;
    static constexpr auto MouseList() {
        std::array<MOUSERECT, mouseSlots> list{};
        std::size_t n = 0;
        list[n++] = MouseGauge(member.parentHelpId);
        if (member.click.w == 0) return list;  // a fixed switch: the parent alone
        if (member.tooltipHelpId != 0) list[n++] = MouseTooltipId(member.tooltipHelpId);
        list[n++] = MouseRoutine(member.click.x, member.click.y, member.click.w, member.click.h,
                                 CURSOR_HAND, MOUSE_LEFTSINGLE, Click);
        list[n++] = MouseEndParent();
        list[n++] = MouseEnd();
        return list;
    }
    static inline std::array<MOUSERECT, mouseSlots> mouse = MouseList();

    static constexpr GAUGEHDR Header() {
        return GaugeHeader(member.name, elements, member.sizeMm, mouse.data(),
                           SoundingSwitchRoutine<sound>);
    }
};

}  // namespace

GAUGEHDR Avionics_Switch = SoundingSwitch<&Avionics_Switch>::Header();
GAUGEHDR Battery_Switch = SoundingSwitch<&Battery_Switch>::Header();
GAUGEHDR Beacon_Lights_Switch = SoundingSwitch<&Beacon_Lights_Switch>::Header();
GAUGEHDR Landing_Lights_Switch = SoundingSwitch<&Landing_Lights_Switch>::Header();
GAUGEHDR Taxi_Lights_Switch = SoundingSwitch<&Taxi_Lights_Switch>::Header();
GAUGEHDR Navigation_Lights_Switch = SoundingSwitch<&Navigation_Lights_Switch>::Header();
GAUGEHDR Panel_Lights_Switch = SoundingSwitch<&Panel_Lights_Switch>::Header();
GAUGEHDR Strobe_Lights_Switch = SoundingSwitch<&Strobe_Lights_Switch>::Header();
GAUGEHDR Pitot_Heat_Switch = SoundingSwitch<&Pitot_Heat_Switch>::Header();
GAUGEHDR Prop_DeIce_Switch = SoundingSwitch<&Prop_DeIce_Switch>::Header();
GAUGEHDR Wings_DeIce_Switch = SoundingSwitch<&Wings_DeIce_Switch>::Header();
GAUGEHDR Parking_Brake = SoundingSwitch<&Parking_Brake>::Header();
GAUGEHDR Main_Switch_Left = SoundingSwitch<&Main_Switch_Left>::Header();
GAUGEHDR Main_Switch_Right = SoundingSwitch<&Main_Switch_Right>::Header();
