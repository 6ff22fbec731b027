// Reads back what the host's recorder wrote: a 16-bit mono PCM WAV file.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

struct RecordedWave {
    std::uint32_t rate{};  // 0 when the file is missing or not a WAV file
    std::vector<std::int16_t> samples;
};

inline std::uint32_t RecordedU32(const unsigned char* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24;
}

// Walks the file's chunks for "fmt " (the rate) and "data" (the samples).
inline RecordedWave ReadRecordedWave(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), {}};
    RecordedWave wave;
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0) return wave;
    for (std::size_t at = 12; at + 8 <= bytes.size();) {
        const std::uint32_t size = RecordedU32(&bytes[at + 4]);
        const unsigned char* body = &bytes[at + 8];
        if (std::memcmp(&bytes[at], "fmt ", 4) == 0 && size >= 16) wave.rate = RecordedU32(body + 4);
        if (std::memcmp(&bytes[at], "data", 4) == 0) {
            const std::size_t count = std::min<std::size_t>(size, bytes.size() - at - 8) / 2;
            for (std::size_t i = 0; i < count; ++i) {
                wave.samples.push_back(static_cast<std::int16_t>(body[2 * i] | body[2 * i + 1] << 8));
            }
        }
        at += 8 + std::size_t{size} + (size & 1);
    }
    return wave;
}

// The samples as fractions of full scale, with the file's rate.
inline std::vector<double> RecordedSamples(const std::string& path, std::uint32_t& rate) {
    const RecordedWave wave = ReadRecordedWave(path);
    rate = wave.rate;
    std::vector<double> out;
    out.reserve(wave.samples.size());
    for (std::int16_t sample : wave.samples) out.push_back(sample / 32768.0);
    return out;
}

// The largest magnitude of the samples in [from, to) seconds.
inline double Peak(const std::vector<double>& s, double from, double to, std::uint32_t rate) {
    double peak = 0;
    for (auto i = static_cast<std::size_t>(std::max(0.0, from) * rate); i < s.size() && i < to * rate; ++i) {
        peak = std::max(peak, std::fabs(s[i]));
    }
    return peak;
}
