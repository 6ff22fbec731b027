// Simulator reactions: a small table of what the simulator does on key events
// the panel sends (a toggle event flips its token, a set event stores its
// value), so that scenarios can see the effect of a click on a later frame.
// Applied only while reactions are on (`reactions on`), after the event is
// logged.
#pragma once

#include "host/core/element_state.h"

namespace panelhost {

struct Reaction {
    UINT32 event{};
    void (*apply)(TokenStore& tokens, UINT32 value){};
};

// Applies every reaction listed for the event.
void ApplyReactions(TokenStore& tokens, UINT32 event, UINT32 value);

}  // namespace panelhost
