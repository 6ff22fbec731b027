// The host's side of sound: the simulator main window that sounding gauges
// bind their devices to, and the controls scenarios and tests have over the
// audio system (qraudio, the substitute audio library, on Linux).
//
// Under Windows the module plays through DirectSound and the machine decides
// whether a device exists: there the device and recording controls accept
// their commands and do nothing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace panelhost {

// True where the host controls the audio system (everywhere but Windows).
bool HostSoundControlled();

// Takes the sound device away (installs then fail as on a machine without
// sound) or gives it back. Devices already made keep working.
void HostSoundSetDevice(bool available);

// Records everything played from now on into a 16-bit mono WAV file, mixed on
// the simulated clock with each buffer's volume. The file is written when the
// recording stops, or at exit. False with a message when it cannot start or
// be written.
bool HostSoundRecordStart(const std::string& path, std::string* error = nullptr);
bool HostSoundRecordStop(std::string* error = nullptr);

// The sounds the module started since the last call (or the start of the
// process), oldest first, by the WAVE resource each was loaded from (0 for
// one of unknown origin); the list is emptied. Empty under Windows.
std::vector<std::uint32_t> HostSoundTakePlays();

// What one of the module's sound buffers did, for a host that plays the
// sounds aloud itself (the live panel).
struct HostSoundChange {
    enum class What { Start, Loop, Stop, Volume };
    What what{};
    std::uint32_t buffer{};  // the same number for one buffer while it lives
    std::uint32_t wave{};    // the WAVE resource it was loaded from, 0 unknown
    bool looping{};
    std::int32_t volume{};   // hundredths of a decibel, 0 full
    double offset{};         // seconds into the wave where it plays from
};

// Watches every buffer from now on (or no longer); the changes are kept
// (the latest few thousand) until taken, oldest first. Nothing under Windows.
void HostSoundWatch(bool watching);
std::vector<HostSoundChange> HostSoundTakeChanges();

}  // namespace panelhost
