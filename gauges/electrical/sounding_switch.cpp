#include "gauges/electrical/sounding_switch.h"

void SoundingSwitchService(SoundingSwitchSound& sound, SINT32 serviceId, UINT32 extraData) {
    switch (serviceId) {
    case PANEL_SERVICE_PRE_INSTALL:
        if (sound.instances++ == 0) SoundSlotInstall(sound.slot, sound.waveId, extraData);
        break;
    case PANEL_SERVICE_PRE_KILL:
        // A kill without a matching install has nothing to release.
        if (sound.instances > 0 && --sound.instances == 0) SoundSlotRelease(sound.slot);
        break;
    default:
        break;
    }
}

void SoundingSwitchClick(SoundingSwitchSound& sound) { SoundSlotPlay(sound.slot); }
