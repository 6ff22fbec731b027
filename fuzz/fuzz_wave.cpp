// The wave reader over any bytes, and what the player does with a wave it
// accepts: a buffer of its format filled with its samples, played and
// released.
#include <cstddef>
#include <cstdint>

#include "sound/platform/qraudio.h"
#include "sound/portable/riff_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > UINT32_MAX) return 0;
    WaveImage wave;
    if (!ReadWaveImage(data, static_cast<std::uint32_t>(size), wave)) return 0;
    // Every sample byte lies inside the input: reading them all shows it.
    unsigned sum = 0;
    for (std::uint32_t i = 0; i < wave.sampleSize; ++i) sum += wave.samples[i];
    volatile unsigned kept = sum;
    (void)kept;

    qraudio_device* device = nullptr;
    if (qraudio_device_create(&device) != QRAUDIO_OK) return 0;
    const qraudio_format format = BufferFormat(wave.format);
    qraudio_buffer* buffer = nullptr;
    if (qraudio_buffer_create(device, &format, wave.sampleSize, &buffer) == QRAUDIO_OK) {
        qraudio_buffer_write(buffer, 0, wave.samples, wave.sampleSize);
        qraudio_buffer_set_position(buffer, 0);
        qraudio_buffer_play(buffer, 0);
        qraudio_clock_advance(0.01);
        std::uint32_t status = 0;
        qraudio_buffer_status(buffer, &status);
        qraudio_buffer_release(buffer);
    }
    qraudio_device_release(device);
    return 0;
}
