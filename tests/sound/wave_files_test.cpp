// The recordings committed under resources/waves/: each is the mono PCM file
// the player expects (16-byte "fmt ", exact "data" size), and each holds what
// it should: a click that snaps and dies away, a callout whose words fit
// whole inside its length.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/sound/wave_table.h"

namespace {

std::vector<std::uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t U32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

std::uint16_t U16(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

struct Chunk {
    std::string id;
    std::size_t start;  // first data byte
    std::uint32_t size;
};

// Top-level chunks of the WAVE form, checked to tile the file exactly.
std::vector<Chunk> Chunks(const std::vector<std::uint8_t>& b) {
    std::vector<Chunk> chunks;
    std::size_t at = 12;
    while (at + 8 <= b.size()) {
        Chunk c{std::string(b.begin() + static_cast<std::ptrdiff_t>(at),
                            b.begin() + static_cast<std::ptrdiff_t>(at + 4)),
                at + 8, U32(b, at + 4)};
        chunks.push_back(c);
        at = c.start + c.size + (c.size & 1u);
    }
    EXPECT_EQ(at, b.size()) << "chunks do not end with the file";
    return chunks;
}

// Samples as values in [-1, 1].
std::vector<double> Samples(const std::vector<std::uint8_t>& b, const Chunk& data, int bits) {
    std::vector<double> out;
    if (bits == 8) {
        for (std::uint32_t i = 0; i < data.size; ++i) out.push_back((b[data.start + i] - 128.0) / 128.0);
    } else {
        for (std::uint32_t i = 0; i + 1 < data.size; i += 2)
            out.push_back(static_cast<std::int16_t>(U16(b, data.start + i)) / 32768.0);
    }
    return out;
}

double Rms(const std::vector<double>& s, std::size_t from, std::size_t to) {
    double sum = 0;
    for (std::size_t i = from; i < to; ++i) sum += s[i] * s[i];
    return to > from ? std::sqrt(sum / static_cast<double>(to - from)) : 0.0;
}

class WaveFile : public ::testing::TestWithParam<WaveEntry> {
protected:
    std::vector<std::uint8_t> bytes =
        ReadFile(std::string(QR_SOURCE_DIR) + "/resources/waves/" + GetParam().file);
};

TEST_P(WaveFile, IsMonoPcmWithTheExpectedFormatAndDataSize) {
    const WaveEntry& w = GetParam();
    ASSERT_GE(bytes.size(), 44u) << w.file;
    EXPECT_EQ(std::memcmp(bytes.data(), "RIFF", 4), 0);
    EXPECT_EQ(U32(bytes, 4), bytes.size() - 8);
    EXPECT_EQ(std::memcmp(bytes.data() + 8, "WAVE", 4), 0);

    const std::vector<Chunk> chunks = Chunks(bytes);
    int fmtAt = -1, dataAt = -1;
    for (std::size_t i = 0; i < chunks.size(); ++i) {
        if (chunks[i].id == "fmt ") fmtAt = static_cast<int>(i);
        if (chunks[i].id == "data") dataAt = static_cast<int>(i);
        EXPECT_TRUE(chunks[i].id == "fmt " || chunks[i].id == "data" || chunks[i].id == "LIST")
            << "unexpected chunk " << chunks[i].id;
    }
    ASSERT_GE(fmtAt, 0);
    ASSERT_GT(dataAt, fmtAt) << "the player looks for data after fmt";
    const Chunk& fmt = chunks[static_cast<std::size_t>(fmtAt)];
    EXPECT_EQ(fmt.size, 16u);
    EXPECT_EQ(U16(bytes, fmt.start), 1) << "PCM";
    EXPECT_EQ(U16(bytes, fmt.start + 2), 1) << "mono";
    EXPECT_EQ(U32(bytes, fmt.start + 4), w.rate);
    EXPECT_EQ(U32(bytes, fmt.start + 8), w.rate * w.bits / 8);
    EXPECT_EQ(U16(bytes, fmt.start + 12), w.bits / 8);
    EXPECT_EQ(U16(bytes, fmt.start + 14), w.bits);
    EXPECT_EQ(chunks[static_cast<std::size_t>(dataAt)].size, w.dataBytes);
}

TEST_P(WaveFile, HoldsItsSoundWhole) {
    const WaveEntry& w = GetParam();
    const std::vector<Chunk> chunks = Chunks(bytes);
    const Chunk* data = nullptr;
    for (const Chunk& c : chunks) {
        if (c.id == "data") data = &c;
    }
    ASSERT_NE(data, nullptr);
    const std::vector<double> s = Samples(bytes, *data, w.bits);
    const std::size_t window = w.rate / 100;  // 10 ms
    std::size_t firstLoud = s.size(), lastLoud = 0;
    for (std::size_t at = 0; at + window <= s.size(); at += window) {
        if (Rms(s, at, at + window) > 0.03) {
            firstLoud = std::min(firstLoud, at);
            lastLoud = at + window;
        }
    }
    ASSERT_LT(firstLoud, lastLoud) << w.file << " is silent";
    if (w.words) {
        // Speech fills most of the slot, starts after a breath and is not cut off.
        EXPECT_GT(static_cast<double>(lastLoud - firstLoud), 0.5 * static_cast<double>(s.size())) << w.file;
        EXPECT_LT(Rms(s, s.size() - window, s.size()), 0.03) << w.file << " ends in a word";
        EXPECT_LT(Rms(s, 0, window / 2), 0.03) << w.file << " starts in a word";
    } else {
        // A mechanical sound: heard at once after the click, died away by the end.
        EXPECT_LT(firstLoud, static_cast<std::size_t>(w.rate / 40)) << w.file;
        EXPECT_LT(Rms(s, s.size() - window, s.size()), 0.01) << w.file;
    }
}

INSTANTIATE_TEST_SUITE_P(Panel, WaveFile, ::testing::ValuesIn(PanelWaves()),
                         [](const auto& info) {
                             std::string n = info.param.file;
                             return n.substr(0, n.find('.'));
                         });

TEST(WaveFiles, SomeCarryAListChunkThatThePlayerSkips) {
    int withList = 0;
    for (const WaveEntry& w : PanelWaves()) {
        const auto b = ReadFile(std::string(QR_SOURCE_DIR) + "/resources/waves/" + w.file);
        for (const Chunk& c : Chunks(b)) withList += c.id == "LIST";
    }
    EXPECT_GE(withList, 2);
}

}  // namespace
