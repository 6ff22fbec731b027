// What the two sound backends share with the common part of the player.
#pragma once

#include "sound/sound.h"

// Class name of the simulator's main window for an executable path: the
// newer simulator's class when the file name (without folder and extension)
// has '2' as its fourth character or 'C' as its first, the older one else.
const char* SimulatorWindowClass(const char* executablePath);

// The first failure silences the module for the rest of its life.
inline void SoundFail() { SoundEnabled = 0; }
