// The part of the sound player that does not depend on the platform's audio
// system: the module-wide off switch, the choice of the simulator's window
// class and the caller pattern of the sounding gauges.
#include "sound/sound.h"

#include <cstdint>
#include <cstring>

#include "sound/sound_backend.h"

std::int32_t SoundEnabled = 1;

namespace {

constexpr const char* newerMainWindowClass = "MSCFSMAIN";
constexpr const char* olderMainWindowClass = "FS98MAIN";

}  // namespace

const char* SimulatorWindowClass(const char* executablePath) {
    if (!executablePath) return olderMainWindowClass;
    const char* name = executablePath;
    for (const char* p = executablePath; *p; ++p) {
        if (*p == '/' || *p == '\\') name = p + 1;
    }
    const char* dot = std::strrchr(name, '.');
    const std::size_t length = dot ? static_cast<std::size_t>(dot - name) : std::strlen(name);
    if ((length >= 4 && name[3] == '2') || (length >= 1 && name[0] == 'C')) {
        return newerMainWindowClass;
    }
    return olderMainWindowClass;
}

void SoundSlotInstall(SoundSlot& slot, std::uint16_t waveId, std::uint32_t moduleHandle) {
    // A gauge installed again without being killed keeps one device, not two.
    SoundSlotRelease(slot);
    const SoundModule module = reinterpret_cast<SoundModule>(static_cast<std::uintptr_t>(moduleHandle));
    const SoundWindow window = FindSimulatorWindow();
    SoundInit(window, &slot.device);
    SoundLoadWave(window, &slot.device, &slot.buffer, waveId, module);
}

void SoundSlotPlay(SoundSlot& slot) { SoundPlay(&slot.buffer, 0); }

void SoundSlotRelease(SoundSlot& slot) {
    SoundReleaseBuffer(&slot.buffer);
    SoundReleaseDevice(&slot.device);
}
