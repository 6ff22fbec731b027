// The simulator's reactions to the panel's key events, its electrical
// system, and the tables behind them: every event the gauges send and every
// help id they name is known to the host.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "host/core/aircraft_systems.h"
#include "host/core/help_texts.h"
#include "host/core/panel_host.h"
#include "host/core/reactions.h"
#include "module/tokens.h"

extern "C" IMPORT_TABLE ImportTable;
extern "C" MODULE_LINKAGE_VIEW Linkage;

namespace {

using panelhost::ApplyReactions;
using panelhost::TokenStore;

constexpr double feetPerMetre = 3.28084;

TEST(Reactions, LeversTakeTheirFractionOfFullTravel) {
    TokenStore tokens;
    ApplyReactions(tokens, keyThrottle1Set, 8192);
    ApplyReactions(tokens, keyPropeller2Set, 16384);
    EXPECT_DOUBLE_EQ(tokens.Number(tokenEngine1ThrottleLever), 0.5);
    EXPECT_DOUBLE_EQ(tokens.Number(tokenEngine2PropellerLever), 1.0);
    ApplyReactions(tokens, keyThrottle1Set, 0xFFFFFFFFu);  // beyond full travel: full, not more
    EXPECT_DOUBLE_EQ(tokens.Number(tokenEngine1ThrottleLever), 1.0);
}

TEST(Reactions, SettingsStepWithinTheirLimits) {
    TokenStore tokens;
    // The heading bug's knob sends 360 for a step up from 359.
    ApplyReactions(tokens, keyHeadingBugSet, 360);
    EXPECT_DOUBLE_EQ(tokens.Number(tokenHeadingBug), 0);
    // From standard pressure the first step lands on a whole millibar.
    tokens.SetNumber(tokenBaroSetting, 1013.25);
    ApplyReactions(tokens, keyBaroUp, 0);
    EXPECT_DOUBLE_EQ(tokens.Number(tokenBaroSetting), 1014);
    tokens.SetNumber(tokenBaroSetting, 1013.25);
    ApplyReactions(tokens, keyBaroDown, 0);
    EXPECT_DOUBLE_EQ(tokens.Number(tokenBaroSetting), 1013);
    tokens.SetNumber(tokenBaroSetting, 1084);
    ApplyReactions(tokens, keyBaroUp, 0);
    EXPECT_DOUBLE_EQ(tokens.Number(tokenBaroSetting), 1084);
    // Flaps stop at full and at retracted.
    for (int i = 0; i < 5; ++i) ApplyReactions(tokens, keyFlapsDownStep, 0);
    EXPECT_DOUBLE_EQ(tokens.Number(tokenFlapsPosition), 16382);
    for (int i = 0; i < 5; ++i) ApplyReactions(tokens, keyFlapsUpStep, 0);
    EXPECT_DOUBLE_EQ(tokens.Number(tokenFlapsPosition), 0);
}

TEST(Reactions, DecisionHeightStepsFineBelow300FeetAndStopsAtItsEnds) {
    TokenStore tokens;
    tokens.SetNumber(tokenDecisionHeight, 200 / feetPerMetre);
    ApplyReactions(tokens, keyDecisionHeightUp, 1);
    EXPECT_NEAR(tokens.Number(tokenDecisionHeight) * feetPerMetre, 210, 1e-6);
    tokens.SetNumber(tokenDecisionHeight, 400 / feetPerMetre);
    ApplyReactions(tokens, keyDecisionHeightDown, 0);
    EXPECT_NEAR(tokens.Number(tokenDecisionHeight) * feetPerMetre, 350, 1e-6);
    tokens.SetNumber(tokenDecisionHeight, 0);
    ApplyReactions(tokens, keyDecisionHeightDown, 1);
    EXPECT_DOUBLE_EQ(tokens.Number(tokenDecisionHeight), 0);
}

TEST(Reactions, GearStaysDownOnTheGroundAndCyclesInTheAir) {
    TokenStore tokens;
    panelhost::ParkAircraft(tokens);
    ApplyReactions(tokens, keyGearToggle, 0);
    EXPECT_DOUBLE_EQ(tokens.Number(tokenGearHandle), 16383);
    tokens.SetNumber(tokenOnGround, 0);
    ApplyReactions(tokens, keyGearToggle, 0);
    EXPECT_DOUBLE_EQ(tokens.Number(tokenGearHandle), 0);
    EXPECT_DOUBLE_EQ(tokens.Number(tokenLeftGear), 0);
    ApplyReactions(tokens, keyGearToggle, 0);
    EXPECT_DOUBLE_EQ(tokens.Number(tokenCentreGear), 16383);
}

// A set never tuned holds 0, which is no frequency: tuning lands in the band.
TEST(Reactions, TuningASetOutsideItsBandLandsInTheBand) {
    TokenStore tokens;
    ApplyReactions(tokens, keyCom1FractionUp, 0);
    EXPECT_EQ(tokens.Integer(tokenCom1Frequency), 0x1802);
    ApplyReactions(tokens, keyNav1FractionDown, 0);
    EXPECT_EQ(tokens.Integer(tokenNav1Frequency), 0x0895);
}

TEST(Reactions, NoEventIsBothActedOnAndIgnored) {
    for (const UINT32 event : {keyThrottle1Set, keyGearToggle, keyAttitudeCorner, keyHeadingBugSet, keyMagnetos1Off,
                               keyPanelWindowToggle, keyNav1IdentOn, keyLandingLightsSet}) {
        EXPECT_NE(panelhost::Reacts(event), panelhost::IgnoredBecause(event) != nullptr) << std::hex << event;
    }
}

TEST(ElectricalSystem, BusAndCurrentsFollowTheBatteryAndTheGenerators) {
    TokenStore tokens;
    panelhost::RunElectricalSystem(tokens);
    EXPECT_DOUBLE_EQ(tokens.Number(tokenMainBusVoltage), 0);
    EXPECT_DOUBLE_EQ(tokens.Number(tokenBatteryBusAmps), 0);

    tokens.SetNumber(tokenBatteryMaster, 1);
    tokens.SetNumber(tokenLeftGenerator, 1);  // switched on, its engine stopped: off line
    panelhost::RunElectricalSystem(tokens);
    EXPECT_DOUBLE_EQ(tokens.Number(tokenMainBusVoltage), 24);
    EXPECT_LT(tokens.Number(tokenBatteryBusAmps), 0);  // the battery carries the bus
    EXPECT_DOUBLE_EQ(tokens.Number(tokenLeftGeneratorAmps), 0);
    const double alone = -tokens.Number(tokenBatteryBusAmps);

    tokens.SetNumber(tokenLandingLights, 1);
    panelhost::RunElectricalSystem(tokens);
    EXPECT_GT(-tokens.Number(tokenBatteryBusAmps), alone);

    tokens.SetNumber(tokenEngine1Rpm, 2000);
    panelhost::RunElectricalSystem(tokens);
    EXPECT_DOUBLE_EQ(tokens.Number(tokenMainBusVoltage), 28);
    EXPECT_GT(tokens.Number(tokenBatteryBusAmps), 0);  // charging
    EXPECT_GT(tokens.Number(tokenLeftGeneratorAmps), alone);
    EXPECT_DOUBLE_EQ(tokens.Number(tokenRightGeneratorAmps), 0);
}

// Each gauge of the table placed under its number ("g12"). Joined in steps:
// mingw-w64's g++ 12 warns falsely (-Wrestrict) on "g" + std::to_string(n).
std::string AliasOf(const panelhost::GaugeEntry& entry) {
    std::string alias = "g";
    alias += std::to_string(entry.number);
    return alias;
}

// Every gauge of the table placed and each of its clickable areas pressed
// with either button: every key event sent is acted on or named as ignored,
// and every help id and tooltip id of every area has a text.
class WholeTable : public ::testing::Test {
protected:
    panelhost::Host host;
    void SetUp() override {
        ASSERT_TRUE(host.Attach(&ImportTable, &Linkage));
        panelhost::ParkAircraft(host);
        for (const panelhost::GaugeEntry& entry : host.Gauges()) {
            ASSERT_TRUE(host.Place(entry.name, AliasOf(entry))) << entry.name;
        }
        host.Connect();
        host.Frame();
    }

    // The centres of a gauge's clickable areas, and every help id it names.
    struct Walk {
        std::vector<std::pair<int, int>> centres;
        std::set<UINT32> helpIds;
    };
    static Walk WalkAreas(const GAUGEHDR& header) {
        Walk walk;
        std::vector<std::pair<int, int>> origins{{0, 0}};
        for (const MOUSERECT* rect = header.mouse_rect; rect && rect->rect_type != MOUSE_RECT_EOL; ++rect) {
            const auto [x, y] = origins.back();
            const PIXPOINT at = rect->relative_box_pos, size = rect->relative_box_size;
            if (rect->help_id) walk.helpIds.insert(rect->help_id);
            if (rect->rect_type == MOUSE_RECT_PARENT) origins.emplace_back(x + at.x, y + at.y);
            if (rect->rect_type == MOUSE_RECT_END_PARENT && origins.size() > 1) origins.pop_back();
            if (rect->rect_type == MOUSE_RECT_CHILD) walk.centres.emplace_back(x + at.x + size.x / 2, y + at.y + size.y / 2);
        }
        return walk;
    }
};

TEST_F(WholeTable, EveryEventSentIsActedOnOrNamedAsIgnored) {
    std::set<UINT32> unnamed;
    std::size_t areas = 0;
    for (const panelhost::GaugeEntry& entry : host.Gauges()) {
        const std::string alias = AliasOf(entry);
        const GAUGEHDR* header = host.Header(alias);
        ASSERT_NE(header, nullptr);
        for (const auto& [x, y] : WalkAreas(*header).centres) {
            ++areas;
            for (const panelhost::Button button : {panelhost::Button::Left, panelhost::Button::Right}) {
                host.Click(alias, x, y, button);
                host.Release(alias, x, y);
            }
        }
        host.Frame();
        for (const auto& [event, value] : host.TakeEvents()) {
            if (!panelhost::Reacts(event) && !panelhost::IgnoredBecause(event)) unnamed.insert(event);
        }
    }
    EXPECT_GT(areas, 100u);
    EXPECT_TRUE(unnamed.empty()) << "first unnamed event: 0x" << std::hex << (unnamed.empty() ? 0 : *unnamed.begin());
}

TEST_F(WholeTable, EveryHelpIdHasAText) {
    for (const panelhost::GaugeEntry& entry : host.Gauges()) {
        const GAUGEHDR* header = host.Header(AliasOf(entry));
        ASSERT_NE(header, nullptr);
        for (const UINT32 id : WalkAreas(*header).helpIds) {
            EXPECT_NE(panelhost::HelpText(id), nullptr) << entry.name << " names help id 0x" << std::hex << id;
        }
    }
}

}  // namespace
