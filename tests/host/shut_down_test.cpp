// Shut_Down through the host, on the statically linked module so that the
// systems state it clears is visible to the test.
#include <gtest/gtest.h>

#include <cmath>

#include "gauges/electrical/systems_state.h"
#include "tests/host/test_support.h"

namespace {

using panelhost::EventList;

constexpr SINT32 onGround = 60;

class ShutDownTest : public ::testing::Test {
protected:
    panelhost::Host host;

    void SetUp() override {
        ASSERT_TRUE(host.Attach(&ImportTable, &Linkage));
        // Everything on, as a panel in use would have it.
        nav1Power = nav1Ident = nav2Power = nav2Ident = 1;
        com1Power = adfPower = adfIdent = xpdrPower = 1;
        aviacLeftPosition = 5;
        aviacRightPosition = 3;
        leftGenExcitation = leftGenMain = rightGenExcitation = rightGenMain = 1;
        radaltPower = 1;
        ASSERT_TRUE(host.Place("Shut_Down"));
        host.ClearEvents();
    }

    void TearDown() override {
        host.Unload();
        leftGenExcitation = leftGenMain = rightGenExcitation = rightGenMain = 1;
        radaltPower = 0;
    }

    bool RadiosAndSelectorsOff() const {
        return nav1Power == 0 && nav1Ident == 0 && nav2Power == 0 && nav2Ident == 0 && com1Power == 0 &&
               adfPower == 0 && adfIdent == 0 && xpdrPower == 0 && aviacLeftPosition == 0 &&
               aviacRightPosition == 0;
    }
};

const EventList coldAndDark = {{0x1011C, 0}, {0x1011D, 0}, {0x10187, 0}, {0x1018D, 0},
                               {0x1012C, 0}, {0x10128, 0}, {0x10129, 0}};

TEST_F(ShutDownTest, InTheAirNothingHappens) {
    for (double value : {0.0, -1.0, std::nan("")}) {
        host.SetNumber(onGround, value);
        host.SetNumber(895, 1);
        host.Connect();
        EXPECT_EQ(host.TakeEvents(), EventList{}) << "token 60 = " << value;
        EXPECT_EQ(nav1Power, 1);
        EXPECT_EQ(adfIdent, 1);
        EXPECT_EQ(aviacLeftPosition, 5u);
    }
}

TEST_F(ShutDownTest, OnTheGroundWithEnginesStopped) {
    host.SetNumber(onGround, 1);
    host.Connect();
    EXPECT_EQ(host.TakeEvents(), coldAndDark);
    EXPECT_TRUE(RadiosAndSelectorsOff());
}

TEST_F(ShutDownTest, RunningEngineSystemAndPropellers) {
    host.SetNumber(onGround, 1);
    host.SetNumber(895, 1);
    host.Connect();
    EXPECT_EQ(host.TakeEvents(), (EventList{{0x1011C, 0}, {0x103BE, 0}, {0x1011D, 0}, {0x10187, 0},
                                            {0x1018D, 0}, {0x1012C, 0}, {0x10128, 0}, {0x10129, 0}}));

    host.SetNumber(895, 0);
    host.SetNumber(896, 2);
    host.SetNumber(560, 0.5);
    host.SetNumber(570, 1);
    host.Connect();
    EXPECT_EQ(host.TakeEvents(),
              (EventList{{0x1011C, 0}, {0x1017F, 0}, {0x1011D, 0}, {0x103BF, 0}, {0x10180, 0},
                         {0x10187, 0}, {0x1018D, 0}, {0x1012C, 0}, {0x10128, 0}, {0x10129, 0}}));
}

TEST_F(ShutDownTest, NotANumberCountsAsNotPositive) {
    host.SetNumber(onGround, 1);
    host.SetNumber(895, std::nan(""));
    host.SetNumber(570, std::nan(""));
    host.Connect();
    EXPECT_EQ(host.TakeEvents(), coldAndDark);
}

TEST_F(ShutDownTest, EveryConnectRepeatsTheSequence) {
    host.SetNumber(onGround, 1);
    host.Connect();
    nav2Power = 1;
    aviacRightPosition = 4;
    host.Connect();
    host.Connect();
    EventList three;
    for (int i = 0; i < 3; ++i) three.insert(three.end(), coldAndDark.begin(), coldAndDark.end());
    EXPECT_EQ(host.TakeEvents(), three);
    EXPECT_TRUE(RadiosAndSelectorsOff());
}

TEST_F(ShutDownTest, GeneratorsAndRadioAltimeterKeepTheirState) {
    leftGenMain = 0;
    rightGenExcitation = 0;
    host.SetNumber(onGround, 1);
    host.Connect();
    EXPECT_EQ(leftGenExcitation, 1);
    EXPECT_EQ(leftGenMain, 0);
    EXPECT_EQ(rightGenExcitation, 0);
    EXPECT_EQ(rightGenMain, 1);
    EXPECT_EQ(radaltPower, 1);
}

TEST_F(ShutDownTest, OnlyTheConnectNotificationActs) {
    host.SetNumber(onGround, 1);
    host.Frame(3);
    host.SendService(PANEL_SERVICE_PANEL_OPEN);
    ASSERT_TRUE(host.Reinstall("Shut_Down"));
    EXPECT_EQ(host.TakeEvents(), EventList{});
    EXPECT_EQ(nav1Power, 1);
    EXPECT_EQ(host.Value("Shut_Down", 1), 0.0);
}

}  // namespace
