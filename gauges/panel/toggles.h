// Routines of the programmable window and view toggles.
#pragma once

#include "module/gauge_records.h"

// View steps one click may send: far more than the views a panel cycles
// through, few enough that a runaway count ("p2000000000") cannot stall the
// host with events.
inline constexpr SINT32 maxViewSteps = 100;

// The panel window a text names: a window name of the panel configuration
// ("RADIO_STACK_PANEL"...) as its prefix, else the integer it begins with (0
// when it begins with none); -1 for no text or an empty one.
SINT32 WindowId(const char* text);

// The host tooltip a text names: a tooltip name ("TOGGLE_GPS_WINDOW"...) as
// its prefix, else the integer it begins with when that is one of the host's
// tooltip numbers (0xA000 and up); 0 otherwise.
UINT32 HelpIdByName(const char* text);

// Mouse routine of the programmable toggles: every "o", then every "c",
// every "t", then the first "p" of the parameters; without parameters the
// main panel window toggles.
SINT32 FSAPI ToggleClick(MOUSECALLBACK_POINT* point, UINT32 mouseFlags);

// Gauge routine: at pre-install the face ("b") and tooltip ("h"), and at the
// first installation of the placed gauge the window closed once ("a").
void FSAPI ToggleGaugeRoutine(GAUGEHDR* gauge, SINT32 serviceId, UINT32 extraData);
