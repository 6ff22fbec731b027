// The module allocates nothing on the heap while a panel runs: its gauge,
// element and mouse routines, and the sound they play on clicks, live on
// what was made at install. Every gauge of the module's table is placed
// through the host (plain and for engine 2), connected, and driven through
// many frames with token values from ordinary to NaN, infinite and huge, and
// through clicks, holds, drags and releases on every one of its mouse areas.
// Only heap traffic while module code runs is counted (heap_counter.h).
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

#include "host/core/host_sound.h"
#include "host/core/panel_host.h"
#include "sound/platform/qraudio.h"
#include "sound/sound.h"
#include "tests/allocation/heap_counter.h"
#include "tests/host/test_support.h"

namespace {

using panelhost::Button;
using panelhost::Host;

// --- Token values -----------------------------------------------------------

constexpr SINT32 lastToken = 1200;  // beyond every token the module reads

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double nan = std::numeric_limits<double>::quiet_NaN();

const double numbers[] = {
    0.0, 1.0, -1.0, 0.5, 2.0, 3.0, 4.0, 7.25, -7.25, 100.0, -100.0, 359.9, 360.0, -720.0,
    1e4, -3e4, 1e6, 2147483647.0, 2147483648.0, -2147483649.0, 4294967296.0, 1e18, -1e18,
    1e300, -1e300, std::numeric_limits<double>::max(), -std::numeric_limits<double>::max(),
    std::numeric_limits<double>::min(), std::numeric_limits<double>::denorm_min(), inf, -inf,
    nan, -nan, std::numeric_limits<double>::signaling_NaN(),
};

const std::int32_t integers[] = {
    0, 1, -1, 2, 3, 4, 5, 7, 8, 15, 16, 255, 256, 0x7FFF, 0x8000, 0xFFFF, 0x10000,
    std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::min(),
    0x55555555, static_cast<std::int32_t>(0xAAAAAAAAu),
};

constexpr double framePeriods[] = {1.0 / 18.0, 0.5, 3600.0, 1e-6};

// Round r of token values: all numbers, all integers or both mixed, picked
// differently for each token and round; every tenth round all tokens at 1
// (everything powered and switched on), five rounds later all at 0.
void SetTokens(Host& host, int round) {
    for (SINT32 token = 1; token <= lastToken; ++token) {
        if (round % 10 == 4) {
            host.SetNumber(token, 1.0);
            continue;
        }
        if (round % 10 == 9) {
            host.SetNumber(token, 0.0);
            continue;
        }
        const auto pick = static_cast<std::size_t>(token) * 31 + static_cast<std::size_t>(round) * 7;
        const int mode = (round / 3) % 3;
        if (mode == 1 || (mode == 2 && token % 2 != 0)) {
            host.SetInteger(token, integers[pick % std::size(integers)]);
        } else {
            host.SetNumber(token, numbers[pick % std::size(numbers)]);
        }
    }
    host.SetFramePeriod(framePeriods[static_cast<std::size_t>(round) % std::size(framePeriods)]);
}

// --- Mouse areas --------------------------------------------------------------

// A clickable area in gauge pixels.
struct Area {
    int index{};  // position in the gauge's mouse list
    int x{}, y{}, w{}, h{};
};

// The clickable areas of a placed gauge, with group boxes resolved as the
// host resolves them.
std::vector<Area> MouseAreas(const GAUGEHDR* gauge) {
    std::vector<Area> areas;
    if (!gauge || !gauge->mouse_rect) return areas;
    struct Origin {
        int x{}, y{};
    };
    std::vector<Origin> groups{Origin{}};
    const MOUSERECT* list = gauge->mouse_rect;
    for (int i = 0; i < 1024 && list[i].rect_type != MOUSE_RECT_EOL; ++i) {
        const MOUSERECT& rect = list[i];
        const Origin group = groups.back();
        switch (rect.rect_type) {
        case MOUSE_RECT_PARENT:
            groups.push_back({group.x + rect.relative_box_pos.x, group.y + rect.relative_box_pos.y});
            break;
        case MOUSE_RECT_END_PARENT:
            if (groups.size() > 1) groups.pop_back();
            break;
        case MOUSE_RECT_CHILD:
            areas.push_back({i, group.x + rect.relative_box_pos.x, group.y + rect.relative_box_pos.y,
                             rect.relative_box_size.x, rect.relative_box_size.y});
            break;
        default:
            break;
        }
    }
    return areas;
}

// Centre and two opposite corners: areas partly covered by earlier ones are
// still reached.
std::vector<std::pair<int, int>> PointsOf(const Area& area) {
    std::vector<std::pair<int, int>> points{{area.x + area.w / 2, area.y + area.h / 2}};
    if (area.w > 0 && area.h > 0) {
        points.push_back({area.x, area.y});
        points.push_back({area.x + area.w - 1, area.y + area.h - 1});
    }
    return points;
}

constexpr int far = 1 << 30;

// Everything a pilot's hand does to an area: clicks of both buttons, a held
// button, drags within, far outside and back, releases.
void WorkArea(Host& host, const std::string& alias, const Area& area) {
    for (const auto& [x, y] : PointsOf(area)) {
        host.Click(alias, x, y);
        host.Drag(alias, x + 5, y - 5);
        host.Drag(alias, -far, far);
        host.Drag(alias, far, -far);
        host.Drag(alias, x, y);
        host.Release(alias, x, y);
        host.Hold(alias, x, y, 8);
        host.Drag(alias, x - 3, y + 3);
        host.Release(alias, x - 3, y + 3);
        host.Click(alias, x, y, Button::Right);
        host.Release(alias, x, y);
        host.Hold(alias, x, y, 3, Button::Right);
        host.Release(alias, -far, -far);
    }
}

// --- The run ------------------------------------------------------------------

// What was counted, phase by phase: a phase that saw heap traffic is named.
struct Tally {
    long allocations{};
    long releases{};
    long moduleEntries{};
    std::string busyPhases;  // the first 20
    int busyCount{};

    void Add(const heapcount::Counts& counts, const std::string& phase) {
        allocations += counts.allocations;
        releases += counts.releases;
        moduleEntries += counts.moduleEntries;
        if ((counts.allocations || counts.releases) && ++busyCount <= 20) {
            busyPhases += "  " + phase + ": " + std::to_string(counts.allocations) +
                          " allocations, " + std::to_string(counts.releases) + " releases\n";
        }
    }
};

template <typename Action>
void Measure(Tally& tally, const std::string& phase, Action action) {
    heapcount::Start();
    action();
    tally.Add(heapcount::Stop(), phase);
}

// Frames over the token rounds (each drawn, and now and then the panel
// window closed and opened again), then every area of every placed gauge worked
// with a frame after each, then more frames.
Tally Workout(Host& host, int rounds) {
    Tally tally;
    for (int round = 0; round < rounds; ++round) {
        SetTokens(host, round);
        Measure(tally, "frame " + std::to_string(round), [&] {
            host.Frame();
            host.SendService(PANEL_SERVICE_PRE_DRAW);
            host.SendService(PANEL_SERVICE_POST_DRAW);
            if (round % 10 == 5) {
                // The pilot closes the panel window and opens it again.
                host.SendService(PANEL_SERVICE_PANEL_CLOSE);
                host.SendService(PANEL_SERVICE_DISCONNECT);
                host.SendService(PANEL_SERVICE_PANEL_OPEN);
                host.Connect();
            }
        });
        host.ClearEvents();
    }
    int round = rounds;
    for (const std::string& alias : host.Aliases()) {
        for (const Area& area : MouseAreas(host.Header(alias))) {
            SetTokens(host, round);
            const std::string phase = alias + " area " + std::to_string(area.index);
            Measure(tally, phase, [&] { WorkArea(host, alias, area); });
            Measure(tally, "frame after " + phase, [&] { host.Frame(); });
            host.ClearEvents();
            ++round;
        }
    }
    for (int last = 0; last < 10; ++last, ++round) {
        SetTokens(host, round);
        Measure(tally, "frame " + std::to_string(round), [&] { host.Frame(); });
        host.ClearEvents();
    }
    return tally;
}

// Plain, and as engine 2's (gauges without parameters ignore them).
void PlaceGauge(Host& host, const panelhost::GaugeEntry& entry) {
    std::string alias = "g";
    alias += std::to_string(entry.number);
    ASSERT_TRUE(host.Place(entry.name, alias)) << entry.name;
    ASSERT_TRUE(host.Place(entry.name, alias + ".engine2", "2")) << entry.name;
}

class ModuleHeap : public ::testing::Test {
protected:
    Host host;

    void SetUp() override {
        panelhost::HostSoundControlled();  // the host's main window for sound devices
        panelhost::SetModuleCodeHook(heapcount::ModuleCodeRunning);
    }
    void TearDown() override {
        host.Unload();
        panelhost::SetModuleCodeHook(nullptr);
        qraudio_set_device_available(1);
    }
    void AttachModule(bool soundDevice) {
        // The linked module copy lives as long as the program: a test without
        // a sound device silences it for good, so each test starts it anew.
        SoundEnabled = 1;
        qraudio_set_device_available(soundDevice ? 1 : 0);
        ASSERT_TRUE(host.Attach(&ImportTable, &Linkage));
        host.SetReactions(true);
    }
    void PlaceEveryGauge() {
        for (const panelhost::GaugeEntry& entry : host.Gauges()) PlaceGauge(host, entry);
        host.Connect();
        host.ClearEvents();
    }
};

std::string Report(const Tally& tally) {
    return "module code made " + std::to_string(tally.allocations) + " heap allocations and " +
           std::to_string(tally.releases) + " releases:\n" + tally.busyPhases;
}

TEST_F(ModuleHeap, FullPanelRunsWithoutHeap) {
    AttachModule(true);
    PlaceEveryGauge();
    int devices = 0, buffers = 0;
    qraudio_live_objects(&devices, &buffers);
    ASSERT_GT(buffers, 0) << "no sounding gauge got its sound: clicks would play nothing";

    const Tally tally = Workout(host, 60);
    EXPECT_GT(tally.moduleEntries, 1000) << "module routines were hardly called";
    EXPECT_EQ(SoundEnabled, 1) << "sound went off: later clicks played nothing";
    EXPECT_EQ(tally.allocations, 0) << Report(tally);
    EXPECT_EQ(tally.releases, 0) << Report(tally);
}

TEST_F(ModuleHeap, FullPanelWithoutSoundDeviceRunsWithoutHeap) {
    AttachModule(false);
    PlaceEveryGauge();
    const Tally tally = Workout(host, 20);
    EXPECT_EQ(tally.allocations, 0) << Report(tally);
    EXPECT_EQ(tally.releases, 0) << Report(tally);
}

// Recording keeps a list of every sound played; it is made room for when the
// recording starts, so that clicks while recording stay off the heap too.
TEST_F(ModuleHeap, ClicksWhileRecordingRunWithoutHeap) {
    AttachModule(true);
    PlaceEveryGauge();
    const std::string path =
        ::testing::TempDir() + "/allocation_" + std::to_string(::getpid()) + ".wav";
    ASSERT_EQ(qraudio_record_start(path.c_str(), 8000), QRAUDIO_OK);
    Tally tally;
    int round = 0;
    for (const std::string& alias : host.Aliases()) {
        for (const Area& area : MouseAreas(host.Header(alias))) {
            SetTokens(host, round++);
            const auto [x, y] = PointsOf(area).front();
            Measure(tally, alias + " area " + std::to_string(area.index), [&] {
                host.Click(alias, x, y);
                host.Release(alias, x, y);
            });
            host.Frame();
            host.ClearEvents();
        }
    }
    EXPECT_EQ(SoundEnabled, 1);
    EXPECT_EQ(qraudio_record_stop(), QRAUDIO_OK);
    std::remove(path.c_str());
    EXPECT_EQ(tally.allocations, 0) << Report(tally);
}

// --- One gauge at a time: names the gauge that allocates ------------------------

struct GaugeCase {
    int number{};
    std::string name;
};

// The gauge table of the linked module copy.
std::vector<GaugeCase> GaugeTable() {
    std::vector<GaugeCase> cases;
    // The list is longer than its declaration says: walk it as the host does.
    GAUGEHDR* const* list = Linkage.gauge_header_ptr;
    for (int i = 0; i < 4096 && list[i]; ++i) {
        const GAUGEHDR* header = list[i];
        cases.push_back({i + 1, header->gauge_name ? header->gauge_name : ""});
    }
    return cases;
}

class GaugeHeap : public ModuleHeap, public ::testing::WithParamInterface<GaugeCase> {};

TEST_P(GaugeHeap, RunsWithoutHeap) {
    AttachModule(true);
    const GaugeCase& gauge = GetParam();
    PlaceGauge(host, {.number = gauge.number, .name = gauge.name});
    host.Connect();
    host.ClearEvents();
    const Tally tally = Workout(host, 40);
    EXPECT_EQ(tally.allocations, 0) << gauge.name << ": " << Report(tally);
    EXPECT_EQ(tally.releases, 0) << gauge.name << ": " << Report(tally);
}

INSTANTIATE_TEST_SUITE_P(EveryGauge, GaugeHeap, ::testing::ValuesIn(GaugeTable()),
                         [](const ::testing::TestParamInfo<GaugeCase>& info) {
                             std::string name = std::to_string(info.param.number) + "_";
                             for (char c : info.param.name) {
                                 name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             }
                             return name;
                         });

}  // namespace
