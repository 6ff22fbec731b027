#include "host/reactions.h"

namespace panelhost {

namespace {

// Filled in as the systems that need simulator feedback are modelled.
constexpr Reaction reactionTable[] = {
    {.event = 0, .apply = nullptr},
};

}  // namespace

std::span<const Reaction> SimulatorReactions() { return reactionTable; }

void ApplyReactions(Host& host, UINT32 event, UINT32 value) {
    for (const Reaction& reaction : reactionTable) {
        if (reaction.event == event && reaction.apply) reaction.apply(host, value);
    }
}

}  // namespace panelhost
