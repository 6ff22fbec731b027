// Install and kill of the whole gauge table, over and over, with a sound
// device and without: every device and buffer a gauge makes at install is
// given back by its kill. Under the sanitizer suite LeakSanitizer also sees
// that nothing else stays behind. The device switch and the count of live
// objects belong to the portable audio library, so this runs natively only.
#if !defined(_WIN32)
#include <gtest/gtest.h>

#include <string>

#include "sound/platform/qraudio.h"
#include "tests/hardening/hostile_panel.h"

namespace {

constexpr int cycles = 1000;

struct Live {
    int devices{}, buffers{};
};

Live LiveObjects() {
    Live live;
    qraudio_live_objects(&live.devices, &live.buffers);
    return live;
}

void PlaceTable(panelhost::Host& host) {
    // Every entry of the table, Flaps_Switch's two included; the radio
    // altimeter with its callouts on.
    for (const panelhost::GaugeEntry& entry : host.Gauges()) {
        ASSERT_TRUE(host.Place(entry.name, hardening::NumberedAlias(entry.number), "s1")) << entry.name;
    }
}

class InstallKillCycles : public ::testing::TestWithParam<bool> {
protected:
    void TearDown() override { qraudio_set_device_available(1); }
};

TEST_P(InstallKillCycles, EveryKillGivesBackEveryDeviceAndBuffer) {
    const bool device = GetParam();
    qraudio_set_device_available(device ? 1 : 0);
    panelhost::Host host;
    std::string error;
    ASSERT_TRUE(host.Load(QR_MODULE_PATH, &error)) << error;
    for (int cycle = 0; cycle < cycles; ++cycle) {
        PlaceTable(host);
        if (cycle == 0) {
            const Live placed = LiveObjects();
            EXPECT_EQ(placed.devices > 0, device);
            EXPECT_EQ(placed.buffers > placed.devices, device) << "the radio altimeter loads its callouts";
        }
        if (cycle % 100 == 0) {
            host.Connect();
            host.Frame(2);
        }
        host.KillAll();
        const Live left = LiveObjects();
        ASSERT_EQ(left.devices, 0) << "cycle " << cycle;
        ASSERT_EQ(left.buffers, 0) << "cycle " << cycle;
    }
}

// A host that repeats pre-install, or sends pre-kill more often than it
// installed, changes nothing: every sounding gauge of the table keeps one
// device and its buffers, and the kills give them all back.
TEST(RepeatedServices, EverySoundingGaugeCountsItsInstallOnce) {
    qraudio_set_device_available(1);
    panelhost::Host host;
    std::string error;
    ASSERT_TRUE(host.Load(QR_MODULE_PATH, &error)) << error;
    PlaceTable(host);
    const Live placed = LiveObjects();
    ASSERT_GT(placed.devices, 0);
    host.SendService(PANEL_SERVICE_PRE_INSTALL, host.ModuleHandle32());
    host.SendService(PANEL_SERVICE_PRE_INSTALL, host.ModuleHandle32());
    EXPECT_EQ(LiveObjects().devices, placed.devices);
    EXPECT_EQ(LiveObjects().buffers, placed.buffers);

    // Second copies share the sound of the first; stray kills of the first
    // copies leave it to them.
    for (const panelhost::GaugeEntry& entry : host.Gauges()) {
        ASSERT_TRUE(host.Place(entry.name, hardening::NumberedAlias(entry.number) + "b", "s1"));
    }
    EXPECT_EQ(LiveObjects().devices, placed.devices);
    for (const panelhost::GaugeEntry& entry : host.Gauges()) {
        GAUGEHDR* first = host.Header(hardening::NumberedAlias(entry.number));
        if (!first->gauge_callback) continue;
        first->gauge_callback(first, PANEL_SERVICE_PRE_KILL, 0);
        first->gauge_callback(first, PANEL_SERVICE_PRE_KILL, 0);
    }
    EXPECT_EQ(LiveObjects().devices, placed.devices);
    EXPECT_EQ(LiveObjects().buffers, placed.buffers);
    host.KillAll();
    EXPECT_EQ(LiveObjects().devices, 0);
    EXPECT_EQ(LiveObjects().buffers, 0);
}

INSTANTIATE_TEST_SUITE_P(SoundDevice, InstallKillCycles, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "WithDevice" : "WithoutDevice";
                         });

}  // namespace
#endif  // !_WIN32
