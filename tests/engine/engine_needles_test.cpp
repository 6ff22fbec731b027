// Every needle that shows one engine (or one tank) follows that engine's own
// token: engine 2's needle moves with engine 2's token and stays put when only
// engine 1's changes, and the other way round. Twin dials are checked both
// ways; single-engine dials are placed for engine 2 beside one for engine 1.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "host/core/panel_host.h"
#include "module/tokens.h"

namespace {

using panelhost::Host;

// One engine's needle: where it is drawn and the token that drives it (for a
// needle with a routine, the token the routine reads).
struct EngineNeedle {
    const char* alias;
    int element;
    SimToken token;
};

struct EngineDial {
    const char* gauge;
    EngineNeedle engine1;
    EngineNeedle engine2;
    double low;   // two readings inside the scale
    double high;
    std::optional<std::string> engine2Params;  // single-engine dials: placed twice
};

// The module names only engine 1's manifold pressure; engine 2's lies one
// engine block (39) further on.
constexpr SimToken engine2ManifoldPressure = static_cast<SimToken>(430);

// Twin dials draw engine 2's needle (element 2) before engine 1's (element 3).
void PrintTo(const EngineDial& dial, std::ostream* out) { *out << dial.gauge; }

const std::vector<EngineDial> engineDials = {
    {"Oil_Pressure", {"D", 3, tokenEngine1OilPressure}, {"D", 2, tokenEngine2OilPressure},
     8351.64, 16703.28, std::nullopt},
    {"Oil_Temperature", {"D", 3, tokenEngine1OilTemperature}, {"D", 2, tokenEngine2OilTemperature},
     563.67, 653.67, std::nullopt},
    {"Carburetor_Temperature", {"D", 3, tokenEngine1Temperature},
     {"D", 2, tokenEngine2Temperature}, 491.67, 671.67, std::nullopt},
    {"Fuel_Pressure", {"D", 3, tokenEngine1FuelPressure}, {"D", 2, tokenEngine2FuelPressure},
     208.791, 939.5595, std::nullopt},
    {"Fuel_Quantity", {"D", 3, tokenLeftTankLevel}, {"D", 2, tokenRightTankLevel}, 2097152.0,
     6291456.0, std::nullopt},
    {"Tachometer", {"D", 2, tokenEngine1Rpm}, {"E2", 2, tokenEngine2Rpm}, 1200, 2600, "2"},
    {"Manifold_Pressure", {"D", 2, tokenEngine1ManifoldPressure}, {"E2", 2, engine2ManifoldPressure},
     1670.328, 2923.074, "2"},
};

class EngineNeedles : public ::testing::TestWithParam<EngineDial> {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(host.Load(QR_MODULE_PATH, &error)) << error;
        // The fuel-quantity needles scale the tank levels by the capacities
        // read at installation.
        host.SetNumber(tokenLeftTankCapacity, 150);
        host.SetNumber(tokenRightTankCapacity, 150);
        const EngineDial& dial = GetParam();
        ASSERT_TRUE(host.Place(dial.gauge, "D", std::nullopt, &error)) << error;
        if (dial.engine2Params) {
            ASSERT_TRUE(host.Place(dial.gauge, "E2", dial.engine2Params, &error)) << error;
        }
    }

    double Shown(const EngineNeedle& needle) { return host.Angle(needle.alias, needle.element); }

    Host host;
};

TEST_P(EngineNeedles, EachNeedleFollowsItsOwnEngineOnly) {
    const EngineDial& dial = GetParam();
    host.SetNumber(dial.engine1.token, dial.low);
    host.SetNumber(dial.engine2.token, dial.low);
    host.Frame();
    const double engine1Low = Shown(dial.engine1);
    const double engine2Low = Shown(dial.engine2);

    // Engine 1 alone changes: its needle moves, engine 2's stays.
    host.SetNumber(dial.engine1.token, dial.high);
    host.Frame();
    const double engine1High = Shown(dial.engine1);
    EXPECT_GT(std::abs(engine1High - engine1Low), 1.0) << "engine 1's needle did not follow its token";
    EXPECT_DOUBLE_EQ(Shown(dial.engine2), engine2Low) << "engine 2's needle followed engine 1";

    // Engine 2 changes: its needle moves, engine 1's stays.
    host.SetNumber(dial.engine2.token, dial.high);
    host.Frame();
    EXPECT_GT(std::abs(Shown(dial.engine2) - engine2Low), 1.0) << "engine 2's needle did not follow its token";
    EXPECT_DOUBLE_EQ(Shown(dial.engine1), engine1High) << "engine 1's needle followed engine 2";
}

INSTANTIATE_TEST_SUITE_P(EveryEngineDial, EngineNeedles, ::testing::ValuesIn(engineDials),
                         [](const ::testing::TestParamInfo<EngineDial>& info) {
                             return std::string(info.param.gauge);
                         });

}  // namespace
