// The four panel services the gauges call. The service table's address is
// read from ImportTable at every call; with no table filled in yet, lookups
// read 0 and everything else does nothing.
#pragma once

#include "module/gauge_records.h"

extern "C" IMPORT_TABLE ImportTable;

// Current value of a token (64-bit float or 32-bit integer in the first bytes).
MODULE_VAR_VALUE LookupToken(SINT32 token);
FLOAT64 LookupNumber(SINT32 token);
SINT32 LookupInteger(SINT32 token);

void TriggerKeyEvent(UINT32 eventId, UINT32 value = 0);
void PanelWindowToggle(UINT32 windowId);
// Runs calculator code that yields a text; the text is the host's and stays
// valid only until the next call. Null when the host offers nothing.
const char* ExecuteCalculatorText(const char* code);
