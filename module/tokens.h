// The module's vocabulary: every simulator token, key event and help id the
// gauges use, named once with its number. Gauges use these names only; a
// number written anywhere else in module/ or gauges/ is a fault.
//
// Tokens are the host's simulation variables (read through lookup_var or an
// element's source token); key events are the host's commands, sent with
// trigger_key_event; help ids name the host's help and tooltip texts.
// Each enumeration is split by system; a name used by several systems lives
// in the first section that needs it.
#pragma once

#include "module/gauge_records.h"

// Simulator tokens.
enum SimToken : SINT32 {
    tokenNone = 0,

    // ---- flight, engine, fuel, gear and electrical instruments ----

    // ---- radios and navigation indicators ----

    // ---- radio altimeter, clock, toggles and registration plate ----
};

// Key events the host acts on (0x10000 + n).
enum KeyEvent : UINT32 {
    keyNone = 0,

    // ---- flight, engine, fuel, gear and electrical instruments ----

    // ---- radios and navigation indicators ----

    // ---- radio altimeter, clock, toggles and registration plate ----
};

// Help ids of mouse areas and tooltip entries.
enum HelpId : UINT32 {
    helpNone = 0,

    // ---- flight, engine, fuel, gear and electrical instruments ----

    // ---- radios and navigation indicators ----

    // ---- radio altimeter, clock, toggles and registration plate ----
};
