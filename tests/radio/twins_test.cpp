// The twin radios differ only where their rows say: help areas and ids of
// the mouse lists, checked on the records the host receives.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/core/panel_host.h"

namespace {

struct Group {
    UINT32 help{};
    PIXPOINT at{}, size{};
};

// The groups (kind 1) of a placed gauge's mouse list, in list order.
std::vector<Group> Groups(const panelhost::Host& host, const std::string& alias) {
    std::vector<Group> groups;
    const GAUGEHDR* header = host.Header(alias);
    if (!header || !header->mouse_rect) return groups;
    for (const MOUSERECT* rect = header->mouse_rect; rect->rect_type != MOUSE_RECT_EOL; ++rect) {
        if (rect->rect_type == MOUSE_RECT_PARENT) {
            groups.push_back({rect->help_id, rect->relative_box_pos, rect->relative_box_size});
        }
    }
    return groups;
}

class RadioTwins : public testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(host.Load(QR_MODULE_PATH, &error)) << error;
    }
    // The groups of GAUGE, placed under its own name.
    std::vector<Group> PlacedGroups(const std::string& gauge) {
        EXPECT_TRUE(host.Place(gauge)) << gauge;
        return Groups(host, gauge);
    }
    panelhost::Host host;
};

TEST_F(RadioTwins, Vor2LacksTheFlagsHelpAreaAndHasItsOwnIds) {
    const auto vor1 = PlacedGroups("VOR1");
    const auto vor2 = PlacedGroups("VOR2");
    ASSERT_EQ(vor1.size(), 4u);
    ASSERT_EQ(vor2.size(), 3u);
    EXPECT_EQ(vor1[1].help, 0xAB72u);
    EXPECT_EQ(vor1[2].help, 0xAB48u);
    EXPECT_EQ(vor1[2].at.x, 253);
    EXPECT_EQ(vor1[3].help, 0xAB73u);
    EXPECT_EQ(vor2[0].help, 0u);
    EXPECT_EQ(vor2[1].help, 0xAB74u);
    EXPECT_EQ(vor2[2].help, 0xAB75u);
    EXPECT_EQ(vor2[2].at.x, 3);
    EXPECT_EQ(vor2[2].at.y, 244);
}

TEST_F(RadioTwins, NavReceiversNameTheirOwnHelp) {
    const auto nav1 = PlacedGroups("Radio_NAV1");
    const auto nav2 = PlacedGroups("Radio_NAV2");
    ASSERT_EQ(nav1.size(), 4u);
    ASSERT_EQ(nav2.size(), 4u);
    const UINT32 nav1Ids[] = {0xA700, 0xA715, 0xA714, 0xA714};
    const UINT32 nav2Ids[] = {0xA702, 0xA717, 0xA716, 0xA716};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(nav1[i].help, nav1Ids[i]) << i;
        EXPECT_EQ(nav2[i].help, nav2Ids[i]) << i;
        EXPECT_EQ(nav1[i].at.x, nav2[i].at.x) << i;
    }
}

}  // namespace
