// The host's help and tooltip texts: what the simulator shows when the
// mouse rests on an area whose help id or tooltip entry names a text.
#pragma once

#include "module/gauge_records.h"

namespace panelhost {

// The text for a help id or tooltip id, null for an id the host has none for.
const char* HelpText(UINT32 id);

}  // namespace panelhost
