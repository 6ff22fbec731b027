// What the two sound backends share with the common part of the player.
#pragma once

#include "sound/sound.h"

// Class name of the simulator's main window for an executable path: the
// newer simulator's class when the file name (without folder and extension)
// has '2' as its fourth character or 'C' as its first, the older one else.
const char* SimulatorWindowClass(const char* executablePath);

// The first failure silences the module for the rest of its life.
inline void SoundFail() { SoundEnabled = 0; }

// A device that could not be made: its slot left empty, sound off.
inline std::int32_t DeviceFailed(SoundDevice* device) {
    *device = nullptr;
    SoundFail();
    return 0;
}

// The start of every wave load: the buffer slot is emptied first, and a
// load without a device turns sound off. False when there is nothing to do.
inline bool WaveSlotReady(SoundDevice* device, SoundBuffer* buffer) {
    if (!SoundEnabled || !buffer) return false;
    SoundReleaseBuffer(buffer);
    if (!device || !*device) {
        SoundFail();
        return false;
    }
    return true;
}
