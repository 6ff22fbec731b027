// The click of a sounding gauge: each gauge owns one sound device and one
// click buffer, made at pre-install from one of the module's waves and
// released at pre-kill, buffer first. Switches, the generator switches, the
// engine box and the marker-lamp test button all click this way.
#pragma once

#include <cstdint>

#include "module/gauge_records.h"
#include "sound/sound.h"

struct SoundingSwitchSound {
    std::uint16_t waveId;
    SoundSlot slot{};
    // Placed instances of the gauge that are installed now. The device and
    // buffer are made for the first and released after the last, so a gauge
    // placed twice neither leaks a device nor loses its click when one of
    // its instances is killed.
    std::int32_t instances{};
};

// Gauge routine body: sound set-up at pre-install (the extra data is the
// module handle), release at pre-kill; every other service is ignored.
void SoundingSwitchService(SoundingSwitchSound& sound, SINT32 serviceId, UINT32 extraData);

// Plays the click once; silent when sound is unavailable.
void SoundingSwitchClick(SoundingSwitchSound& sound);

// The gauge routine of a gauge whose only service work is its click.
template <SoundingSwitchSound& Sound>
void FSAPI SoundingSwitchRoutine(GAUGEHDR*, SINT32 serviceId, UINT32 extraData) {
    SoundingSwitchService(Sound, serviceId, extraData);
}
