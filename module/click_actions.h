// Click routines that knobs and buttons of several gauges share, made for
// each use from the gauge's own guard and event.
#pragma once

#include "module/gauge_records.h"
#include "module/host_services.h"

// A knob step: sends the event, with its value, when the guard allows the
// step. The guard reads what it needs and says whether the knob may turn;
// a knob at the end of its travel stays silent.
template <bool (*MayStep)(), UINT32 Event, UINT32 Value = 0>
SINT32 FSAPI GuardedStep(MOUSECALLBACK_POINT*, UINT32) {
    if (MayStep()) TriggerKeyEvent(Event, Value);
    return 0;
}
