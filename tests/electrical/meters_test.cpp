// The electrical meters through the substitute host: each scale's end marks
// hold the needle for every value beyond the marked range, and the panel's
// electrical failure drives the needles to their zero value.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>

#include "host/core/panel_host.h"
#include "tests/support/module_fixture.h"

namespace {

// Elements: 1 dial, 2 needle, 3 cap.
constexpr int needle = 2;

class Meters : public BuiltModuleTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(BuiltModuleTest::SetUp());
        for (const char* gauge : {"Battery_Bus_Ammeter", "Left_Generator_Bus_Ammeter",
                                  "Right_Generator_Bus_Ammeter", "Voltmeter"}) {
            ASSERT_TRUE(host.Place(gauge)) << gauge;
        }
    }
    double AngleAt(const char* gauge, int token, double value) {
        host.SetNumber(token, value);
        host.Frame();
        return host.Angle(gauge, needle);
    }
};

TEST_F(Meters, BatteryAmmeterStopsOnItsEndMarks) {
    const char* g = "Battery_Bus_Ammeter";
    const double plus30 = AngleAt(g, 760, 30);
    EXPECT_NEAR(AngleAt(g, 760, 40), plus30, 1e-9);
    EXPECT_NEAR(AngleAt(g, 760, 50), plus30, 1e-9);
    const double minus120 = AngleAt(g, 760, -120);
    EXPECT_NEAR(AngleAt(g, 760, -135), minus120, 1e-9);
    const double zero = AngleAt(g, 760, 0);
    EXPECT_GT(std::abs(zero - plus30), 1.0);
    EXPECT_GT(std::abs(zero - minus120), 1.0);
    // Charge and discharge swing the needle to opposite sides of zero.
    EXPECT_LT((AngleAt(g, 760, 10) - zero) * (AngleAt(g, 760, -10) - zero), 0.0);
}

TEST_F(Meters, GeneratorAmmetersShareOneScale) {
    for (const auto& [gauge, token] : {std::pair{"Left_Generator_Bus_Ammeter", 762},
                                       std::pair{"Right_Generator_Bus_Ammeter", 764}}) {
        const double zero = AngleAt(gauge, token, 0);
        EXPECT_NEAR(AngleAt(gauge, token, -0.5), zero, 1e-9) << gauge;
        const double top = AngleAt(gauge, token, 120);
        EXPECT_NEAR(AngleAt(gauge, token, 150), top, 1e-9) << gauge;
        const double middle = AngleAt(gauge, token, 60);
        EXPECT_GT(std::abs(middle - zero), 1.0) << gauge;
        EXPECT_GT(std::abs(middle - top), 1.0) << gauge;
    }
    // Each reads its own token.
    host.SetNumber(762, 60);
    host.SetNumber(764, 0);
    host.Frame();
    EXPECT_GT(std::abs(host.Angle("Left_Generator_Bus_Ammeter", needle) -
                       host.Angle("Right_Generator_Bus_Ammeter", needle)), 1.0);
}

TEST_F(Meters, VoltmeterStopsOnItsEndMarks) {
    const double zero = AngleAt("Voltmeter", 753, 0);
    EXPECT_NEAR(AngleAt("Voltmeter", 753, -0.5), zero, 1e-9);
    const double top = AngleAt("Voltmeter", 753, 35);
    EXPECT_NEAR(AngleAt("Voltmeter", 753, 38), top, 1e-9);
    EXPECT_GT(std::abs(AngleAt("Voltmeter", 753, 28) - zero), 1.0);
}

TEST_F(Meters, PanelPowerFailureZeroesTheNeedles) {
    const double voltsZero = AngleAt("Voltmeter", 753, 0);
    const double ampsZero = AngleAt("Left_Generator_Bus_Ammeter", 762, 0);
    host.SetNumber(753, 28);
    host.SetNumber(762, 80);
    host.Fail(20);
    host.Frame();
    EXPECT_NEAR(host.Angle("Voltmeter", needle), voltsZero, 1e-9);
    EXPECT_NEAR(host.Angle("Left_Generator_Bus_Ammeter", needle), ampsZero, 1e-9);
    host.Repair(20);
    // An engine failure leaves them reading.
    host.Fail(2);
    host.Frame();
    EXPECT_GT(std::abs(host.Angle("Voltmeter", needle) - voltsZero), 1.0);
}

}  // namespace
