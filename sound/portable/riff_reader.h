// A bounded reader of RIFF/WAVE images held in memory: the portable
// counterpart of walking a memory file with the multimedia file routines.
#pragma once

#include <cstdint>

#include "sound/platform/qraudio.h"

// The format record as the player reads it: 18 bytes from the start of the
// "fmt " chunk. With the usual 16-byte chunk the extra-size word holds the
// next two bytes of the file, which PCM playback ignores.
struct WaveFormatRecord {
    std::uint16_t formatTag{};
    std::uint16_t channels{};
    std::uint32_t samplesPerSec{};
    std::uint32_t avgBytesPerSec{};
    std::uint16_t blockAlign{};
    std::uint16_t bitsPerSample{};
    std::uint16_t extraSize{};
};

struct WaveImage {
    WaveFormatRecord format;
    const std::uint8_t* samples{};  // inside the image
    std::uint32_t sampleSize{};     // bytes of the "data" chunk, never 0
};

// Finds the "RIFF" chunk of form "WAVE", its "fmt " chunk and, after it, its
// "data" chunk, skipping any other chunk (LIST and the like). False for an
// image that is not such a file or whose chunks run past its end; nothing is
// ever read outside [bytes, bytes + size).
bool ReadWaveImage(const void* bytes, std::uint32_t size, WaveImage& image);

// The buffer format the audio library takes for a wave's format record.
constexpr qraudio_format BufferFormat(const WaveFormatRecord& format) {
    return qraudio_format{
        .format_tag = format.formatTag,
        .channels = format.channels,
        .samples_per_sec = format.samplesPerSec,
        .avg_bytes_per_sec = format.avgBytesPerSec,
        .block_align = format.blockAlign,
        .bits_per_sample = format.bitsPerSample,
    };
}
