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
    tokenAdfFrequency = 16,           // BCD hundreds, tens and units of kHz
    tokenAdfFrequencyExtension = 18,  // 0x100 and up: thousands digit 1; rest: tenths
    tokenAdfCard = 22,                // bearing indicator's card setting, degrees
    tokenCom1Frequency = 23,          // BCD, without the hundreds digit
    tokenNav1Frequency = 24,          // BCD, without the hundreds digit
    tokenNav2Frequency = 27,
    tokenTransponderCode = 38,        // BCD, one digit a nibble
    tokenAdfBearing = 39,             // relative bearing to the station, degrees
    tokenVor1Localizer = 40,          // -127 to 127
    tokenVor1GlideSlope = 41,         // -119 to 119
    tokenVor1Signal = 43,             // 32-bit integer, 0 without a usable signal
    tokenVor1GlideSlopeFlag = 44,
    tokenVor1Course = 45,             // selected course, degrees
    tokenVor2Localizer = 50,
    tokenVor2Signal = 52,
    tokenVor2GlideSlopeFlag = 53,
    tokenVor2Course = 54,
    tokenGyroHeading = 84,
    tokenNavGpsSource = 848,          // 0 NAV receiver drives navigation, 1 GPS
    tokenAdfVolume = 880,
    tokenVor2GlideSlope = 882,

    // ---- radio altimeter, clock, toggles and registration plate ----
};

// Key events the host acts on (0x10000 + n).
enum KeyEvent : UINT32 {
    keyNone = 0,

    // ---- flight, engine, fuel, gear and electrical instruments ----

    // ---- radios and navigation indicators ----
    keyCom1WholeDown = 0x10064,
    keyCom1WholeUp = 0x10065,
    keyCom1FractionDown = 0x10066,
    keyCom1FractionUp = 0x10067,
    keyNav1WholeDown = 0x10068,
    keyNav1WholeUp = 0x10069,
    keyNav1FractionDown = 0x1006A,
    keyNav1FractionUp = 0x1006B,
    keyNav2WholeDown = 0x1006C,
    keyNav2WholeUp = 0x1006D,
    keyNav2FractionDown = 0x1006E,
    keyNav2FractionUp = 0x1006F,
    keyTransponderThousandsUp = 0x10073,
    keyTransponderHundredsUp = 0x10074,
    keyTransponderTensUp = 0x10075,
    keyTransponderUnitsUp = 0x10076,
    keyVor1CourseSet = 0x100B4,        // value: the course in whole degrees
    keyVor2CourseSet = 0x100B5,
    keyNav1IdentOff = 0x10128,
    keyNav2IdentOff = 0x10129,
    keyAdfIdentOff = 0x1012C,
    keyNav1IdentOn = 0x1012D,
    keyNav2IdentOn = 0x1012E,
    keyAdfIdentOn = 0x10131,
    keyAdfCardUp = 0x10159,
    keyAdfCardDown = 0x1015A,
    keyAdfFrequencySet = 0x1024A,      // value: four BCD digits in tenths of a kHz
    keyNavGpsToggle = 0x10347,
    keyTransponderThousandsDown = 0x10397,
    keyTransponderHundredsDown = 0x10398,
    keyTransponderTensDown = 0x10399,
    keyTransponderUnitsDown = 0x1039A,
    keyAdfTenthDown = 0x1039D,
    keyAdfTenthUp = 0x1039E,
    keyAdfWholeUp = 0x103EE,
    keyAdfWholeDown = 0x103EF,

    // ---- radio altimeter, clock, toggles and registration plate ----
};

// Help ids of mouse areas and tooltip entries.
enum HelpId : UINT32 {
    helpNone = 0,

    // ---- flight, engine, fuel, gear and electrical instruments ----

    // ---- radios and navigation indicators ----
    helpCom1Tooltip = 0x3160,
    helpAdfTooltip = 0x3170,
    helpNav1Radio = 0xA700,
    helpCom1Radio = 0xA701,
    helpNav2Radio = 0xA702,
    helpAdfRadio = 0xA709,
    helpTransponder = 0xA70A,
    helpNav1Knobs = 0xA714,
    helpNav1Window = 0xA715,
    helpNav2Knobs = 0xA716,
    helpNav2Window = 0xA717,
    helpAdfIndicator = 0xAB00,
    helpAdfCardKnob = 0xAB01,
    helpVor1Flags = 0xAB48,
    helpNavGpsSwitch = 0xAB4D,
    helpVor1Dial = 0xAB72,
    helpVor1Knob = 0xAB73,
    helpVor2Dial = 0xAB74,
    helpVor2Knob = 0xAB75,

    // ---- radio altimeter, clock, toggles and registration plate ----
};
