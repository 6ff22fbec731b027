// What the host shows for each element kind: needle angles from nonlinearity
// tables, icons, strings, sliders, moving images, sprites, and failures.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <numbers>

#include "host/core/element_math.h"
#include "tests/host/test_support.h"

extern GAUGEHDR DisplayGauge;

namespace {

int iconCalls = 0;
int stringCalls = 0;

FLOAT64 FSAPI IconRoutine(ELEMENT_ICON* icon) {
    ++iconCalls;
    return icon->source_var.var_value.n;
}

FLOAT64 FSAPI StringRoutine(ELEMENT_STRING* string) {
    ++stringCalls;
    const double value = string->source_var[0].var_value.n;
    std::snprintf(string->string, string->max_string_length + 1, "V=%.0f", value);
    return value;
}

FLOAT64 FSAPI SliderY(ELEMENT_SLIDER*) { return 10.0; }

// A compass rose around (100,100): right, down, left, up, right again.
NONLINEARITY roseTable[] = {
    {{200, 100}, 0, 0}, {{100, 200}, 10, 0}, {{0, 100}, 20, 0}, {{100, 0}, 30, 0}, {{200, 100}, 40, 0},
};
// Stored in descending value order.
NONLINEARITY descendingTable[] = {{{10, 0}, 100, 0}, {{0, 10}, 0, 0}};
// Two points exactly opposite: a half turn counts as clockwise.
NONLINEARITY halfTurnTable[] = {{{10, 0}, 0, 0}, {{-10, 0}, 1, 0}};

FAILURE_RECORD zeroOnAirspeed[] = {{FAIL_GAUGE_AIRSPEED, FAIL_ACTION_ZERO, 0}, {}};
FAILURE_RECORD freezeOnAltimeter[] = {{FAIL_GAUGE_ADF, FAIL_ACTION_NONE, 0},
                                      {FAIL_GAUGE_ALTIMETER, FAIL_ACTION_FREEZE, 0}, {}};
FAILURE_RECORD hideOnAttitude[] = {{FAIL_GAUGE_ATTITUDE, FAIL_ACTION_NO_DRAW, 0}, {}};

ELEMENT_NEEDLE roseNeedle =
    Needle(2, {100, 100}, {}, &DisplayGauge, nullptr, 0x83, nullptr, SimToken(1), roseTable);
ELEMENT_NEEDLE plainNeedle = Needle(3, {100, 100}, {}, &DisplayGauge, nullptr, 0x83, zeroOnAirspeed, SimToken(2), {});
ELEMENT_HEADER* dialParts[] = {&roseNeedle.header, &plainNeedle.header, nullptr};
ELEMENT_STATIC_IMAGE dial = {
    .header = ElementHeader(ELEMENT_TYPE_STATIC_IMAGE, 1, {0, 0}, &DisplayGauge, dialParts, 0x3),
};
ELEMENT_NEEDLE descendingNeedle =
    Needle(4, {0, 0}, {}, &DisplayGauge, nullptr, 0x83, zeroOnAirspeed, SimToken(10), descendingTable);
ELEMENT_NEEDLE halfTurnNeedle =
    Needle(5, {0, 0}, {}, &DisplayGauge, nullptr, 0x83, nullptr, SimToken(11), halfTurnTable);
ELEMENT_ICON lamp = {
    .header = ElementHeader(ELEMENT_TYPE_ICON, 6, {0, 0}, &DisplayGauge, nullptr, 0x3, freezeOnAltimeter),
    .source_var = Token(3),
    .picture_count = 3,
    .update_cb = IconRoutine,
};
ELEMENT_STRING readout = {
    .header = ElementHeader(ELEMENT_TYPE_STRING, -1, {0, 0}, &DisplayGauge, nullptr, 0x3, hideOnAttitude),
    .source_var = {Token(4), Token(0), Token(0)},
    .max_string_length = 6,
    .update_cb = StringRoutine,
};
ELEMENT_SLIDER slider = {
    .header = ElementHeader(ELEMENT_TYPE_SLIDER, 7, {0, 0}, &DisplayGauge, nullptr, 0x83),
    .source_var_x = Token(5),
    .scale_x = 2.0,
    .scale_y = -0.5,
    .update_y_cb = SliderY,
};
ELEMENT_MOVING_IMAGE strip = {
    .header = ElementHeader(ELEMENT_TYPE_MOVING_IMAGE, 8, {0, 0}, &DisplayGauge, nullptr, 0x83),
    .source_var_x = Token(6),
    .min_x = 360,
    .max_x = 0,
    .min_y = 360,
    .max_y = 360,
};
ELEMENT_SPRITE card = {
    .header = ElementHeader(ELEMENT_TYPE_SPRITE, 9, {0, 0}, &DisplayGauge, nullptr, 0x83),
    .source_var_x = Token(8),
    .scale_x = 1.5,
    .source_var_0 = Token(7),
    .scale_0 = -1.0,
};
ELEMENT_HEADER* displayElements[] = {&dial.header,  &descendingNeedle.header, &halfTurnNeedle.header,
                                     &lamp.header,  &readout.header,          &slider.header,
                                     &strip.header, &card.header,             nullptr};

// Drawing-order numbers.
enum { Dial = 1, Rose, Plain, Descending, HalfTurn, Lamp, Readout, Slider, Strip, Card };

}  // namespace

GAUGEHDR DisplayGauge = TestGauge("Display", displayElements, nullptr);

namespace {

class DisplayTest : public OneGaugeTest<&DisplayGauge> {
protected:
    void SetUp() override {
        AttachAndPlace("Display", "D");
        iconCalls = stringCalls = 0;
    }
    double AngleFor(int element, SINT32 token, double value) {
        host.SetNumber(token, value);
        host.Frame();
        return host.Angle("D", element);
    }
};

TEST_F(DisplayTest, DrawingOrderIsDepthFirst) {
    ASSERT_EQ(host.ElementCount("D"), 10);
    EXPECT_EQ(host.Element("D", Dial).kind, ELEMENT_TYPE_STATIC_IMAGE);
    EXPECT_EQ(host.Element("D", Rose).record->resource_id, 2);
    EXPECT_EQ(host.Element("D", Plain).record->resource_id, 3);
    EXPECT_EQ(host.Element("D", Descending).record->resource_id, 4);
    EXPECT_EQ(host.Element("D", Card).kind, ELEMENT_TYPE_SPRITE);
    EXPECT_THROW(host.Element("D", 11), std::out_of_range);
    EXPECT_THROW(host.Element("D", 0), std::out_of_range);
}

TEST_F(DisplayTest, NeedleTableDegreesFilledAtInstall) {
    const auto* needle = ElementAs<ELEMENT_NEEDLE>(host.Element("D", Rose).record);
    ASSERT_NE(needle->nonlinearity, roseTable);
    const double expected[] = {0, 90, 180, 270, 360};
    for (int i = 0; i < 5; ++i) EXPECT_DOUBLE_EQ(needle->nonlinearity[i].degrees, expected[i]) << i;
    EXPECT_EQ(roseTable[4].degrees, 0.0);  // the module's table is left alone
}

TEST_F(DisplayTest, NeedleInterpolatesAndExtrapolates) {
    EXPECT_DOUBLE_EQ(AngleFor(Rose, 1, 15), 135);
    EXPECT_DOUBLE_EQ(AngleFor(Rose, 1, 40), 360);
    EXPECT_DOUBLE_EQ(AngleFor(Rose, 1, 45), 405);
    EXPECT_DOUBLE_EQ(AngleFor(Rose, 1, -5), -45);
    EXPECT_DOUBLE_EQ(AngleFor(Descending, 10, 50), 45);
    EXPECT_DOUBLE_EQ(AngleFor(Descending, 10, 150), -45);
    EXPECT_DOUBLE_EQ(AngleFor(Descending, 10, -100), 180);
    EXPECT_DOUBLE_EQ(AngleFor(HalfTurn, 11, 0.5), 90);
    EXPECT_DOUBLE_EQ(AngleFor(Plain, 2, 273.5), 273.5);
    EXPECT_DOUBLE_EQ(host.Value("D", Plain), 273.5);
}

TEST(NeedleDegrees, UnwrappedAcrossTheZeroDirection) {
    // About 349, then 11 degrees: continues to 371.
    NONLINEARITY table[] = {{{10, -2}, 0, 0}, {{10, 2}, 1, 0}, {{10, 2}, 2, 0}};
    panelhost::FillNeedleDegrees({0, 0}, table, 3);
    const double small = std::atan2(2, 10) * 180 / std::numbers::pi;
    EXPECT_NEAR(table[0].degrees, 360 - small, 1e-9);
    EXPECT_NEAR(table[1].degrees, 360 + small, 1e-9);
    EXPECT_NEAR(table[2].degrees, 360 + small, 1e-9);  // a stop turns no way
    EXPECT_EQ(panelhost::NeedleAngle(7, nullptr, 0), 7);
    EXPECT_EQ(panelhost::NeedleAngle(7, table, 1), table[0].degrees);
}

// Steps that disagree: the table sweeps the way round with less travel,
// and the step against it turns the long way.
TEST(NeedleDegrees, TableSweepsOneWay) {
    // 90 (below), 40 anticlockwise to 50, 10 clockwise to 60: clockwise
    // (320 + 10) beats anticlockwise (40 + 350).
    NONLINEARITY dial[] = {{{0, 10}, 0, 0}, {{10, 12}, 1, 0}, {{10, 17}, 2, 0}};
    panelhost::FillNeedleDegrees({0, 0}, dial, 3);
    const double fifty = std::atan2(12, 10) * 180 / std::numbers::pi;
    const double sixty = std::atan2(17, 10) * 180 / std::numbers::pi;
    EXPECT_NEAR(dial[1].degrees, 360 + fifty, 1e-9);
    EXPECT_NEAR(dial[2].degrees, 360 + sixty, 1e-9);
    // Mirrored, the same table sweeps anticlockwise.
    NONLINEARITY mirrored[] = {{{0, 10}, 0, 0}, {{-10, 12}, 1, 0}, {{-10, 17}, 2, 0}};
    panelhost::FillNeedleDegrees({0, 0}, mirrored, 3);
    EXPECT_NEAR(mirrored[1].degrees, 90 - 360 + (90 - fifty), 1e-9);
    EXPECT_NEAR(mirrored[2].degrees, 90 - 360 + (90 - sixty), 1e-9);
}

TEST_F(DisplayTest, IconPicksImageByValue) {
    const std::pair<double, int> cases[] = {{-1, -1}, {0, 0}, {1, 1}, {2.7, 2}, {3, -1}, {1e300, -1},
                                            {std::nan(""), -1}};
    for (auto [value, image] : cases) {
        host.SetNumber(3, value);
        host.Frame();
        EXPECT_EQ(host.Image("D", Lamp), image) << value;
    }
}

TEST_F(DisplayTest, StringShowsRoutineTextInHostBuffer) {
    host.SetNumber(4, 7);
    host.Frame();
    EXPECT_EQ(host.Text("D", Readout), "V=7");
    EXPECT_EQ(host.Value("D", Readout), 7);
    host.SetNumber(4, 123456789);
    host.Frame();
    EXPECT_EQ(host.Text("D", Readout), "V=1234");  // six characters fit
}

TEST_F(DisplayTest, SliderMovingImageAndSprite) {
    host.SetNumber(5, 3);
    host.SetNumber(6, 90);
    host.SetNumber(7, 30);
    host.SetNumber(8, 4);
    host.Frame();
    EXPECT_EQ(host.ShiftX("D", Slider), 6);
    EXPECT_EQ(host.ShiftY("D", Slider), -5);
    EXPECT_EQ(host.Value("D", Slider), 10);  // its y routine
    EXPECT_EQ(host.Value("D", Strip), 90);   // no y source: the x value
    EXPECT_DOUBLE_EQ(host.ShiftX("D", Strip), 0.75);
    EXPECT_EQ(host.ShiftY("D", Strip), 0);  // empty y range
    EXPECT_EQ(host.Value("D", Card), 30);
    EXPECT_EQ(host.Rotation("D", Card), -30);
    EXPECT_EQ(host.ShiftX("D", Card), 6);
    host.SetNumber(6, -20);
    host.Frame();
    EXPECT_EQ(host.ShiftX("D", Strip), 1);  // held at the end of travel
}

TEST_F(DisplayTest, ValuesThatAreNotNumbersAreDrawnAsZero) {
    for (SINT32 token : {1, 5, 6, 7, 8}) host.SetNumber(token, std::nan(""));
    host.SetNumber(2, INFINITY);
    host.Frame();
    EXPECT_TRUE(std::isnan(host.Value("D", Rose)));
    EXPECT_EQ(host.Angle("D", Rose), 0);
    EXPECT_EQ(host.Angle("D", Plain), 0);
    EXPECT_EQ(host.ShiftX("D", Slider), 0);
    EXPECT_EQ(host.ShiftX("D", Strip), 0);
    EXPECT_EQ(host.Rotation("D", Card), 0);
    EXPECT_EQ(host.ShiftX("D", Card), 0);
}

TEST_F(DisplayTest, FrozenElementKeepsItsLastValue) {
    host.SetNumber(3, 1);
    host.Frame();
    host.Fail(FAIL_GAUGE_ADF);  // listed with no action
    host.Fail(FAIL_GAUGE_ALTIMETER);
    host.SetNumber(3, 2);
    const int callsBefore = iconCalls;
    host.Frame(3);
    EXPECT_EQ(host.Image("D", Lamp), 1);
    EXPECT_FALSE(host.Hidden("D", Lamp));
    EXPECT_EQ(iconCalls, callsBefore);
    host.Repair(FAIL_GAUGE_ALTIMETER);
    host.Frame();
    EXPECT_EQ(host.Image("D", Lamp), 2);
}

TEST_F(DisplayTest, ZeroedElementShowsItsZeroValue) {
    host.SetNumber(2, 120);
    host.SetNumber(10, 50);
    host.Frame();
    host.Fail(FAIL_GAUGE_AIRSPEED);
    host.Frame();
    EXPECT_EQ(host.Value("D", Plain), 0);
    EXPECT_EQ(host.Angle("D", Plain), 0);
    EXPECT_DOUBLE_EQ(host.Angle("D", Descending), 90);  // where value 0 points
    EXPECT_DOUBLE_EQ(host.Angle("D", Rose), 0);         // not on the list: unaffected
    host.Repair(FAIL_GAUGE_AIRSPEED);
    host.Frame();
    EXPECT_EQ(host.Value("D", Plain), 120);
}

TEST_F(DisplayTest, HiddenElementIsNotDrawnOrAsked) {
    host.SetNumber(4, 5);
    host.Frame();
    host.Fail(FAIL_GAUGE_ATTITUDE);
    const int callsBefore = stringCalls;
    host.Frame();
    EXPECT_TRUE(host.Hidden("D", Readout));
    EXPECT_EQ(stringCalls, callsBefore);
    host.Repair(FAIL_GAUGE_ATTITUDE);
    host.Frame();
    EXPECT_FALSE(host.Hidden("D", Readout));
}

TEST_F(DisplayTest, RefreshKeepsThePreviousTokenValue) {
    host.SetNumber(1, 3);
    host.Frame();
    host.SetNumber(1, 4);
    host.Frame();
    const auto* needle = ElementAs<ELEMENT_NEEDLE>(host.Element("D", Rose).record);
    EXPECT_EQ(needle->source_var.var_old.n, 3);
    EXPECT_EQ(needle->source_var.var_value.n, 4);
    EXPECT_EQ(needle->save_value, 4);
}

}  // namespace
