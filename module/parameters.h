// Gauge parameters: keyword search in the text the panel configuration gives a
// placed gauge, and the engine-number rewrite of engine gauges.
#pragma once

#include "module/gauge_records.h"

// Position of the first occurrence of keyword in text, or null when it is
// absent or any of "/", "#" or "'" stands before it (the rest is a comment).
const char* FindParameterKeyword(const char* text, const char* keyword);

// Engine 1 to 4 named by the parameters: "1", "2", "3", "4" tried in order;
// engine 1 when none is found or there are no parameters.
int EngineFromParameters(const char* parameters);

// Number for engine n of a token, key event or help id built for engine 1.
SINT32 EngineToken(SINT32 token, int engine);
UINT32 EngineKeyEvent(UINT32 eventId, int engine);
UINT32 EngineHelpId(UINT32 helpId, int engine);

// Gauge routine of engine gauges: at pre-install moves the placed gauge's
// tokens, key events and tooltip help ids to the engine its parameters name.
void FSAPI EngineGaugeRoutine(GAUGEHDR* gauge, SINT32 serviceId, UINT32 extraData);

// The integer a keyword's argument begins with, read as a decimal
// text-to-integer conversion reads it: leading blanks and a sign allowed, up
// to the first non-digit, 0 when no digit follows. Held at the ends of the
// 32-bit range instead of overflowing, so a runaway number in a panel
// configuration stays a large number of the same sign.
SINT32 ParameterInteger(const char* text);
