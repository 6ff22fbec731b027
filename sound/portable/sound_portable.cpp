// The sound player over the substitute host's audio library (qraudio): the
// same operations and the same off switch as on Windows, with the module's
// WAVE resources embedded in the module and found through its handle, and the
// simulator's window, in the system registries of the substitute host
// (qrsystem).
#include <unistd.h>

#include <cstdint>

#include "sound/platform/qraudio.h"
#include "sound/platform/qrsystem.h"
#include "sound/portable/riff_reader.h"
#include "sound/sound.h"
#include "sound/sound_backend.h"

// The module's resource table, generated from the resource script at build time.
extern const qrsystem_resource qrEmbeddedResources[];
extern const std::size_t qrEmbeddedResourceCount;

namespace {

constexpr const char* waveResourceType = "WAVE";
constexpr std::uint32_t pcmFormatTag = 1;

// Makes the module's resources known while it is loaded, as the loader does
// for a library's resource section.
struct ResourceRegistration {
    ResourceRegistration() {
        qrsystem_register_resources(this, qrEmbeddedResources, qrEmbeddedResourceCount);
    }
    ~ResourceRegistration() { qrsystem_unregister_resources(this); }
    ResourceRegistration(const ResourceRegistration&) = delete;
    ResourceRegistration& operator=(const ResourceRegistration&) = delete;
} resourceRegistration;

qraudio_device* DeviceIn(SoundDevice* slot) { return static_cast<qraudio_device*>(*slot); }
qraudio_buffer* BufferIn(SoundBuffer* slot) { return static_cast<qraudio_buffer*>(*slot); }

// A failed call on a buffer: the slot gives up its reference and the module
// goes silent.
std::int32_t BufferFailed(SoundBuffer* slot) {
    qraudio_buffer_release(BufferIn(slot));
    *slot = nullptr;
    SoundFail();
    return 0;
}

bool Usable(SoundBuffer* slot) { return SoundEnabled && slot && *slot; }

}  // namespace

SoundWindow FindSimulatorWindow() {
    char path[4096] = {};
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return nullptr;
    path[length] = '\0';
    return qrsystem_window_find(SimulatorWindowClass(path));
}

std::int32_t SoundInit(SoundWindow window, SoundDevice* device) {
    if (!SoundEnabled || !device) return 0;
    SoundReleaseDevice(device);
    qraudio_device* made = nullptr;
    if (qraudio_device_create(&made) != QRAUDIO_OK ||
        qraudio_device_set_window(made, window) != QRAUDIO_OK) {
        qraudio_device_release(made);
        return DeviceFailed(device);
    }
    *device = made;
    return 1;
}

std::uint32_t SoundLoadWave(SoundWindow, SoundDevice* device, SoundBuffer* buffer,
                            std::uint16_t resourceId, SoundModule module) {
    if (!WaveSlotReady(device, buffer)) return 0;

    const void* bytes = nullptr;
    std::uint32_t size = 0;
    WaveImage wave;
    const auto handle = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(module));
    if (qrsystem_find_resource(handle, waveResourceType, resourceId, nullptr, &bytes, &size) !=
            QRSYSTEM_OK ||
        !ReadWaveImage(bytes, size, wave) || wave.format.formatTag != pcmFormatTag) {
        SoundFail();
        return 0;
    }

    const qraudio_format format = BufferFormat(wave.format);
    qraudio_buffer* made = nullptr;
    if (qraudio_buffer_create(DeviceIn(device), &format, wave.sampleSize, &made) != QRAUDIO_OK ||
        qraudio_buffer_write(made, 0, wave.samples, wave.sampleSize) != QRAUDIO_OK ||
        qraudio_buffer_set_position(made, 0) != QRAUDIO_OK) {
        qraudio_buffer_release(made);
        SoundFail();
        return 0;
    }
    *buffer = made;
    return wave.sampleSize;
}

std::int32_t SoundPlay(SoundBuffer* buffer, std::uint32_t flags) {
    if (!Usable(buffer)) return 0;
    if (qraudio_buffer_play(BufferIn(buffer), flags) != QRAUDIO_OK) return BufferFailed(buffer);
    return 1;
}

std::int32_t SoundStop(SoundBuffer* buffer) {
    if (!Usable(buffer)) return 0;
    if (qraudio_buffer_stop(BufferIn(buffer)) != QRAUDIO_OK) return BufferFailed(buffer);
    return 1;
}

std::int32_t SoundIsPlaying(SoundBuffer* buffer) {
    if (!Usable(buffer)) return 0;
    std::uint32_t status = 0;
    if (qraudio_buffer_status(BufferIn(buffer), &status) != QRAUDIO_OK) return BufferFailed(buffer);
    return (status & QRAUDIO_STATUS_PLAYING) ? 1 : 0;
}

std::int32_t SoundSetVolume(SoundBuffer* buffer, std::int32_t volume) {
    if (!Usable(buffer)) return 0;
    if (qraudio_buffer_set_volume(BufferIn(buffer), volume) != QRAUDIO_OK) return BufferFailed(buffer);
    return 1;
}

std::int32_t SoundSetPosition(SoundBuffer* buffer, std::uint32_t offset) {
    if (!Usable(buffer)) return 0;
    if (qraudio_buffer_set_position(BufferIn(buffer), offset) != QRAUDIO_OK) return BufferFailed(buffer);
    return 1;
}

// Releases give back whatever the slot holds, also after sound went off: a
// device or buffer made before the first failure is not left behind.
void SoundReleaseBuffer(SoundBuffer* buffer) {
    if (!buffer || !*buffer) return;
    qraudio_buffer_release(BufferIn(buffer));
    *buffer = nullptr;
}

void SoundReleaseDevice(SoundDevice* device) {
    if (!device || !*device) return;
    qraudio_device_release(DeviceIn(device));
    *device = nullptr;
}
