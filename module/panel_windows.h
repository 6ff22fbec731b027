// The panel windows a panel configuration names, with the window number the
// host's window events carry. Shared by the window toggles, which read the
// names in their parameters, and the panel host, which reads them as window
// sections.
#pragma once

#include "module/gauge_records.h"

struct PanelWindowName {
    const char* name;
    SINT32 number;
};

// Tried in this order; no name is the start of a later one.
inline constexpr PanelWindowName panelWindowNames[] = {
    {"MAIN_PANEL", 0},           {"RADIO_STACK_PANEL", 50},   {"COMPASS_PANEL", 75},
    {"ANNUNCIATOR_PANEL", 125},  {"ANNUNCIATOR2_PANEL", 150}, {"COLLECTIVE_PANEL", 200},
    {"THROTTLE_PANEL", 10},      {"MINI_CONTROLS_PANEL", 100}, {"IFR_MAIN_PANEL", 175},
    {"GPS_PANEL", 225},          {"OVERHEAD_PANEL", 250},
};
