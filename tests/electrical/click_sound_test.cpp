// Clicks of the sounding gauges through the substitute host: every click sends
// its key events whether or not sound works, each is heard in the recording at
// the moment of its click, and devices and buffers live exactly as long as the
// gauges that own them.
// The recorder, the device switch and the count of live devices belong to the
// portable audio library: under Windows DirectSound plays, the machine decides
// whether a device exists, and nothing records. There the Wine runs click
// every sounding gauge through the scenario suite, with and without a device.
#if !defined(_WIN32)
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

#include "host/core/panel_host.h"
#include "sound/platform/qraudio.h"
#include "tests/support/recorded_wave.h"

namespace {

using panelhost::EventList;

struct ClickCase {
    const char* gauge;
    int x, y;
    EventList events;
};

// One click on each sounding gauge, with the generators running (tokens 566
// and 576 at 1) so that the generator switches send their events too. Main
// switches come before excitation switches: excitation off disables them.
const std::vector<ClickCase>& Clicks() {
    static const std::vector<ClickCase> clicks = {
        {"Avionics_Switch", 17, 50, {{0x102F5, 0}}}, {"Battery_Switch", 50, 17, {{0x102C1, 0}}},
        {"Beacon_Lights_Switch", 17, 50, {{0x102BF, 0}}},
        {"Landing_Lights_Switch", 17, 50, {{0x100D7, 0}, {0x102C0, 0}}},
        {"Taxi_Lights_Switch", 17, 120, {{0x100D7, 0}, {0x102C0, 0}}},
        {"Navigation_Lights_Switch", 17, 50, {{0x1034B, 0}}}, {"Panel_Lights_Switch", 17, 50, {{0x100D6, 0}}},
        {"Strobe_Lights_Switch", 17, 50, {{0x10018, 0}}},
        {"Pitot_Heat_Switch", 17, 50, {{0x10142, 0}}},
        {"Prop_DeIce_Switch", 17, 50, {{0x10322, 0}}}, {"Wings_DeIce_Switch", 17, 50, {{0x10321, 0}}},
        {"Parking_Brake", 60, 60, {{0x100D8, 0}}},
        {"Left_Gen_Main_Switch", 17, 60, {{0x1033B, 0}}}, {"Right_Gen_Main_Switch", 17, 60, {{0x1033C, 0}}},
        {"Left_Gen_Excit_Switch", 17, 60, {{0x1033B, 0}}}, {"Right_Gen_Excit_Switch", 17, 60, {{0x1033C, 0}}},
        {"Aviac_Box", 20, 220, {{0x102FC, 0}}}, {"OMI", 95, 75, {}},
    };
    return clicks;
}

using Wav = RecordedWave;

// Sound above the noise floor in [from, to) seconds from the recording's start.
bool Heard(const Wav& wav, double from, double to) {
    if (wav.rate == 0) return false;
    const auto first = static_cast<std::size_t>(std::max(0.0, from) * wav.rate);
    const auto last = std::min(wav.samples.size(), static_cast<std::size_t>(to * wav.rate));
    for (std::size_t i = first; i < last; ++i) {
        if (std::abs(wav.samples[i]) > 200) return true;
    }
    return false;
}

std::string TempPath(const char* name) {
    return (::testing::TempDir() + "/") + name + std::to_string(::getpid()) + ".wav";
}

// Everything the module plays from its start to Stop(), read back from the
// recorder's file, which is then removed.
class Recording {
public:
    explicit Recording(const char* name) : path_(TempPath(name)) {
        started_ = qraudio_record_start(path_.c_str(), 22050) == QRAUDIO_OK;
    }
    bool Started() const { return started_; }
    Wav Stop() {
        Wav wav;
        if (qraudio_record_stop() == QRAUDIO_OK) wav = ReadRecordedWave(path_);
        std::remove(path_.c_str());
        if (wav.rate == 0) ADD_FAILURE() << "no recording came back from " << path_;
        return wav;
    }

private:
    std::string path_;
    bool started_{};
};

int LiveDevices() {
    int devices = 0, buffers = 0;
    qraudio_live_objects(&devices, &buffers);
    return devices;
}

int LiveBuffers() {
    int devices = 0, buffers = 0;
    qraudio_live_objects(&devices, &buffers);
    return buffers;
}

class ClickSound : public ::testing::Test {
protected:
    void Load(bool soundDevice) {
        qraudio_set_device_available(soundDevice ? 1 : 0);
        std::string error;
        ASSERT_TRUE(host.Load(QR_MODULE_PATH, &error)) << error;
        host.SetNumber(566, 1);
        host.SetNumber(576, 1);
    }
    void PlaceAll() {
        for (const ClickCase& c : Clicks()) ASSERT_TRUE(host.Place(c.gauge)) << c.gauge;
        host.Frame();
        host.ClearEvents();
    }
    // Records a frame and a click on the switch ALIAS; whether the click
    // sounded within 60 ms of it.
    bool ClickHeard(const char* recordingName, const char* alias) {
        Recording recording(recordingName);
        if (!recording.Started()) return false;
        const double start = host.Clock();
        host.Frame();
        const double click = host.Clock() - start;
        host.Click(alias, 17, 50);
        host.Frame(5);
        return Heard(recording.Stop(), click, click + 0.06);
    }
    void TearDown() override {
        host.Unload();
        qraudio_set_device_available(1);
    }
    panelhost::Host host;
};

TEST_F(ClickSound, EveryClickIsHeardWhenItHappens) {
    Load(true);
    PlaceAll();
    Recording recording("clicks");
    ASSERT_TRUE(recording.Started());
    const double start = host.Clock();
    std::vector<double> clickTimes;
    // Ten frames apart: longer than the longest click (the parking-brake
    // ratchet, under half a second).
    for (const ClickCase& c : Clicks()) {
        host.Frame(10);
        clickTimes.push_back(host.Clock() - start);
        EXPECT_TRUE(host.Click(c.gauge, c.x, c.y)) << c.gauge;
        EXPECT_EQ(host.TakeEvents(), c.events) << c.gauge;
    }
    host.Frame(10);
    const Wav wav = recording.Stop();
    ASSERT_EQ(wav.rate, 22050u);
    EXPECT_FALSE(Heard(wav, 0.0, clickTimes.front())) << "sound before the first click";
    for (std::size_t i = 0; i < clickTimes.size(); ++i) {
        const double t = clickTimes[i];
        EXPECT_FALSE(Heard(wav, t - 0.05, t)) << Clicks()[i].gauge << ": heard before its click";
        EXPECT_TRUE(Heard(wav, t, t + 0.06)) << Clicks()[i].gauge << ": click not heard";
    }
}

TEST_F(ClickSound, ParkingBrakeRatchetOutlastsSwitchClick) {
    Load(true);
    ASSERT_TRUE(host.Place("Avionics_Switch", "AV"));
    ASSERT_TRUE(host.Place("Parking_Brake", "PB"));
    Recording recording("ratchet");
    ASSERT_TRUE(recording.Started());
    const double start = host.Clock();
    host.Frame();
    const double click = host.Clock() - start;
    host.Click("AV", 17, 50);
    host.Frame(18);
    const double brake = host.Clock() - start;
    host.Click("PB", 60, 60);
    host.Frame(18);
    const Wav wav = recording.Stop();
    EXPECT_TRUE(Heard(wav, click, click + 0.06));
    EXPECT_FALSE(Heard(wav, click + 0.2, click + 0.9)) << "the switch click plays its own wave";
    EXPECT_TRUE(Heard(wav, brake + 0.2, brake + 0.5)) << "the brake plays the ratchet";
}

TEST_F(ClickSound, EveryClickSendsItsEventsWithoutSound) {
    Load(false);
    PlaceAll();
    EXPECT_EQ(LiveDevices(), 0);
    Recording recording("silent");
    ASSERT_TRUE(recording.Started());
    for (const ClickCase& c : Clicks()) {
        host.Frame();
        EXPECT_TRUE(host.Click(c.gauge, c.x, c.y)) << c.gauge;
        EXPECT_EQ(host.TakeEvents(), c.events) << c.gauge;
    }
    // The OMI test still runs without its click.
    host.Frame();
    EXPECT_EQ(host.Image("OMI", 2), 4);
    const Wav wav = recording.Stop();
    EXPECT_FALSE(Heard(wav, 0.0, 1e9));
}

// Areas that make no sound: a main switch whose excitation is off does
// nothing at all, and the engine box selectors step silently.
TEST_F(ClickSound, DeadMainSwitchAndSelectorsAreSilent) {
    Load(true);
    ASSERT_TRUE(host.Place("Left_Gen_Excit_Switch", "LGE"));
    ASSERT_TRUE(host.Place("Left_Gen_Main_Switch", "LGM"));
    ASSERT_TRUE(host.Place("Aviac_Box", "BOX"));
    host.Click("LGE", 17, 60);
    EXPECT_EQ(host.TakeEvents(), (EventList{{0x1033B, 0}}));
    host.Frame(20);

    Recording recording("silent_areas");
    ASSERT_TRUE(recording.Started());
    host.Frame();
    EXPECT_TRUE(host.Click("LGM", 17, 60));
    host.Frame(5);
    EXPECT_TRUE(host.Click("BOX", 90, 90));
    EXPECT_TRUE(host.Click("BOX", 90, 90));
    EXPECT_TRUE(host.Click("BOX", 90, 190));
    host.Frame(5);
    const Wav wav = recording.Stop();
    EXPECT_FALSE(Heard(wav, 0.0, 1e9));
    // Only the selector's step to 2 sent anything.
    EXPECT_EQ(host.TakeEvents(), (EventList{{0x103BE, 0}}));
    EXPECT_EQ(host.Image("LGM", 2), 0);
}

// The device coming back later changes nothing: the first failure silenced
// the module for good.
TEST_F(ClickSound, SoundStaysOffOnceFailed) {
    Load(false);
    ASSERT_TRUE(host.Place("Avionics_Switch", "A1"));
    qraudio_set_device_available(1);
    ASSERT_TRUE(host.Place("Avionics_Switch", "A2"));
    ASSERT_TRUE(host.Place("Parking_Brake", "PB"));
    EXPECT_EQ(LiveDevices(), 0);
    host.Click("A2", 17, 50);
    host.Click("PB", 60, 60);
    EXPECT_EQ(host.TakeEvents(), (EventList{{0x102F5, 0}, {0x100D8, 0}}));
}

TEST_F(ClickSound, DevicesLiveAsLongAsTheirGauges) {
    Load(true);
    // The fixed main switches load a click they never play.
    ASSERT_TRUE(host.Place("Main_Switch_Left", "MSL"));
    EXPECT_EQ(LiveDevices(), 1);
    EXPECT_EQ(LiveBuffers(), 1);
    ASSERT_TRUE(host.Place("Avionics_Switch", "AV"));
    ASSERT_TRUE(host.Place("Aviac_Box", "BOX"));
    EXPECT_EQ(LiveDevices(), 3);
    host.Kill("MSL");
    host.Kill("AV");
    host.Kill("BOX");
    EXPECT_EQ(LiveDevices(), 0);
    EXPECT_EQ(LiveBuffers(), 0);
    // Each install after a kill makes a fresh device and buffer.
    ASSERT_TRUE(host.Place("Avionics_Switch", "AV"));
    EXPECT_EQ(LiveDevices(), 1);
    EXPECT_EQ(LiveBuffers(), 1);
}

// A gauge placed twice shares its one device and click: killing one instance
// neither silences the other nor leaves anything behind after the last.
TEST_F(ClickSound, GaugePlacedTwiceKeepsItsClick) {
    Load(true);
    ASSERT_TRUE(host.Place("Avionics_Switch", "A1"));
    ASSERT_TRUE(host.Place("Avionics_Switch", "A2"));
    EXPECT_EQ(LiveDevices(), 1);
    host.Kill("A1");
    EXPECT_EQ(LiveDevices(), 1);

    EXPECT_TRUE(ClickHeard("twice", "A2"));

    host.Kill("A2");
    EXPECT_EQ(LiveDevices(), 0);
    EXPECT_EQ(LiveBuffers(), 0);

    // After the last kill, the next install makes a fresh device and click,
    // and a reinstall of one copy while the other stays keeps just one.
    ASSERT_TRUE(host.Place("Avionics_Switch", "A3"));
    ASSERT_TRUE(host.Place("Avionics_Switch", "A4"));
    EXPECT_EQ(LiveDevices(), 1);
    EXPECT_EQ(LiveBuffers(), 1);
    ASSERT_TRUE(host.Reinstall("A3"));
    EXPECT_EQ(LiveDevices(), 1);
    EXPECT_EQ(LiveBuffers(), 1);
    host.KillAll();
    EXPECT_EQ(LiveDevices(), 0);
    EXPECT_EQ(LiveBuffers(), 0);
}

// Install and kill count once per placed instance: a host that repeats a
// pre-install leaks nothing, and a stray pre-kill of one copy leaves the
// other copy its click.
TEST_F(ClickSound, InstallAndKillCountOncePerInstance) {
    Load(true);
    ASSERT_TRUE(host.Place("Battery_Switch", "BAT"));
    host.SendService(PANEL_SERVICE_PRE_INSTALL, host.ModuleHandle32());
    host.SendService(PANEL_SERVICE_PRE_INSTALL, host.ModuleHandle32());
    EXPECT_EQ(LiveDevices(), 1);
    EXPECT_EQ(LiveBuffers(), 1);
    host.Kill("BAT");
    EXPECT_EQ(LiveDevices(), 0);
    EXPECT_EQ(LiveBuffers(), 0);

    ASSERT_TRUE(host.Place("Avionics_Switch", "A1"));
    ASSERT_TRUE(host.Place("Avionics_Switch", "A2"));
    GAUGEHDR* first = host.Header("A1");
    first->gauge_callback(first, PANEL_SERVICE_PRE_KILL, 0);
    first->gauge_callback(first, PANEL_SERVICE_PRE_KILL, 0);
    EXPECT_EQ(LiveDevices(), 1) << "a stray kill of one copy silenced the other";

    EXPECT_TRUE(ClickHeard("stray_kill", "A2"));

    // The killed copy installed again, then both gone: nothing left.
    first->gauge_callback(first, PANEL_SERVICE_PRE_INSTALL, host.ModuleHandle32());
    host.KillAll();
    EXPECT_EQ(LiveDevices(), 0);
    EXPECT_EQ(LiveBuffers(), 0);
}

}  // namespace
#endif  // !_WIN32
