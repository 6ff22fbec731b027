// Every gauge of the table under hostile simulator values: each token it
// can read set to NaN, infinities, huge and tiny values, and to integers at
// the edges of 32 bits, with frames and every mouse event over its areas in
// between. Nothing may crash or trip a sanitizer (the sanitizer suite runs
// this with float-to-integer overflow checks), and once the values are sane
// again every element shows a finite value.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "tests/hardening/hostile_panel.h"

namespace {

// Every token the module reads lies below this.
constexpr SINT32 lastToken = 1200;

struct Hostile {
    const char* name;
    bool integer;
    double number;
    std::uint32_t bits;
};

constexpr double inf = std::numeric_limits<double>::infinity();

const Hostile hostileValues[] = {
    {"NaN", false, std::numeric_limits<double>::quiet_NaN(), 0},
    {"+inf", false, inf, 0},
    {"-inf", false, -inf, 0},
    {"1e308", false, 1e308, 0},
    {"-1e308", false, -1e308, 0},
    {"-0", false, -0.0, 0},
    {"smallest denormal", false, std::numeric_limits<double>::denorm_min(), 0},
    {"integer 0", true, 0, 0},
    {"integer 0xFFFFFFFF", true, 0, 0xFFFFFFFFu},
    {"integer 0x80000000", true, 0, 0x80000000u},
    {"integer 0x99999999", true, 0, 0x99999999u},
};

void SetEveryToken(panelhost::Host& host, const Hostile& value) {
    for (SINT32 token = 1; token <= lastToken; ++token) {
        if (value.integer) {
            host.SetInteger(token, static_cast<std::int32_t>(value.bits));
        } else {
            host.SetNumber(token, value.number);
        }
    }
}

// What an element shows, in every field its kind uses; the others stay 0.
bool ShowsFiniteValues(const panelhost::ElementState& e) {
    return std::isfinite(e.value) && std::isfinite(e.x) && std::isfinite(e.y) &&
           std::isfinite(e.rotationValue) && std::isfinite(e.angle) && std::isfinite(e.shiftX) &&
           std::isfinite(e.shiftY) && std::isfinite(e.rotation);
}

TEST(HostileValues, EveryGaugeSurvivesAndRecovers) {
    panelhost::Host table;
    std::string error;
    ASSERT_TRUE(table.Load(QR_MODULE_PATH, &error)) << error;
    const std::vector<panelhost::GaugeEntry> gauges = hardening::DistinctGauges(table);
    table.Unload();
    ASSERT_FALSE(gauges.empty());

    for (const panelhost::GaugeEntry& gauge : gauges) {
        SCOPED_TRACE(gauge.name);
        panelhost::Host host;
        ASSERT_TRUE(host.Load(QR_MODULE_PATH, &error)) << error;
        // Plain, and with parameters that engine gauges, toggles, the
        // registration plate and the radio altimeter all read.
        ASSERT_TRUE(host.Place(gauge.name, "plain"));
        ASSERT_TRUE(host.Place(gauge.name, "params", "4 s1 o50 c75 t0 p1 b120 hTOGGLE_GPS_WINDOW fArial r255"));
        host.Connect();
        host.Frame(2);
        for (const Hostile& value : hostileValues) {
            SCOPED_TRACE(value.name);
            SetEveryToken(host, value);
            host.Frame(3);
            for (const char* alias : {"plain", "params"}) hardening::Handle(host, alias);
            host.Frame(2);
            host.ClearEvents();
        }

        SetEveryToken(host, {"sane", false, 0.0, 0});
        host.Frame(60);
        for (const char* alias : {"plain", "params"}) {
            for (int n = 1; n <= host.ElementCount(alias); ++n) {
                EXPECT_TRUE(ShowsFiniteValues(host.Element(alias, n)))
                    << alias << " element " << n << " shows " << host.Value(alias, n);
            }
        }
    }
}

}  // namespace
