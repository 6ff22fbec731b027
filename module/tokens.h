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
    tokenOnGround = 60,               // positive while standing on the ground
    tokenVerticalSpeed = 65,          // metres per second x 256
    tokenTimeOfDay = 557,             // seconds
    tokenSimulationTime = 604,        // seconds, running on
    tokenRadioHeight = 614,           // metres
    tokenDecisionHeight = 615,        // metres
    tokenDecisionHeightLamp = 616,    // 1 at or below the decision height
    tokenRadaltSupply = 755,          // volts; callouts speak from 20 V up
};

// Key events the host acts on (0x10000 + n).
enum KeyEvent : UINT32 {
    keyNone = 0,

    // ---- flight, engine, fuel, gear and electrical instruments ----

    // ---- radios and navigation indicators ----

    // ---- radio altimeter, clock, toggles and registration plate ----
    keyPanelWindowToggle = 0x103CA,   // value: window number
    keyPanelWindowOpen = 0x103CB,
    keyPanelWindowClose = 0x103CC,
    keyDecisionHeightUp = 0x10311,    // value 1: fine step below 300 ft
    keyDecisionHeightDown = 0x10312,
    keyViewReset = 0x10153,
    keyViewNext = 0x100C6,
    keyViewPrevious = 0x100C7,
    keyKneeboard = 0x10154,
    keyMapWindow = 0x10380,
    keyAtcWindow = 0x1001C,
};

// Help ids of mouse areas and tooltip entries.
enum HelpId : UINT32 {
    helpNone = 0,

    // ---- flight, engine, fuel, gear and electrical instruments ----

    // ---- radios and navigation indicators ----

    // ---- radio altimeter, clock, toggles and registration plate ----
    helpRadioAltimeter = 0x3009,
    helpRadioWindow = 0xAB86,
    helpGpsWindow = 0xAB87,
    helpThrottleWindow = 0xAB88,
    helpCompassWindow = 0xAB89,
    helpFuelWindow = 0xAB8A,
    helpCollectiveWindow = 0xAB8B,
    helpMapWindow = 0xAB8F,
    helpKneeboard = 0xAB93,
    helpAtcWindow = 0xAB94,
    helpOverheadWindow = 0xAB95,
};
