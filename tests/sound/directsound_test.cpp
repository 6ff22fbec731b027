// The DirectSound player of the Windows module, run under Wine twice: with a
// working (null) output device, where buffers load, play, report playing
// and are released; and without one, where the first install silences the
// module and every operation returns at once. QR_EXPECT_SOUND (1 or 0) tells
// the run which machine it is on.
#if defined(_WIN32)
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "host/core/panel_host.h"
#include "sound/sound.h"
#include "tests/sound/wave_table.h"

namespace {

constexpr std::uint16_t switchClick = 10;
constexpr std::uint32_t programModule = 0;  // the test program's own resources

int ExpectedSound() {
    const char* value = std::getenv("QR_EXPECT_SOUND");
    return value ? std::atoi(value) : -1;
}

class DirectSoundPlayer : public ::testing::Test {
protected:
    void SetUp() override {
        expected = ExpectedSound();
        if (expected < 0) GTEST_SKIP() << "QR_EXPECT_SOUND not set";
        SoundEnabled = 1;
    }
    void TearDown() override {
        SoundSlotRelease(a);
        SoundSlotRelease(b);
        SoundEnabled = 1;
    }
    int expected{};
    SoundSlot a, b;
};

// Waits on the wall clock, as DirectSound plays in real time.
bool PlaysToItsEnd(SoundBuffer* buffer) {
    for (int i = 0; i < 250; ++i) {
        if (!SoundIsPlaying(buffer)) return true;
        Sleep(20);
    }
    return false;
}

TEST_F(DirectSoundPlayer, InstallPlayAndKill) {
    SoundSlotInstall(a, switchClick, programModule);
    if (!expected) {
        EXPECT_EQ(SoundEnabled, 0);
        EXPECT_EQ(a.device, nullptr);
        EXPECT_EQ(a.buffer, nullptr);
        SoundSlotPlay(a);
        EXPECT_EQ(SoundIsPlaying(&a.buffer), 0);
        return;
    }
    ASSERT_NE(a.device, nullptr);
    ASSERT_NE(a.buffer, nullptr);
    EXPECT_EQ(SoundIsPlaying(&a.buffer), 0);
    SoundSlotPlay(a);
    EXPECT_EQ(SoundIsPlaying(&a.buffer), 1);
    EXPECT_TRUE(PlaysToItsEnd(&a.buffer));
    // Played to its end, it plays again on the next click.
    SoundSlotPlay(a);
    EXPECT_EQ(SoundIsPlaying(&a.buffer), 1);
    EXPECT_EQ(SoundSetVolume(&a.buffer, -600), 1);
    EXPECT_EQ(SoundStop(&a.buffer), 1);
    EXPECT_EQ(SoundIsPlaying(&a.buffer), 0);
    EXPECT_EQ(SoundSetPosition(&a.buffer, 0), 1);
    SoundSlotRelease(a);
    EXPECT_EQ(a.device, nullptr);
    EXPECT_EQ(a.buffer, nullptr);
    EXPECT_EQ(SoundEnabled, 1);
}

TEST_F(DirectSoundPlayer, EveryPanelWaveLoadsWithItsSampleSize) {
    if (!expected) {
        EXPECT_EQ(SoundInit(nullptr, &a.device), 0);
        EXPECT_EQ(SoundEnabled, 0);
        EXPECT_EQ(SoundLoadWave(nullptr, &a.device, &a.buffer, switchClick, nullptr), 0u);
        return;
    }
    ASSERT_EQ(SoundInit(FindSimulatorWindow(), &a.device), 1);
    for (const WaveEntry& w : PanelWaves()) {
        if (w.name) continue;
        EXPECT_EQ(SoundLoadWave(nullptr, &a.device, &a.buffer, w.id, nullptr), w.dataBytes) << w.id;
    }
    EXPECT_EQ(SoundEnabled, 1);
}

TEST_F(DirectSoundPlayer, AMissingResourceSilencesTheModuleAndReleasesStillWork) {
    SoundSlotInstall(a, switchClick, programModule);
    if (expected) {
        ASSERT_NE(a.buffer, nullptr);
        ASSERT_EQ(SoundInit(nullptr, &b.device), 1);
        EXPECT_EQ(SoundLoadWave(nullptr, &b.device, &b.buffer, 11, nullptr), 0u);
    }
    EXPECT_EQ(SoundEnabled, 0);
    EXPECT_EQ(b.buffer, nullptr);
    EXPECT_EQ(SoundPlay(&a.buffer, 0), 0);
    SoundSlotRelease(a);
    SoundSlotRelease(b);
    EXPECT_EQ(a.device, nullptr);
    EXPECT_EQ(a.buffer, nullptr);
    EXPECT_EQ(b.device, nullptr);
}

// The module DLL as the host loads it: its WAVE resources and their sizes.
TEST(ModuleResources, TheDllCarriesEveryWaveUnderItsIdOrName) {
    panelhost::Host host;
    std::string error;
    ASSERT_TRUE(host.Load(QR_MODULE_PATH, &error)) << error;
    const auto module = static_cast<HMODULE>(host.ModuleHandle());
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(module), host.ModuleHandle32());
    for (const WaveEntry& w : PanelWaves()) {
        HRSRC found = FindResourceA(module, w.name ? w.name : MAKEINTRESOURCEA(w.id), "WAVE");
        ASSERT_NE(found, nullptr) << w.file;
        std::ifstream file(std::string(QR_SOURCE_DIR) + "/resources/waves/" + w.file,
                           std::ios::binary | std::ios::ate);
        EXPECT_EQ(SizeofResource(module, found), static_cast<DWORD>(file.tellg())) << w.file;
    }
    EXPECT_EQ(FindResourceA(module, MAKEINTRESOURCEA(11), "WAVE"), nullptr);
}

}  // namespace
#endif
