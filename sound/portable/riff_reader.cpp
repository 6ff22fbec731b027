// Walks a RIFF image chunk by chunk, every offset checked against the end of
// the enclosing chunk before anything is read.
#include "sound/portable/riff_reader.h"

#include <cstring>

namespace {

constexpr std::uint32_t chunkHeaderSize = 8;
constexpr std::uint32_t formatRecordSize = 18;
constexpr std::uint32_t pcmFormatSize = 16;

std::uint16_t Word(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t Dword(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

struct Chunk {
    std::uint32_t dataStart{};  // offset of the chunk's first data byte
    std::uint32_t size{};       // data bytes, wholly inside the parent
};

// Finds the first chunk with that identifier in [from, end), stepping over
// others (each padded to an even size). A chunk that claims more bytes than
// its parent holds ends the search with failure.
bool FindChunk(const std::uint8_t* base, std::uint32_t from, std::uint32_t end, const char* id,
               Chunk& found) {
    std::uint32_t at = from;
    while (at <= end && end - at >= chunkHeaderSize) {
        const std::uint32_t size = Dword(base + at + 4);
        const std::uint32_t dataStart = at + chunkHeaderSize;
        if (size > end - dataStart) return false;
        if (std::memcmp(base + at, id, 4) == 0) {
            found = Chunk{dataStart, size};
            return true;
        }
        const std::uint32_t padded = size + (size & 1u);
        if (padded > end - dataStart) return false;  // a last odd chunk: nothing follows
        at = dataStart + padded;
    }
    return false;
}

}  // namespace

bool ReadWaveImage(const void* bytes, std::uint32_t size, WaveImage& image) {
    image = WaveImage{};
    if (!bytes) return false;
    const auto* base = static_cast<const std::uint8_t*>(bytes);

    // The RIFF chunk of form WAVE, among the image's top-level chunks.
    std::uint32_t at = 0;
    Chunk riff;
    for (;;) {
        if (!FindChunk(base, at, size, "RIFF", riff)) return false;
        if (riff.size >= 4 && std::memcmp(base + riff.dataStart, "WAVE", 4) == 0) break;
        at = riff.dataStart + riff.size + (riff.size & 1u);
        if (at < riff.dataStart) return false;
    }
    const std::uint32_t formStart = riff.dataStart + 4;
    const std::uint32_t formEnd = riff.dataStart + riff.size;

    Chunk fmt;
    if (!FindChunk(base, formStart, formEnd, "fmt ", fmt) || fmt.size < pcmFormatSize) return false;
    // Eighteen bytes where the form holds them; the extra-size word is 0 when
    // the form ends right after a 16-byte chunk.
    std::uint8_t record[formatRecordSize] = {};
    const std::uint32_t available = formEnd - fmt.dataStart;
    std::memcpy(record, base + fmt.dataStart, available < formatRecordSize ? available : formatRecordSize);
    image.format = WaveFormatRecord{
        .formatTag = Word(record),
        .channels = Word(record + 2),
        .samplesPerSec = Dword(record + 4),
        .avgBytesPerSec = Dword(record + 8),
        .blockAlign = Word(record + 12),
        .bitsPerSample = Word(record + 14),
        .extraSize = Word(record + 16),
    };

    // Out of "fmt " and on to "data".
    std::uint32_t afterFmt = fmt.dataStart + fmt.size;
    if (fmt.size & 1u) {
        if (afterFmt == formEnd) return false;
        ++afterFmt;
    }
    Chunk data;
    if (!FindChunk(base, afterFmt, formEnd, "data", data) || data.size == 0) return false;
    image.samples = base + data.dataStart;
    image.sampleSize = data.size;
    return true;
}
