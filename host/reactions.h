// Simulator reactions: a small table of what the simulator does on key events
// the panel sends (a toggle event flips its token, a set event stores its
// value), so that scenarios can see the effect of a click on a later frame.
// Applied only while reactions are on (`reactions on`), after the event is
// logged.
#pragma once

#include <span>

#include "host/panel_host.h"

namespace panelhost {

struct Reaction {
    UINT32 event{};
    void (*apply)(Host& host, UINT32 value){};
};

// The table, in lookup order.
std::span<const Reaction> SimulatorReactions();

// Applies every reaction listed for the event.
void ApplyReactions(Host& host, UINT32 event, UINT32 value);

}  // namespace panelhost
