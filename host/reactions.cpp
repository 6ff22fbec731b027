#include "host/reactions.h"

namespace panelhost {

namespace {

// The simulator's switch for a system: 0 off, 1 on.
template <SINT32 Token>
void ToggleSwitch(Host& host, UINT32) {
    host.SetNumber(Token, host.Number(Token) == 0.0 ? 1.0 : 0.0);
}

// The parking brake is a position: 0 released, 32767 set.
void ToggleParkingBrake(Host& host, UINT32) {
    host.SetNumber(323, host.Number(323) > 32500.0 ? 0.0 : 32767.0);
}

// Cockpit switches, generators and the engine systems the engine box and the
// shut-down sequence toggle. The landing-light pair 0x100D7 then 0x102C0
// toggles token 14 once.
constexpr Reaction reactionTable[] = {
    {.event = 0x102F5, .apply = ToggleSwitch<740>},  // avionics master
    {.event = 0x102C1, .apply = ToggleSwitch<364>},  // battery master
    {.event = 0x102BF, .apply = ToggleSwitch<368>},  // beacon lights
    {.event = 0x100D7, .apply = ToggleSwitch<14>},   // landing lights
    {.event = 0x1034B, .apply = ToggleSwitch<619>},  // navigation lights
    {.event = 0x100D6, .apply = ToggleSwitch<10>},   // panel lights
    {.event = 0x10018, .apply = ToggleSwitch<11>},   // strobe lights
    {.event = 0x10142, .apply = ToggleSwitch<13>},   // pitot heat
    {.event = 0x10322, .apply = ToggleSwitch<904>},  // propeller de-ice
    {.event = 0x10321, .apply = ToggleSwitch<905>},  // wing de-ice
    {.event = 0x100D8, .apply = ToggleParkingBrake},
    {.event = 0x1033B, .apply = ToggleSwitch<566>},  // left generator
    {.event = 0x1033C, .apply = ToggleSwitch<576>},  // right generator
    {.event = 0x103BE, .apply = ToggleSwitch<895>},  // engine-1 system
    {.event = 0x103BF, .apply = ToggleSwitch<896>},  // engine-2 system
};

}  // namespace

std::span<const Reaction> SimulatorReactions() { return reactionTable; }

void ApplyReactions(Host& host, UINT32 event, UINT32 value) {
    for (const Reaction& reaction : reactionTable) {
        if (reaction.event == event && reaction.apply) reaction.apply(host, value);
    }
}

}  // namespace panelhost
