// The click of a sounding gauge: each gauge owns one sound device and one
// click buffer, made at pre-install from one of the module's waves and
// released at pre-kill, buffer first. Switches, the generator switches, the
// engine box and the marker-lamp test button all click this way.
#pragma once

#include <cstddef>
#include <cstdint>

#include "module/gauge_records.h"
#include "module/numbers.h"
#include "sound/sound.h"

// Placed instances of one sounding gauge that a panel can hold installed at
// once and still have them counted; further copies click through the same
// device while a counted one is installed.
inline constexpr std::size_t maxSoundingInstances = 16;

// The users of one sound device: the placed instances of a sounding gauge
// (the header copies the host passes) installed now. The device is made for
// the first and released after the last. Install and kill count once per
// instance, so a host that repeats a pre-install or sends a stray pre-kill
// neither leaks the device nor silences copies still placed.
struct SoundUsers {
    const GAUGEHDR* installed[maxSoundingInstances]{};
};

// Counts an instance in at pre-install: true when it is the first, whose
// device is to be made. An instance counted already, or one beyond the
// count, changes nothing.
bool SoundUserJoins(SoundUsers& users, const GAUGEHDR* gauge);
// Counts an instance out at pre-kill: true when it was the last, whose
// device is to be released. An instance not counted changes nothing.
bool SoundUserLeaves(SoundUsers& users, const GAUGEHDR* gauge);

struct SoundingSwitchSound {
    std::uint16_t waveId;
    SoundSlot slot{};
    SoundUsers users{};
};

// Gauge routine body: sound set-up at pre-install (the extra data is the
// module handle), release at pre-kill; every other service is ignored, and
// so is a call without a gauge header.
void SoundingSwitchService(SoundingSwitchSound& sound, const GAUGEHDR* gauge, SINT32 serviceId,
                           UINT32 extraData);

// Plays the click once; silent when sound is unavailable.
void SoundingSwitchClick(SoundingSwitchSound& sound);

// The gauge routine of a gauge whose only service work is its click.
template <SoundingSwitchSound& Sound>
void FSAPI SoundingSwitchRoutine(GAUGEHDR* gauge, SINT32 serviceId, UINT32 extraData) {
    SoundingSwitchService(Sound, gauge, serviceId, extraData);
}

// The click of a two-position switch that the module keeps itself: the flag
// flips (any value but 0 counts as on and turns off), then the switch clicks.
template <std::int32_t& Flag, SoundingSwitchSound& Sound>
SINT32 FSAPI FlipFlagClick(MOUSECALLBACK_POINT*, UINT32) {
    Flag = ToggleFlag(Flag);
    SoundingSwitchClick(Sound);
    return 0;
}
