// Engine, fuel, throttle and gear gauges driven through the substitute host
// with the built module, over simulated time where the gauges depend on it.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <utility>
#include <string>
#include <vector>

#include "host/core/panel_host.h"
#include "tests/support/module_fixture.h"

namespace {

using panelhost::EventList;
using panelhost::Host;

constexpr SINT32 tokenTime = 604;
constexpr SINT32 tokenFlow1 = 421;
constexpr SINT32 tokenFlow2 = 460;
constexpr SINT32 tokenBusVoltage = 753;

class EngineGauges : public BuiltModuleTest {
protected:
    void Place(const std::string& gauge, const std::string& alias,
               std::optional<std::string> params = std::nullopt) {
        std::string error;
        ASSERT_TRUE(host.Place(gauge, alias, params, &error)) << error;
    }

    // Frames in which the simulator's time token follows the host's clock.
    void RunFrames(int n) {
        for (int i = 0; i < n; ++i) {
            host.SetNumber(tokenTime, host.Clock() + host.FramePeriod());
            host.Frame();
        }
    }

    // The fuel counter placed as "FC" at START seconds on a live bus, the
    // engines' flows set (units an hour) and one frame run at FIRST seconds.
    void CountFuelFrom(double start, double flow1, double flow2, double first) {
        host.SetNumber(tokenTime, start);
        Place("Fuel_Consumption", "FC");
        host.SetNumber(tokenBusVoltage, 24);
        host.SetNumber(tokenFlow1, flow1);
        host.SetNumber(tokenFlow2, flow2);
        host.SetNumber(tokenTime, first);
        host.Frame();
    }

    // The number a row of four drums shows (units drum first), each drum
    // read at the digit it stands nearest to.
    int Counter(const std::string& alias, int unitsElement) {
        int shown = 0;
        int step = 1;
        for (int drum = 0; drum < 4; ++drum, step *= 10) {
            const double value = host.Value(alias, unitsElement + drum);
            shown += static_cast<int>(std::lround(value / step) % 10) * step;
        }
        return shown;
    }
};

// Fuel_Consumption drums: 2 engine 2 units ... 6 engine 1 units ...
constexpr int engine2Units = 2;
constexpr int engine1Units = 6;

// ---------------------------------------------------------------------------
// Engine number from the parameters.

TEST_F(EngineGauges, TachometerMovesNeedleAndTooltipToItsEngine) {
    Place("Tachometer", "T1");
    Place("Tachometer", "T2", "2");
    Place("Tachometer", "T3", "3");
    Place("Tachometer", "T12", "12");
    Place("Tachometer", "THASH", "#2");

    const auto needleToken = [&](const std::string& alias) {
        return reinterpret_cast<ELEMENT_NEEDLE*>(host.Element(alias, 2).record)->source_var.id;
    };
    EXPECT_EQ(needleToken("T1"), 390);
    EXPECT_EQ(needleToken("T2"), 429);
    EXPECT_EQ(needleToken("T3"), 468);
    EXPECT_EQ(needleToken("T12"), 390);
    EXPECT_EQ(needleToken("THASH"), 390);

    // The group keeps its help id; the tooltip entry names the engine's text.
    const MOUSERECT* t2 = host.Header("T2")->mouse_rect;
    EXPECT_EQ(t2[0].help_id, 0xAB68u);
    EXPECT_EQ(t2[1].rect_type, static_cast<UINT32>(MOUSE_RECT_USER));
    EXPECT_EQ(t2[1].help_id, 12818u);
    EXPECT_EQ(host.Header("T3")->mouse_rect[1].help_id, 12819u);
    EXPECT_EQ(host.Header("T12")->mouse_rect[1].help_id, 12817u);

    // The module's own records stay built for engine 1.
    GAUGEHDR* built = host.FindGauge("Tachometer");
    ASSERT_NE(built, nullptr);
    EXPECT_EQ(built->mouse_rect[1].help_id, 12817u);

    host.SetNumber(429, 2400);
    host.SetNumber(390, 800);
    host.Frame();
    EXPECT_DOUBLE_EQ(host.Value("T2", 2), 2400);
    EXPECT_DOUBLE_EQ(host.Value("T1", 2), 800);
}

TEST_F(EngineGauges, ReinstalledEngineGaugeIsMovedFromItsOwnNumbersAgain) {
    // A re-installation sees the already moved records: the instance must not
    // drift on to another engine's token.
    Place("Manifold_Pressure", "MP", "2");
    ASSERT_TRUE(host.Reinstall("MP"));
    EXPECT_EQ(reinterpret_cast<ELEMENT_NEEDLE*>(host.Element("MP", 2).record)->source_var.id, 430);
}

// ---------------------------------------------------------------------------
// Twin-needle dials: beyond the last mark both needles rest on the stop,
// whichever way their tables run.

TEST_F(EngineGauges, OilNeedlesRestOnTheStopBeyondTheLastMark) {
    Place("Oil_Pressure", "OP");
    Place("Oil_Temperature", "OT");
    struct Dial {
        const char* alias;
        SINT32 left;   // engine 1 token, element 3
        SINT32 right;  // engine 2 token, element 2
        double zero;
        double lastMark;
        double stop;
    };
    for (Dial dial : {Dial{"OP", 418, 457, 0, 25054.92, 31318.65},
                      Dial{"OT", 416, 455, 491.67, 707.67, 761.67}}) {
        const auto anglesAt = [&](double value) {
            host.SetNumber(dial.left, value);
            host.SetNumber(dial.right, value);
            host.Frame();
            return std::pair{host.Angle(dial.alias, 3), host.Angle(dial.alias, 2)};
        };
        const auto atLastMark = anglesAt(dial.lastMark);
        EXPECT_EQ(anglesAt(dial.stop), atLastMark) << dial.alias;
        EXPECT_EQ(anglesAt(dial.stop * 2), atLastMark) << dial.alias;
        const auto atZero = anglesAt(dial.zero);
        // Between the ends the needles do move.
        const auto midway = anglesAt((dial.zero + dial.lastMark) / 2);
        EXPECT_NE(midway.first, atZero.first) << dial.alias;
        EXPECT_NE(midway.first, atLastMark.first) << dial.alias;
        EXPECT_NE(midway.second, atZero.second) << dial.alias;
        EXPECT_NE(midway.second, atLastMark.second) << dial.alias;
    }
}

TEST_F(EngineGauges, TachometerAndHydraulicNeedlesRestOnTheLowStop) {
    Place("Tachometer", "T");
    Place("Hydraulic_Pressure", "H");
    const auto angleAt = [&](const char* alias, SINT32 token, double value) {
        host.SetNumber(token, value);
        host.Frame();
        return host.Angle(alias, 2);
    };
    const double tachometerStop = angleAt("T", 390, 0);
    EXPECT_EQ(angleAt("T", 390, 399), tachometerStop);
    EXPECT_EQ(angleAt("T", 390, 400), tachometerStop);
    EXPECT_NE(angleAt("T", 390, 401), tachometerStop);
    EXPECT_EQ(angleAt("T", 390, 4100), angleAt("T", 390, 4000));

    const double hydraulicStop = angleAt("H", 732, 0);
    EXPECT_EQ(angleAt("H", 732, -2087.91), hydraulicStop);
    EXPECT_NE(angleAt("H", 732, 365384.25), hydraulicStop);
    // Losing panel power drops the needle to zero; an engine failure does not.
    host.Fail(2);
    host.Frame();
    EXPECT_DOUBLE_EQ(host.Value("H", 2), 365384.25);
    host.Fail(20);
    host.Frame();
    EXPECT_DOUBLE_EQ(host.Value("H", 2), 0);
}

// ---------------------------------------------------------------------------
// Tank needles.

TEST_F(EngineGauges, FullTankReadsExactlyItsCapacity) {
    host.SetNumber(292, 100);
    host.SetNumber(298, 132.1003963011889);
    Place("Fuel_Quantity", "FQ");
    host.SetNumber(291, 8388610);
    host.SetNumber(297, 8388610);
    host.Frame();
    EXPECT_DOUBLE_EQ(host.Value("FQ", 3), 100);
    EXPECT_DOUBLE_EQ(host.Value("FQ", 2), 132.1003963011889);
    // A full right tank of 500 litres points at the 500-litre mark.
    EXPECT_DOUBLE_EQ(host.Angle("FQ", 2),
                     reinterpret_cast<ELEMENT_NEEDLE*>(host.Element("FQ", 2).record)
                         ->nonlinearity[10].degrees);
}

// ---------------------------------------------------------------------------
// Fuel-used counters.

TEST_F(EngineGauges, CountersIntegrateFlowOverSimulatedTime) {
    host.SetNumber(tokenTime, host.Clock());
    Place("Fuel_Consumption", "FC");
    host.SetNumber(tokenFlow1, 3600);   // one unit per second
    host.SetNumber(tokenFlow2, 7200);
    host.SetNumber(tokenBusVoltage, 28);

    RunFrames(18 * 5);  // five seconds at the default frame rate
    EXPECT_EQ(Counter("FC", engine1Units), 5);
    EXPECT_EQ(Counter("FC", engine2Units), 10);

    // A faster frame rate counts the same fuel for the same time.
    host.SetFramePeriod(0.01);
    RunFrames(500);
    EXPECT_EQ(Counter("FC", engine1Units), 10);
    EXPECT_EQ(Counter("FC", engine2Units), 20);

    // Without bus voltage engine 1's counter stands; engine 2's does not.
    host.SetNumber(tokenBusVoltage, 0);
    RunFrames(300);
    EXPECT_EQ(Counter("FC", engine1Units), 10);
    EXPECT_EQ(Counter("FC", engine2Units), 26);
    host.SetNumber(tokenBusVoltage, 20.01);
    RunFrames(100);
    EXPECT_EQ(Counter("FC", engine1Units), 11);
}

TEST_F(EngineGauges, CounterWrapsPast9999WhileTheTotalKeepsGrowing) {
    // Engine 1 burns 12345.6 in one second.
    CountFuelFrom(0, 12345.6 * 3600, 0, 1);
    EXPECT_EQ(Counter("FC", engine1Units), 2345);
    EXPECT_NEAR(host.Value("FC", engine1Units + 3), 2000, 1e-6);

    // Another 10000 lands on the same digits; 7654.9 more turns every drum
    // past 9999 to 0000 (30000.5).
    host.SetNumber(tokenFlow1, 10000 * 3600.0);
    host.SetNumber(tokenTime, 2);
    host.Frame();
    EXPECT_EQ(Counter("FC", engine1Units), 2345);
    host.SetNumber(tokenFlow1, 7654.9 * 3600);
    host.SetNumber(tokenTime, 3);
    host.Frame();
    EXPECT_EQ(Counter("FC", engine1Units), 0);
    EXPECT_EQ(Counter("FC", engine2Units), 0);
}

TEST_F(EngineGauges, LastTenthOfAUnitRollsEveryDrumThatChanges) {
    CountFuelFrom(0, 9.95 * 3600, 0, 1);
    // Units half-way from 9 to 0, tens half-way from 0 to 1; the hundreds
    // and thousands do not change digit and stand still.
    EXPECT_NEAR(host.Value("FC", engine1Units), 9.5, 1e-9);
    EXPECT_NEAR(host.Value("FC", engine1Units + 1), 5, 1e-9);
    EXPECT_NEAR(host.Value("FC", engine1Units + 2), 0, 1e-9);
    EXPECT_NEAR(host.Value("FC", engine1Units + 3), 0, 1e-9);
}

TEST_F(EngineGauges, ResetClearsOnlyItsOwnRow) {
    CountFuelFrom(0, 123 * 3600.0, 456 * 3600.0, 1);
    ASSERT_EQ(Counter("FC", engine1Units), 123);
    ASSERT_EQ(Counter("FC", engine2Units), 456);

    EXPECT_TRUE(host.Click("FC", 12, 85));  // engine 1 button, top-left corner
    host.Frame();
    EXPECT_EQ(Counter("FC", engine1Units), 0);
    EXPECT_EQ(Counter("FC", engine2Units), 456);

    // Counting resumes from zero.
    host.SetNumber(tokenTime, 2);
    host.Frame();
    EXPECT_EQ(Counter("FC", engine1Units), 123);

    EXPECT_TRUE(host.Click("FC", 62, 135));  // engine 2 button, bottom-right corner
    host.Frame();
    EXPECT_EQ(Counter("FC", engine1Units), 123);
    EXPECT_EQ(Counter("FC", engine2Units), 0);
    EXPECT_TRUE(host.Events().empty());
}

TEST_F(EngineGauges, TimeBeforeReinstallationIsNotCounted) {
    CountFuelFrom(0, 3600, 0, 10);
    ASSERT_EQ(Counter("FC", engine1Units), 10);

    host.SetNumber(tokenTime, 1000);
    ASSERT_TRUE(host.Reinstall("FC"));
    host.Frame();
    EXPECT_EQ(Counter("FC", engine1Units), 10);
    host.SetNumber(tokenTime, 1004);
    host.Frame();
    EXPECT_EQ(Counter("FC", engine1Units), 14);
}

TEST_F(EngineGauges, ClockJumpingBackOrBadValuesNeverCorruptTheTotals) {
    CountFuelFrom(0, 3600, 3600, 50);
    ASSERT_EQ(Counter("FC", engine1Units), 50);

    // A reloaded flight starts the clock again: fuel used does not run back,
    // and counting goes on from the new time.
    host.SetNumber(tokenTime, 5);
    host.Frame();
    EXPECT_EQ(Counter("FC", engine1Units), 50);
    host.SetNumber(tokenTime, 8);
    host.Frame();
    EXPECT_EQ(Counter("FC", engine1Units), 53);

    // A flow or a clock that is not a number adds nothing and loses nothing.
    host.SetNumber(tokenFlow1, NAN);
    host.SetNumber(tokenTime, 9);
    host.Frame();
    host.SetNumber(tokenTime, NAN);
    host.Frame();
    host.SetNumber(tokenFlow1, 3600);
    host.SetNumber(tokenTime, 11);
    host.Frame();
    EXPECT_EQ(Counter("FC", engine1Units), 55);
    EXPECT_EQ(Counter("FC", engine2Units), 56);
}

TEST_F(EngineGauges, ClockMissingForAFrameAddsNoFuel) {
    // A clock the simulator does not supply reads 0; when it is back the
    // counters go on from the last time read instead of counting the whole
    // flight again.
    CountFuelFrom(3600, 3600, 7200, 3610);
    ASSERT_EQ(Counter("FC", engine1Units), 10);

    host.SetNumber(tokenTime, 0);
    host.Frame(3);
    EXPECT_EQ(Counter("FC", engine1Units), 10);
    EXPECT_EQ(Counter("FC", engine2Units), 20);
    host.SetNumber(tokenTime, 3612);
    host.Frame();
    EXPECT_EQ(Counter("FC", engine1Units), 12);
    EXPECT_EQ(Counter("FC", engine2Units), 24);
}

// ---------------------------------------------------------------------------
// Throttle quadrant.

TEST_F(EngineGauges, LeverRoutineWithoutAreaSendsNothing) {
    Place("Throttle_Quadrant", "TQ");
    MOUSERECT* rects = host.Header("TQ")->mouse_rect;
    std::vector<MOUSERECT*> routines;
    for (MOUSERECT* rect = rects; rect->rect_type != MOUSE_RECT_EOL; ++rect) {
        if (rect->mouse_function) routines.push_back(rect);
    }
    ASSERT_EQ(routines.size(), 6u);
    for (MOUSERECT* rect : routines) {
        MOUSECALLBACK_POINT point{.x = 5, .y = 5, .gauge = host.Header("TQ"), .rect = nullptr};
        EXPECT_EQ(rect->mouse_function(&point, MOUSE_LEFTSINGLE), 0);
        EXPECT_EQ(rect->mouse_function(nullptr, MOUSE_LEFTDRAG), 0);
    }
    EXPECT_TRUE(host.Events().empty());
}

TEST_F(EngineGauges, LeverHeldAtTheTrackEndsBeyondIt) {
    // A drag that carries the point past the track's ends holds the lever at
    // fully forward or fully back.
    Place("Throttle_Quadrant", "TQ");
    MOUSERECT* rects = host.Header("TQ")->mouse_rect;
    MOUSERECT* throttle1 = nullptr;
    for (MOUSERECT* rect = rects; rect->rect_type != MOUSE_RECT_EOL; ++rect) {
        if (rect->mouse_function && rect->relative_box_pos.x == 91) throttle1 = rect;
    }
    ASSERT_NE(throttle1, nullptr);
    for (int y : {-40, 304, 1000, -2147483647}) {
        MOUSECALLBACK_POINT point{.x = 0, .y = y, .gauge = host.Header("TQ"), .rect = throttle1};
        throttle1->mouse_function(&point, MOUSE_LEFTDRAG);
    }
    EXPECT_EQ(host.TakeEvents(), (EventList{{0x1011C, 16384}, {0x1011C, 0}, {0x1011C, 0},
                                            {0x1011C, 16384}}));
}

// ---------------------------------------------------------------------------
// Gear lamps.

// Times at which a lamp goes from dark to lit while the gear travels.
std::vector<double> LightingTimes(Host& host, int element, double seconds) {
    std::vector<double> times;
    int previous = 0;  // a lamp already lit at the start is not counted
    while (host.Clock() < seconds) {
        host.SetNumber(tokenTime, host.Clock() + host.FramePeriod());
        host.Frame();
        const int image = host.Image("GL", element);
        if (previous == -1 && image == 0) times.push_back(host.Clock());
        previous = image;
    }
    return times;
}

TEST_F(EngineGauges, RedLampsBlinkEachWithItsOwnPeriod) {
    Place("Gear_Lamps", "GL");
    host.SetNumber(333, 8000);
    host.SetNumber(334, 8000);
    host.SetNumber(332, 8000);
    host.SetFramePeriod(0.001);

    struct Lamp {
        int element;
        double period;
    };
    for (Lamp lamp : {Lamp{3, 0.51}, Lamp{5, 0.52}, Lamp{7, 0.53}}) {
        const double start = host.Clock();
        const std::vector<double> times = LightingTimes(host, lamp.element, start + 5.0);
        ASSERT_GE(times.size(), 9u) << "lamp " << lamp.element;
        for (std::size_t i = 1; i < times.size(); ++i) {
            EXPECT_NEAR(times[i] - times[i - 1], lamp.period, 0.0015) << "lamp " << lamp.element;
        }
        // Lit for the second half of each period: it lights half a period
        // after each multiple of the period.
        const double phase = std::fmod(times[0], lamp.period);
        EXPECT_NEAR(phase, lamp.period / 2, 0.0015) << "lamp " << lamp.element;
    }
}

TEST_F(EngineGauges, LampsFollowTheGearThroughATransit) {
    Place("Gear_Lamps", "GL");
    host.SetNumber(tokenTime, 0.4);  // every red lamp in its lit half
    struct Step {
        double gear;
        int green;
        int red;
    };
    for (Step step : {Step{0, -1, -1}, Step{49.99, -1, -1}, Step{50, -1, 0}, Step{8000, -1, 0},
                      Step{16300, -1, 0}, Step{16300.01, 0, -1}, Step{16384, 0, -1}}) {
        host.SetNumber(333, step.gear);
        host.SetNumber(334, step.gear);
        host.SetNumber(332, step.gear);
        host.Frame();
        for (int green : {2, 4, 6}) EXPECT_EQ(host.Image("GL", green), step.green) << step.gear;
        for (int red : {3, 5, 7}) EXPECT_EQ(host.Image("GL", red), step.red) << step.gear;
    }
}

}  // namespace
