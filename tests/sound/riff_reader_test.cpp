// The bounded RIFF reader of the portable player: it finds the format and
// the samples past any other chunk, and turns down every image whose chunks
// do not fit, without reading outside the image (the sanitizer build checks
// the reads; each image here is an exactly sized heap block).
// The portable player is not part of the Windows build, where the multimedia
// file routines read the waves.
#if !defined(_WIN32)
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "sound/portable/riff_reader.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void Put32(Bytes& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

Bytes Chunk(const char* id, const Bytes& data, bool pad = true) {
    Bytes b(id, id + 4);
    Put32(b, static_cast<std::uint32_t>(data.size()));
    b.insert(b.end(), data.begin(), data.end());
    if (pad && data.size() % 2) b.push_back(0);
    return b;
}

Bytes PcmFormat(std::uint32_t rate = 11025, std::uint16_t bits = 8) {
    const std::uint16_t block = bits / 8;
    Bytes f{1, 0, 1, 0};
    Put32(f, rate);
    Put32(f, rate * block);
    f.insert(f.end(), {static_cast<std::uint8_t>(block), 0, static_cast<std::uint8_t>(bits), 0});
    return f;
}

Bytes Riff(const std::vector<Bytes>& chunks, const char* form = "WAVE") {
    Bytes body(form, form + 4);
    for (const Bytes& c : chunks) body.insert(body.end(), c.begin(), c.end());
    return Chunk("RIFF", body);
}

// Reads from an exactly sized copy so that any stray read is caught.
bool Read(const Bytes& image, WaveImage& wave) {
    std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[image.size() ? image.size() : 1]);
    if (!image.empty()) std::memcpy(copy.get(), image.data(), image.size());
    const bool ok = ReadWaveImage(copy.get(), static_cast<std::uint32_t>(image.size()), wave);
    if (ok) {
        EXPECT_GE(wave.samples, copy.get());
        EXPECT_LE(wave.samples + wave.sampleSize, copy.get() + image.size());
        // Point into the caller's vector instead, which outlives the copy.
        wave.samples = image.data() + (wave.samples - copy.get());
    }
    return ok;
}

const Bytes samples = {0x80, 0x90, 0xA0, 0x90, 0x80, 0x70, 0x60};

TEST(RiffReader, FindsFormatAndSamplesPastOtherChunks) {
    for (const auto& layout : {
             std::vector<Bytes>{Chunk("fmt ", PcmFormat()), Chunk("data", samples)},
             std::vector<Bytes>{Chunk("LIST", Bytes(13, 'x')), Chunk("fmt ", PcmFormat()),
                                Chunk("data", samples)},
             std::vector<Bytes>{Chunk("fmt ", PcmFormat()), Chunk("LIST", Bytes(13, 'x')),
                                Chunk("fact", Bytes(4, 0)), Chunk("data", samples)},
             std::vector<Bytes>{Chunk("fmt ", PcmFormat()), Chunk("data", samples),
                                Chunk("LIST", Bytes(6, 'y'))},
         }) {
        // The image points into the file's bytes: keep them alive.
        const Bytes file = Riff(layout);
        WaveImage wave;
        ASSERT_TRUE(Read(file, wave));
        EXPECT_EQ(wave.format.formatTag, 1);
        EXPECT_EQ(wave.format.channels, 1);
        EXPECT_EQ(wave.format.samplesPerSec, 11025u);
        EXPECT_EQ(wave.format.bitsPerSample, 8);
        EXPECT_EQ(wave.sampleSize, samples.size());
        EXPECT_EQ(Bytes(wave.samples, wave.samples + wave.sampleSize), samples);
    }
}

TEST(RiffReader, ExtraSizeWordIsTheNextTwoBytesOfTheForm) {
    WaveImage wave;
    ASSERT_TRUE(Read(Riff({Chunk("fmt ", PcmFormat()), Chunk("data", samples)}), wave));
    EXPECT_EQ(wave.format.extraSize, 'd' | ('a' << 8));

    Bytes eighteen = PcmFormat();
    eighteen.insert(eighteen.end(), {0, 0});
    ASSERT_TRUE(Read(Riff({Chunk("fmt ", eighteen), Chunk("data", samples)}), wave));
    EXPECT_EQ(wave.format.extraSize, 0);
}

TEST(RiffReader, SkipsOtherRiffFormsBeforeTheWave) {
    Bytes image = Riff({Chunk("junk", Bytes(5, 1))}, "AVI ");
    const Bytes wave = Riff({Chunk("fmt ", PcmFormat()), Chunk("data", samples)});
    image.insert(image.end(), wave.begin(), wave.end());
    WaveImage read;
    EXPECT_TRUE(Read(image, read));
}

TEST(RiffReader, TurnsDownImagesThatAreNotWholeWaves) {
    const Bytes fmt = Chunk("fmt ", PcmFormat());
    Bytes shortFormat = PcmFormat();
    shortFormat.resize(14);
    Bytes overlong = Riff({fmt, Chunk("data", samples)});
    overlong[4] += 1;  // the RIFF chunk claims a byte the image lacks
    Bytes dataTooLong = Riff({fmt, Chunk("data", samples)});
    dataTooLong[dataTooLong.size() - samples.size() - 1 - 4] += 2;  // data size past the form

    const std::vector<std::pair<std::string, Bytes>> bad = {
        {"empty", {}},
        {"not RIFF", Chunk("LIST", Bytes(20, 0))},
        {"not WAVE", Riff({fmt, Chunk("data", samples)}, "AVI ")},
        {"no fmt", Riff({Chunk("data", samples)})},
        {"fmt too short", Riff({Chunk("fmt ", shortFormat), Chunk("data", samples)})},
        {"data before fmt", Riff({Chunk("data", samples), fmt})},
        {"no data", Riff({fmt, Chunk("LIST", Bytes(4, 0))})},
        {"empty data", Riff({fmt, Chunk("data", {})})},
        {"RIFF past the image", overlong},
        {"data past the form", dataTooLong},
    };
    for (const auto& [what, image] : bad) {
        WaveImage wave;
        EXPECT_FALSE(Read(image, wave)) << what;
        EXPECT_EQ(wave.samples, nullptr) << what;
        EXPECT_EQ(wave.sampleSize, 0u) << what;
    }
}

TEST(RiffReader, EveryTruncationOfAWaveIsTurnedDown) {
    const Bytes image = Riff({Chunk("LIST", Bytes(9, 'z')), Chunk("fmt ", PcmFormat()),
                              Chunk("data", samples), Chunk("LIST", Bytes(3, 'w'))});
    for (std::size_t length = 0; length < image.size(); ++length) {
        WaveImage wave;
        EXPECT_FALSE(Read(Bytes(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(length)), wave))
            << "cut at " << length;
    }
    WaveImage wave;
    EXPECT_TRUE(Read(image, wave));
}

TEST(RiffReader, HugeChunkSizesDoNotWrapAround) {
    for (std::uint32_t size : {0xFFFFFFFFu, 0xFFFFFFF8u, 0x80000000u}) {
        Bytes list = Chunk("LIST", Bytes(4, 0));
        list[4] = static_cast<std::uint8_t>(size);
        list[5] = static_cast<std::uint8_t>(size >> 8);
        list[6] = static_cast<std::uint8_t>(size >> 16);
        list[7] = static_cast<std::uint8_t>(size >> 24);
        WaveImage wave;
        EXPECT_FALSE(Read(Riff({list, Chunk("fmt ", PcmFormat()), Chunk("data", samples)}), wave))
            << std::hex << size;
    }
}

}  // namespace
#endif
