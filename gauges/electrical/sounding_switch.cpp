#include "gauges/electrical/sounding_switch.h"

#include <algorithm>
#include <iterator>

namespace {

bool NoneInstalled(const SoundUsers& users) {
    return std::all_of(std::begin(users.installed), std::end(users.installed),
                       [](const GAUGEHDR* placed) { return placed == nullptr; });
}

const GAUGEHDR** Entry(SoundUsers& users, const GAUGEHDR* gauge) {
    auto found = std::find(std::begin(users.installed), std::end(users.installed), gauge);
    return found == std::end(users.installed) ? nullptr : found;
}

}  // namespace

bool SoundUserJoins(SoundUsers& users, const GAUGEHDR* gauge) {
    if (!gauge || Entry(users, gauge)) return false;
    const GAUGEHDR** free = Entry(users, nullptr);
    if (!free) return false;  // more copies than counted: they share the device
    const bool first = NoneInstalled(users);
    *free = gauge;
    return first;
}

bool SoundUserLeaves(SoundUsers& users, const GAUGEHDR* gauge) {
    const GAUGEHDR** entry = gauge ? Entry(users, gauge) : nullptr;
    if (!entry) return false;
    *entry = nullptr;
    return NoneInstalled(users);
}

void SoundingSwitchService(SoundingSwitchSound& sound, const GAUGEHDR* gauge, SINT32 serviceId,
                           UINT32 extraData) {
    if (serviceId == PANEL_SERVICE_PRE_INSTALL && SoundUserJoins(sound.users, gauge)) {
        SoundSlotInstall(sound.slot, sound.waveId, extraData);
    }
    if (serviceId == PANEL_SERVICE_PRE_KILL && SoundUserLeaves(sound.users, gauge)) SoundSlotRelease(sound.slot);
}

void SoundingSwitchClick(SoundingSwitchSound& sound) { SoundSlotPlay(sound.slot); }
