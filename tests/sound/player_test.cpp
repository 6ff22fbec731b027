// The portable sound player on the substitute audio system: slots filled and
// emptied as gauges install, click and are killed; the module-wide off switch
// after the first failure; playing time on the simulated clock; everything
// heard, mixed into a recording.
// The portable player and its audio library are not part of the Windows build,
// where DirectSound plays (directsound_test.cpp).
#if !defined(_WIN32)
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "host/core/panel_host.h"
#include "sound/platform/qraudio.h"
#include "sound/platform/qrsystem.h"
#include "sound/sound.h"
#include "sound/sound_backend.h"
#include "tests/sound/wave_table.h"
#include "tests/support/recorded_wave.h"

namespace {

constexpr std::uint16_t switchClick = 10;
constexpr std::uint16_t knobClick = 30;
constexpr double switchClickSeconds = 3828.0 / (22050 * 2);
constexpr std::uint32_t programModule = 0;  // the test program's own resources

struct Live {
    int devices{}, buffers{};
    bool operator==(const Live&) const = default;
};

Live LiveObjects() {
    Live l;
    qraudio_live_objects(&l.devices, &l.buffers);
    return l;
}

class Player : public ::testing::Test {
protected:
    void SetUp() override {
        SoundEnabled = 1;
        qraudio_set_device_available(1);
        before = LiveObjects();
    }
    void TearDown() override {
        for (SoundSlot* s : {&a, &b, &c}) SoundSlotRelease(*s);
        EXPECT_EQ(LiveObjects(), before) << "a device or buffer was left behind";
        qraudio_set_device_available(1);
        SoundEnabled = 1;
    }
    SoundSlot a, b, c;
    Live before;
};

TEST_F(Player, InstallMakesDeviceAndBufferAndKillGivesThemBack) {
    SoundSlotInstall(a, switchClick, programModule);
    ASSERT_NE(a.device, nullptr);
    ASSERT_NE(a.buffer, nullptr);
    EXPECT_EQ(LiveObjects(), (Live{before.devices + 1, before.buffers + 1}));
    EXPECT_EQ(SoundIsPlaying(&a.buffer), 0);

    // Installed again without a kill: still one device and one buffer.
    SoundSlotInstall(a, switchClick, programModule);
    EXPECT_EQ(LiveObjects(), (Live{before.devices + 1, before.buffers + 1}));

    SoundSlotRelease(a);
    EXPECT_EQ(a.device, nullptr);
    EXPECT_EQ(a.buffer, nullptr);
    EXPECT_EQ(LiveObjects(), before);
    EXPECT_EQ(SoundEnabled, 1);
}

TEST_F(Player, EveryPanelWaveLoadsWithItsSampleSize) {
    ASSERT_EQ(SoundInit(nullptr, &a.device), 1);
    for (const WaveEntry& w : PanelWaves()) {
        if (w.name) continue;  // loaded by no gauge: SoundLoadWave takes numbers
        EXPECT_EQ(SoundLoadWave(nullptr, &a.device, &a.buffer, w.id, nullptr), w.dataBytes) << w.id;
    }
    EXPECT_EQ(LiveObjects().buffers, before.buffers + 1) << "each load replaces the slot's buffer";
    const void* data = nullptr;
    std::uint32_t size = 0;
    EXPECT_EQ(qrsystem_find_resource(programModule, "WAVE", 0, "WAV_RADALT_2500", &data, &size), QRSYSTEM_OK);
    EXPECT_GT(size, 11322u);
    EXPECT_EQ(SoundEnabled, 1);
}

TEST_F(Player, AClickPlaysForItsDurationOnTheSimulatedClock) {
    SoundSlotInstall(a, switchClick, programModule);
    SoundSlotPlay(a);
    EXPECT_EQ(SoundIsPlaying(&a.buffer), 1);
    qraudio_clock_advance(switchClickSeconds - 0.005);
    EXPECT_EQ(SoundIsPlaying(&a.buffer), 1);
    qraudio_clock_advance(0.01);
    EXPECT_EQ(SoundIsPlaying(&a.buffer), 0) << "played to its end";

    // The next click plays it again from the start.
    SoundSlotPlay(a);
    qraudio_clock_advance(switchClickSeconds - 0.005);
    EXPECT_EQ(SoundIsPlaying(&a.buffer), 1);
    qraudio_clock_advance(0.01);
    EXPECT_EQ(SoundIsPlaying(&a.buffer), 0);
}

TEST_F(Player, AClickWhileStillPlayingDoesNotRestartIt) {
    SoundSlotInstall(a, switchClick, programModule);
    SoundSlotPlay(a);
    qraudio_clock_advance(switchClickSeconds / 2);
    SoundSlotPlay(a);
    EXPECT_EQ(SoundIsPlaying(&a.buffer), 1);
    qraudio_clock_advance(switchClickSeconds / 2 + 0.005);
    EXPECT_EQ(SoundIsPlaying(&a.buffer), 0);
}

TEST_F(Player, StopAndPositionMoveThePlayCursor) {
    ASSERT_EQ(SoundInit(nullptr, &a.device), 1);
    ASSERT_EQ(SoundLoadWave(nullptr, &a.device, &a.buffer, switchClick, nullptr), 3828u);
    EXPECT_EQ(SoundPlay(&a.buffer, 0), 1);
    EXPECT_EQ(SoundStop(&a.buffer), 1);
    EXPECT_EQ(SoundIsPlaying(&a.buffer), 0);
    // From the middle, it plays half as long.
    EXPECT_EQ(SoundSetPosition(&a.buffer, 3828 / 2), 1);
    EXPECT_EQ(SoundPlay(&a.buffer, 0), 1);
    qraudio_clock_advance(switchClickSeconds / 2 + 0.005);
    EXPECT_EQ(SoundIsPlaying(&a.buffer), 0);
    // A looping play goes on until stopped.
    EXPECT_EQ(SoundPlay(&a.buffer, 1), 1);
    qraudio_clock_advance(10 * switchClickSeconds);
    EXPECT_EQ(SoundIsPlaying(&a.buffer), 1);
    EXPECT_EQ(SoundStop(&a.buffer), 1);
    EXPECT_EQ(SoundEnabled, 1);
}

TEST_F(Player, EmptySlotsDoNothingAndSilenceNothing) {
    EXPECT_EQ(SoundPlay(&a.buffer, 0), 0);
    EXPECT_EQ(SoundStop(&a.buffer), 0);
    EXPECT_EQ(SoundIsPlaying(&a.buffer), 0);
    EXPECT_EQ(SoundSetVolume(&a.buffer, 0), 0);
    EXPECT_EQ(SoundSetPosition(&a.buffer, 0), 0);
    EXPECT_EQ(SoundPlay(nullptr, 0), 0);
    SoundReleaseBuffer(nullptr);
    SoundReleaseDevice(nullptr);
    SoundSlotPlay(a);
    SoundSlotRelease(a);
    EXPECT_EQ(SoundEnabled, 1);
}

TEST_F(Player, WithoutADeviceTheFirstInstallSilencesEveryGaugeForGood) {
    SoundSlotInstall(a, switchClick, programModule);  // made while sound worked
    ASSERT_NE(a.buffer, nullptr);

    qraudio_set_device_available(0);
    SoundSlotInstall(b, knobClick, programModule);
    EXPECT_EQ(SoundEnabled, 0);
    EXPECT_EQ(b.device, nullptr);
    EXPECT_EQ(b.buffer, nullptr);

    // The gauge installed before goes silent too, and nothing brings sound back.
    EXPECT_EQ(SoundPlay(&a.buffer, 0), 0);
    EXPECT_EQ(SoundIsPlaying(&a.buffer), 0);
    EXPECT_EQ(SoundSetVolume(&a.buffer, -100), 0);
    qraudio_set_device_available(1);
    SoundSlotInstall(c, switchClick, programModule);
    EXPECT_EQ(c.device, nullptr);
    EXPECT_EQ(SoundInit(nullptr, &c.device), 0);
    EXPECT_EQ(SoundEnabled, 0);

    // Killing the first gauge still gives back what it holds.
    SoundSlotRelease(a);
    EXPECT_EQ(a.device, nullptr);
    EXPECT_EQ(a.buffer, nullptr);
    EXPECT_EQ(LiveObjects(), before);
}

TEST_F(Player, AMissingResourceSilencesTheModule) {
    ASSERT_EQ(SoundInit(nullptr, &a.device), 1);
    EXPECT_EQ(SoundLoadWave(nullptr, &a.device, &a.buffer, 11, nullptr), 0u);
    EXPECT_EQ(a.buffer, nullptr);
    EXPECT_EQ(SoundEnabled, 0);
    EXPECT_EQ(SoundLoadWave(nullptr, &a.device, &a.buffer, switchClick, nullptr), 0u);
    EXPECT_NE(a.device, nullptr) << "the device stays until the gauge is killed";
}

TEST_F(Player, LoadingWithoutADeviceFails) {
    EXPECT_EQ(SoundLoadWave(nullptr, &a.device, &a.buffer, switchClick, nullptr), 0u);
    EXPECT_EQ(a.buffer, nullptr);
    EXPECT_EQ(SoundEnabled, 0);
}

TEST_F(Player, AFailedBufferCallEmptiesTheSlotAndSilencesTheModule) {
    SoundSlotInstall(a, switchClick, programModule);
    SoundSlotInstall(b, knobClick, programModule);
    EXPECT_EQ(SoundSetVolume(&a.buffer, -10000), 1);
    EXPECT_EQ(SoundSetVolume(&a.buffer, -10001), 0);  // below silence: refused
    EXPECT_EQ(a.buffer, nullptr);
    EXPECT_EQ(LiveObjects().buffers, before.buffers + 1);
    EXPECT_EQ(SoundEnabled, 0);
    EXPECT_EQ(SoundPlay(&b.buffer, 0), 0);
}

TEST_F(Player, ThePlayPositionMustLieInsideTheBuffer) {
    SoundSlotInstall(a, switchClick, programModule);
    EXPECT_EQ(SoundSetPosition(&a.buffer, 3828), 0);
    EXPECT_EQ(a.buffer, nullptr);
    EXPECT_EQ(SoundEnabled, 0);
}

// --- Recording --------------------------------------------------------------

TEST_F(Player, TheRecordingHoldsEachClickAtItsTimeAndVolume) {
    const std::string path = ::testing::TempDir() + "player_recording_" + std::to_string(getpid()) + ".wav";
    SoundSlotInstall(a, knobClick, programModule);
    SoundSlotInstall(b, knobClick, programModule);
    ASSERT_EQ(SoundSetVolume(&b.buffer, -600), 1);  // -6 dB: half the amplitude

    ASSERT_EQ(qraudio_record_start(path.c_str(), 22050), QRAUDIO_OK);
    qraudio_clock_advance(0.1);
    SoundSlotPlay(a);
    qraudio_clock_advance(0.5);
    SoundSlotPlay(b);
    qraudio_clock_advance(1.0);
    ASSERT_EQ(qraudio_record_stop(), QRAUDIO_OK);

    std::uint32_t rate = 0;
    const std::vector<double> s = RecordedSamples(path, rate);
    std::remove(path.c_str());
    ASSERT_EQ(rate, 22050u);
    const double knobSeconds = 6014.0 / (22050 * 2);
    EXPECT_NEAR(static_cast<double>(s.size()) / rate, 0.6 + knobSeconds, 0.01) << "ends with the last click";
    const double full = Peak(s, 0.1, 0.1 + knobSeconds, rate);
    EXPECT_GT(full, 0.3);
    EXPECT_LT(Peak(s, 0.0, 0.099, rate), 0.001) << "silent before the first click";
    EXPECT_LT(Peak(s, 0.1 + knobSeconds + 0.001, 0.599, rate), 0.001) << "silent between the clicks";
    EXPECT_NEAR(Peak(s, 0.6, 0.6 + knobSeconds, rate) / full, std::pow(10.0, -600 / 2000.0), 0.02);
}

// --- The simulator's window --------------------------------------------------

TEST(SimulatorWindow, ClassFollowsTheExecutableName) {
    EXPECT_STREQ(SimulatorWindowClass("/opt/sim/fs2004.exe"), "FS98MAIN");
    EXPECT_STREQ(SimulatorWindowClass("C:\\Games\\fsx2.exe"), "MSCFSMAIN");  // '2' fourth
    EXPECT_STREQ(SimulatorWindowClass("C:\\Games\\Corvane.exe"), "MSCFSMAIN");  // 'C' first
    EXPECT_STREQ(SimulatorWindowClass("C:\\Games\\corvane.exe"), "FS98MAIN");
    EXPECT_STREQ(SimulatorWindowClass("/opt/abc2/panelhost"), "FS98MAIN") << "the folder does not count";
    EXPECT_STREQ(SimulatorWindowClass("abc.2xe"), "FS98MAIN") << "nor does the extension";
    EXPECT_STREQ(SimulatorWindowClass(""), "FS98MAIN");
    EXPECT_STREQ(SimulatorWindowClass(nullptr), "FS98MAIN");
}

TEST(SimulatorWindow, FoundByClassAmongTheHostsWindows) {
    void* other = qrsystem_window_register("MSCFSMAIN");
    void* main = qrsystem_window_register("FS98MAIN");
    EXPECT_EQ(FindSimulatorWindow(), qrsystem_window_find("FS98MAIN"));  // this program's name
    EXPECT_NE(FindSimulatorWindow(), other);
    qrsystem_window_unregister(main);
    qrsystem_window_unregister(other);
}

// --- The module loaded by the host -------------------------------------------

TEST(ModuleResources, TheLoadedModuleFindsItsWavesThroughTheHandleTheHostGives) {
    panelhost::Host host;
    std::string error;
    ASSERT_TRUE(host.Load(QR_MODULE_PATH, &error)) << error;
    const std::uint32_t handle = host.ModuleHandle32();
    ASSERT_NE(handle, 0u);
    for (const WaveEntry& w : PanelWaves()) {
        const void* data = nullptr;
        std::uint32_t size = 0;
        ASSERT_EQ(qrsystem_find_resource(handle, "WAVE", w.id, w.name, &data, &size), QRSYSTEM_OK) << w.file;
        EXPECT_GT(size, w.dataBytes + 36) << w.file;
        // The loaded module's copy, not the test program's.
        const void* own = nullptr;
        std::uint32_t ownSize = 0;
        ASSERT_EQ(qrsystem_find_resource(programModule, "WAVE", w.id, w.name, &own, &ownSize), QRSYSTEM_OK);
        EXPECT_NE(data, own);
        EXPECT_EQ(size, ownSize);
    }
    const void* data = nullptr;
    std::uint32_t size = 0;
    EXPECT_NE(qrsystem_find_resource(handle, "WAVE", 11, nullptr, &data, &size), QRSYSTEM_OK);
    EXPECT_NE(qrsystem_find_resource(handle, "BITMAP", 10, nullptr, &data, &size), QRSYSTEM_OK);
    EXPECT_NE(qrsystem_find_resource(handle ^ 0x1000, "WAVE", 10, nullptr, &data, &size), QRSYSTEM_OK);

    // Unloaded, the module's resources are gone with it.
    host.Unload();
    EXPECT_NE(qrsystem_find_resource(handle, "WAVE", 10, nullptr, &data, &size), QRSYSTEM_OK);
}

}  // namespace
#endif
