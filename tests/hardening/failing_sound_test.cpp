// Sound failing at every step: the portable audio library fails its n-th
// call (device, window, buffer, write, position, play, status, volume), for
// every n over a whole panel's install and two rounds of clicks. The module
// must go silent at once (not one call more), leak nothing, and every gauge
// must send and show exactly what it does with working sound. Natively only:
// the switch belongs to the portable audio library.
#if !defined(_WIN32)
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "sound/platform/qraudio.h"
#include "tests/hardening/hostile_panel.h"

namespace {

struct Pass {
    bool loaded{};
    std::uint64_t calls{};           // audio calls the module made
    panelhost::EventList events;     // sent by the second round of clicks
    std::vector<double> values;      // every element after it
};

// Left click and release at the middle of every area of every placed gauge.
void ClickEverything(panelhost::Host& host) {
    for (const std::string& alias : host.Aliases()) {
        for (const hardening::Area& area : hardening::ClickableAreas(host.Header(alias)->mouse_rect)) {
            const int x = static_cast<int>(area.x + area.w / 2);
            const int y = static_cast<int>(area.y + area.h / 2);
            host.Click(alias, x, y);
            host.Release(alias, x, y);
        }
    }
}

// A fresh module: the whole table placed (callouts on), connected, run and
// clicked through twice.
Pass RunPanel() {
    Pass pass;
    panelhost::Host host;
    if (!host.Load(QR_MODULE_PATH)) return pass;
    pass.loaded = true;
    const std::uint64_t start = qraudio_calls();
    for (const panelhost::GaugeEntry& entry : host.Gauges()) {
        host.Place(entry.name, hardening::NumberedAlias(entry.number), "s1");
    }
    host.Connect();
    host.Frame(3);
    ClickEverything(host);
    host.Frame(3);
    host.ClearEvents();
    ClickEverything(host);
    host.Frame(3);
    pass.events = host.TakeEvents();
    for (const std::string& alias : host.Aliases()) {
        for (int n = 1; n <= host.ElementCount(alias); ++n) pass.values.push_back(host.Value(alias, n));
    }
    pass.calls = qraudio_calls() - start;
    host.KillAll();
    return pass;
}

bool SameValues(const std::vector<double>& a, const std::vector<double>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (!(a[i] == b[i] || (std::isnan(a[i]) && std::isnan(b[i])))) return false;
    }
    return true;
}

TEST(FailingSound, EachCallFailingSilencesTheModuleAndNothingElse) {
    qraudio_set_device_available(1);
    qraudio_fail_call(0);
    const Pass reference = RunPanel();
    ASSERT_TRUE(reference.loaded);
    ASSERT_GT(reference.calls, 50u) << "the panel hardly used its sound";
    ASSERT_FALSE(reference.events.empty());

    for (std::uint64_t n = 1; n <= reference.calls; ++n) {
        SCOPED_TRACE("failing call " + std::to_string(n));
        qraudio_fail_call(n);
        const Pass pass = RunPanel();
        ASSERT_TRUE(pass.loaded);
        // The failed call was the module's last.
        EXPECT_EQ(pass.calls, n);
        EXPECT_EQ(pass.events, reference.events);
        EXPECT_TRUE(SameValues(pass.values, reference.values));
        int devices = -1, buffers = -1;
        qraudio_live_objects(&devices, &buffers);
        ASSERT_EQ(devices, 0);
        ASSERT_EQ(buffers, 0);
    }
    qraudio_fail_call(0);
}

}  // namespace
#endif  // !_WIN32
