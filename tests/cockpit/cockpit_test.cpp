// Radio altimeter, timer, toggles and registration plate: the needle
// arithmetic of the decision-height knob, the texts the host shows as
// tooltips, parameter numbers, and the callouts as a recording hears them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "gauges/panel/toggles.h"
#include "gauges/radalt/radio_altimeter.h"
#include "host/core/host_sound.h"
#include "host/core/panel_host.h"
#include "module/gauge_builders.h"
#include "module/parameters.h"
#include "tests/support/recorded_wave.h"

namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

// --- TableAngle -------------------------------------------------------------

NONLINEARITY Row(double value, double degrees) { return NONLINEARITY{{0, 0}, value, degrees}; }

TEST(TableAngle, InterpolatesInsideAndExtendsTheEndSegments) {
    NONLINEARITY table[] = {Row(0, 90), Row(100, 50), Row(250, 60)};
    EXPECT_DOUBLE_EQ(TableAngle(table, 3, 50), 70);
    EXPECT_DOUBLE_EQ(TableAngle(table, 3, 100), 50) << "a row's own value";
    EXPECT_DOUBLE_EQ(TableAngle(table, 3, 175), 55);
    EXPECT_DOUBLE_EQ(TableAngle(table, 3, -10), 94) << "before the first row: the first segment";
    EXPECT_DOUBLE_EQ(TableAngle(table, 3, 400), 70) << "past the last row: the last segment";
    EXPECT_DOUBLE_EQ(TableAngle(table, 3, 0), 90);
    EXPECT_DOUBLE_EQ(TableAngle(table, 3, 250), 60);
}

TEST(TableAngle, DescendingTablesAndRepeatedEndRows) {
    NONLINEARITY descending[] = {Row(30, 0), Row(0, 180)};
    EXPECT_DOUBLE_EQ(TableAngle(descending, 2, 10), 120);
    EXPECT_DOUBLE_EQ(TableAngle(descending, 2, 60), -180);
    // Doubled end rows are stops: the end segment has no slope.
    NONLINEARITY stops[] = {Row(-1, 89.5), Row(0, 89.5), Row(1000, 49.8), Row(2500, 60.7), Row(100000, 60.7)};
    EXPECT_DOUBLE_EQ(TableAngle(stops, 5, 500), 69.65);
    EXPECT_DOUBLE_EQ(TableAngle(stops, 5, -50), 89.5);
    EXPECT_DOUBLE_EQ(TableAngle(stops, 5, 200000), 60.7);
}

TEST(TableAngle, OddInputGivesZero) {
    NONLINEARITY table[] = {Row(0, 90), Row(100, 50)};
    EXPECT_EQ(TableAngle(table, 2, nan), 0);
    EXPECT_EQ(TableAngle(table, 2, std::numeric_limits<double>::infinity()), 0);
    EXPECT_EQ(TableAngle(table, 1, 50), 0);
    EXPECT_EQ(TableAngle(nullptr, 2, 50), 0);
}

// --- Parameter numbers and names --------------------------------------------------

TEST(ParameterNumbers, ReadAsTextToIntegerAndHeldAtTheEnds) {
    EXPECT_EQ(ParameterInteger("  -42x"), -42);
    EXPECT_EQ(ParameterInteger("+7 o5"), 7);
    EXPECT_EQ(ParameterInteger("X1"), 0);
    EXPECT_EQ(ParameterInteger(""), 0);
    EXPECT_EQ(ParameterInteger(nullptr), 0);
    EXPECT_EQ(ParameterInteger("2147483647"), INT32_MAX);
    EXPECT_EQ(ParameterInteger("2147483648"), INT32_MAX);
    EXPECT_EQ(ParameterInteger("-2147483648"), INT32_MIN);
    EXPECT_EQ(ParameterInteger("-99999999999999999999999"), INT32_MIN);
    EXPECT_EQ(ParameterInteger("4294967297"), INT32_MAX) << "never wraps round to 1";
}

TEST(WindowNames, PrefixesInOrderElseTheNumber) {
    EXPECT_EQ(WindowId("RADIO_STACK_PANEL"), 50);
    EXPECT_EQ(WindowId("ANNUNCIATOR2_PANEL"), 150);
    EXPECT_EQ(WindowId("IFR_MAIN_PANEL c5"), 175);
    EXPECT_EQ(WindowId("MAIN_PANELS"), 0);
    EXPECT_EQ(WindowId("main_panel"), 0) << "names are case-sensitive: not a number either";
    EXPECT_EQ(WindowId(" 250"), 250);
    EXPECT_EQ(WindowId("-3"), -3);
    EXPECT_EQ(WindowId(""), -1);
    EXPECT_EQ(WindowId(nullptr), -1);
    EXPECT_EQ(HelpIdByName("TOGGLE_FUEL_WINDOW"), 0xAB8Au);
    EXPECT_EQ(HelpIdByName("TOGGLE_COLLECTIVE_WINDOWS"), 0xAB8Bu);
    EXPECT_EQ(HelpIdByName("40960"), 40960u);
    EXPECT_EQ(HelpIdByName("40959"), 0u);
    EXPECT_EQ(HelpIdByName("-43000"), 0u);
    EXPECT_EQ(HelpIdByName(""), 0u);
}

// --- Tooltip texts -------------------------------------------------------------

class CockpitGauges : public ::testing::Test {
protected:
    panelhost::Host host;
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(host.Load(QR_MODULE_PATH, &error)) << error;
    }

    std::vector<std::string> Tooltips(const std::string& gauge) {
        std::vector<std::string> texts;
        const GAUGEHDR* header = host.FindGauge(gauge);
        if (!header || !header->mouse_rect) return texts;
        for (const MOUSERECT* rect = header->mouse_rect; rect->rect_type != MOUSE_RECT_EOL; ++rect) {
            if (const char* text = TooltipText(*rect)) texts.emplace_back(text);
        }
        return texts;
    }
};

TEST_F(CockpitGauges, TooltipTextsInTheModulesWindowsCodePage) {
    EXPECT_EQ(Tooltips("Breguet_Timer"),
              (std::vector<std::string>{"Br\xE9guet timer", "Timer reset button", "Timer start/stop button",
                                        "Turns minute ring clockwise", "Turns minute ring counterclockwise"}));
    EXPECT_EQ(Tooltips("Registration"), std::vector<std::string>{"Registration number"});
    EXPECT_EQ(Tooltips("Radio_Altimeter_Switch"), std::vector<std::string>{"Radio-altimeter switch"});
    EXPECT_EQ(Tooltips("Radio_Altimeter_DH_Light"),
              std::vector<std::string>{"Radio-altimeter decision height light"});
    EXPECT_EQ(Tooltips("Starter_Toggle"), std::vector<std::string>{"Display/Hide starter subpanel"});
    EXPECT_EQ(Tooltips("Bombardier_View_Toggle"),
              std::vector<std::string>{"Switch between Normal and Bombardier view"});
    EXPECT_TRUE(Tooltips("Radios_Toggle").empty()) << "the host's own tooltip, by help id";
}

// --- Callouts in a recording ------------------------------------------------------

TEST_F(CockpitGauges, CalloutsAreHeardWhereTheHeightsArePassed) {
    if (!panelhost::HostSoundControlled()) GTEST_SKIP() << "the machine's own sound device plays";
    const std::string path = ::testing::TempDir() + "callouts_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + ".wav";
    ASSERT_TRUE(host.Place("Radio_Altimeter_Switch", "Switch"));
    ASSERT_TRUE(host.Place("Radio_Altimeter", "RA", std::string("s1")));
    ASSERT_TRUE(host.Click("Switch", 20, 60));
    host.SetNumber(755, 24);
    host.SetNumber(615, 0);
    host.SetNumber(614, 400);
    host.SetNumber(65, -780.288);  // 600 ft/min down
    host.Connect();
    host.Frame(30);

    std::string error;
    ASSERT_TRUE(panelhost::HostSoundRecordStart(path, &error)) << error;
    const double start = host.Clock();
    host.Frame(9);
    host.SetNumber(614, 300);  // through 1000 ft
    host.Frame();
    const double thousand = host.Clock() - start;
    host.Frame(36);
    host.SetNumber(614, 150);  // through 500 ft
    host.Frame();
    const double fiveHundred = host.Clock() - start;
    host.Frame(36);
    ASSERT_TRUE(panelhost::HostSoundRecordStop(&error)) << error;

    std::uint32_t rate = 0;
    const std::vector<double> s = RecordedSamples(path, rate);
    std::remove(path.c_str());
    ASSERT_GT(rate, 0u);
    const double callSeconds = 9950.0 / 11025;  // the 1000 ft recording
    EXPECT_LT(Peak(s, 0, thousand - 0.01, rate), 0.001) << "silent until 1000 ft";
    EXPECT_GT(Peak(s, thousand, thousand + callSeconds, rate), 0.05) << "the 1000 ft call";
    EXPECT_LT(Peak(s, thousand + callSeconds + 0.01, fiveHundred - 0.01, rate), 0.001);
    EXPECT_GT(Peak(s, fiveHundred, fiveHundred + 0.5, rate), 0.05) << "the 500 ft call";
}

}  // namespace
