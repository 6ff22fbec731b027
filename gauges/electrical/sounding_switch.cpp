#include "gauges/electrical/sounding_switch.h"

#include <algorithm>
#include <iterator>

namespace {

bool NoneInstalled(const SoundingSwitchSound& sound) {
    return std::all_of(std::begin(sound.installed), std::end(sound.installed),
                       [](const GAUGEHDR* placed) { return placed == nullptr; });
}

const GAUGEHDR** Entry(SoundingSwitchSound& sound, const GAUGEHDR* gauge) {
    auto found = std::find(std::begin(sound.installed), std::end(sound.installed), gauge);
    return found == std::end(sound.installed) ? nullptr : found;
}

}  // namespace

void SoundingSwitchService(SoundingSwitchSound& sound, const GAUGEHDR* gauge, SINT32 serviceId,
                           UINT32 extraData) {
    if (!gauge) return;
    switch (serviceId) {
    case PANEL_SERVICE_PRE_INSTALL: {
        if (Entry(sound, gauge)) return;  // installed already: one device is enough
        const GAUGEHDR** free = Entry(sound, nullptr);
        if (!free) return;  // more copies than counted: they share the device
        const bool first = NoneInstalled(sound);
        *free = gauge;
        if (first) SoundSlotInstall(sound.slot, sound.waveId, extraData);
        break;
    }
    case PANEL_SERVICE_PRE_KILL: {
        // A kill of an instance that is not installed has nothing to release.
        const GAUGEHDR** entry = Entry(sound, gauge);
        if (!entry) return;
        *entry = nullptr;
        if (NoneInstalled(sound)) SoundSlotRelease(sound.slot);
        break;
    }
    default:
        break;
    }
}

void SoundingSwitchClick(SoundingSwitchSound& sound) { SoundSlotPlay(sound.slot); }
