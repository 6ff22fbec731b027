// Simulator reactions: a table of what the simulator does on each key event
// the panel sends (a toggle event flips its token, a set event stores its
// value, a step moves a setting within its limits), so that scenarios and
// the live panel see the effect of a click on a later frame; the events it
// leaves without effect are named in a table of their own.
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

// Whether the table lists a reaction for the event.
bool Reacts(UINT32 event);
// Why the simulator leaves the event without effect on the panel, or null
// when the table does not name it as ignored.
const char* IgnoredBecause(UINT32 event);

}  // namespace panelhost
