// Pieces shared by the radio sets: reading the simulator's binary-coded
// decimal frequencies and codes, lighting the digit windows with the set's
// power, and writing the frequency and course windows.
#pragma once

#include <cstddef>

#include "module/bcd.h"
#include "module/gauge_builders.h"

// Lights a digit window while its set is on and darkens it while off, and
// takes the host's on-screen mark off the element so that it is drawn anew
// with its new lighting.
void LightDigits(ELEMENT_HEADER* element, bool lit);

// Writes a window's text into the host's buffer, cut to the window's number
// of characters.
void ShowWindowText(ELEMENT_STRING* element, const char* text);

// Writes value formatted into the window. A value that is not a finite number,
// or whose text would not fit the window, shows a row of dashes instead.
void ShowWindowNumber(ELEMENT_STRING* element, const char* format, FLOAT64 value);
