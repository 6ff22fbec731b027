// Needles of the flight instruments against their stop points: beyond the
// ends of a table a needle rests where the doubled end rows put it.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

#include "host/core/panel_host.h"

namespace {

// Two angles that name the same direction.
::testing::AssertionResult SameDirection(double a, double b) {
    const double turn = std::remainder(a - b, 360.0);
    if (std::abs(turn) < 1e-6) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << a << " and " << b << " differ by " << turn;
}

class FlightNeedles : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(host.Load(QR_MODULE_PATH, &error)) << error; }

    void Place(const std::string& gauge) { ASSERT_TRUE(host.Place(gauge, {}, {}, &error)) << error; }

    double AngleAt(const std::string& gauge, int element, SINT32 token, double value) {
        host.SetNumber(token, value);
        host.Frame();
        return host.Angle(gauge, element);
    }

    panelhost::Host host;
    std::string error;
};

constexpr SINT32 tokenAirspeed = 61;
constexpr SINT32 tokenVerticalSpeed = 65;
constexpr SINT32 tokenAltitude = 74;
constexpr SINT32 tokenTurnRate = 70;

TEST_F(FlightNeedles, AirspeedRestsOnItsStopsBelowZeroAndAbove300) {
    Place("Airspeed");
    const double zero = AngleAt("Airspeed", 2, tokenAirspeed, 0);
    const double top = AngleAt("Airspeed", 2, tokenAirspeed, 300);
    // The stops point at (103,258) and (132,262) from the pivot (150,150).
    EXPECT_TRUE(SameDirection(zero, std::atan2(108.0, -47.0) * 180 / std::numbers::pi));
    EXPECT_TRUE(SameDirection(top, std::atan2(112.0, -18.0) * 180 / std::numbers::pi));

    EXPECT_TRUE(SameDirection(AngleAt("Airspeed", 2, tokenAirspeed, -1), zero));
    EXPECT_TRUE(SameDirection(AngleAt("Airspeed", 2, tokenAirspeed, -40), zero));
    EXPECT_TRUE(SameDirection(AngleAt("Airspeed", 2, tokenAirspeed, 350), top));
    EXPECT_TRUE(SameDirection(AngleAt("Airspeed", 2, tokenAirspeed, 500), top));
    EXPECT_TRUE(SameDirection(AngleAt("Airspeed", 2, tokenAirspeed, 900), top));
    // Between the stops the needle moves.
    EXPECT_FALSE(SameDirection(AngleAt("Airspeed", 2, tokenAirspeed, 150), zero));
}

TEST_F(FlightNeedles, VerticalSpeedStopsAtPlus3000FeetPerMinute) {
    Place("Vertical_Speed");
    const double top = AngleAt("Vertical_Speed", 2, tokenVerticalSpeed, 3251.1998959616035);
    EXPECT_TRUE(SameDirection(AngleAt("Vertical_Speed", 2, tokenVerticalSpeed, 3600), top));
    EXPECT_TRUE(SameDirection(AngleAt("Vertical_Speed", 2, tokenVerticalSpeed, 8000), top));
    // Level flight points left at (41,148).
    EXPECT_TRUE(SameDirection(AngleAt("Vertical_Speed", 2, tokenVerticalSpeed, 0),
                              std::atan2(-2.0, -109.0) * 180 / std::numbers::pi));
}

TEST_F(FlightNeedles, TurnNeedleStopsAtAStandardRateTurnEitherWay) {
    Place("Turn_Coordinator");
    const double right = AngleAt("Turn_Coordinator", 4, tokenTurnRate, 1152);
    const double left = AngleAt("Turn_Coordinator", 4, tokenTurnRate, -1152);
    EXPECT_TRUE(SameDirection(right, -45));  // at (184,220) from (151,253)
    EXPECT_TRUE(SameDirection(left, -135));  // at (118,220)
    EXPECT_TRUE(SameDirection(AngleAt("Turn_Coordinator", 4, tokenTurnRate, 1400), right));
    EXPECT_TRUE(SameDirection(AngleAt("Turn_Coordinator", 4, tokenTurnRate, 5000), right));
    EXPECT_TRUE(SameDirection(AngleAt("Turn_Coordinator", 4, tokenTurnRate, -5000), left));
    EXPECT_TRUE(SameDirection(AngleAt("Turn_Coordinator", 4, tokenTurnRate, 0), -90));
}

TEST_F(FlightNeedles, AltitudePointerTurnsOnceEvery1000WithoutStop) {
    Place("Altimeter");
    const double zero = AngleAt("Altimeter", 14, tokenAltitude, 0);
    EXPECT_TRUE(SameDirection(zero, -90));
    EXPECT_TRUE(SameDirection(AngleAt("Altimeter", 14, tokenAltitude, 250), 0));
    EXPECT_TRUE(SameDirection(AngleAt("Altimeter", 14, tokenAltitude, 1250), 0));
    EXPECT_TRUE(SameDirection(AngleAt("Altimeter", 14, tokenAltitude, 35500), 90));
    EXPECT_TRUE(SameDirection(AngleAt("Altimeter", 14, tokenAltitude, -250), 180));
}

TEST(FlightTable, FlapsSwitchStandsTwiceWithOneHeader) {
    panelhost::Host host;
    std::string error;
    ASSERT_TRUE(host.Load(QR_MODULE_PATH, &error)) << error;
    GAUGEHDR* first = nullptr;
    int count = 0;
    for (const panelhost::GaugeEntry& entry : host.Gauges()) {
        if (entry.name != "Flaps_Switch") continue;
        if (first == nullptr) first = entry.header;
        EXPECT_EQ(entry.header, first);
        ++count;
    }
    EXPECT_EQ(count, 2);
}

}  // namespace
