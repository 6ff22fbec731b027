// Windows on the screen: sizes from size_mm against the main panel, from
// window_size, corners from position and window_pos, and the stacking.
#include <gtest/gtest.h>

#include "host/panel_config.h"
#include "host/screen_layout.h"

namespace {

using namespace panelhost;

TEST(ScreenLayout, PlacesWindowsAsTheSimulatorShowsThem) {
    const PanelConfig config = ParsePanelConfig(
        "[Window00]\nsize_mm=1600,600\nposition=7\nident=MAIN_PANEL\nzorder=1\n"
        "[Window01]\nsize_mm=400,300\nposition=8\nzorder=5\n"
        "[Window02]\nwindow_pos=0.25,0.1\nwindow_size=0.5,0.2\n"
        "[Window03]\nfile=gps.bmp\nsize_mm=400\nvisible=0\nident=GPS_PANEL\n"
        "[Window04]\nsize_mm=800,4000\nposition=4\n"
        "[Vcockpit01]\nsize_mm=1024,1024\npixel_size=1024,1024\n",
        "screen.cfg");
    ASSERT_TRUE(config.errors.empty()) << config.errors[0];
    const auto pictures = [](const PanelWindow&) { return std::optional<PictureSize>(PictureSize{200, 100}); };
    const ScreenLayout layout = LayOutScreen(config, {800, 600}, {"gps_panel", "Window99"}, pictures);
    ASSERT_EQ(layout.windows.size(), 5u);
    EXPECT_EQ(layout.unknown, std::vector<std::string>{"Window99"});

    const auto at = [&](std::string_view section) {
        for (const ScreenWindow& placed : layout.windows) {
            if (placed.window->section == section) return placed;
        }
        ADD_FAILURE() << section << " not placed";
        return ScreenWindow{};
    };
    // The main panel spans the screen's width at the bottom: half a pixel per unit.
    const ScreenWindow main = at("Window00");
    EXPECT_DOUBLE_EQ(main.width, 800);
    EXPECT_DOUBLE_EQ(main.height, 300);
    EXPECT_DOUBLE_EQ(main.y, 300);
    const ScreenWindow corner = at("Window01");
    EXPECT_DOUBLE_EQ(corner.x, 600);
    EXPECT_DOUBLE_EQ(corner.y, 450);
    const ScreenWindow fractions = at("Window02");
    EXPECT_DOUBLE_EQ(fractions.x, 200);
    EXPECT_DOUBLE_EQ(fractions.y, 60);
    EXPECT_DOUBLE_EQ(fractions.width, 400);
    EXPECT_DOUBLE_EQ(fractions.height, 120);
    // Hidden but asked for, its height from the picture's aspect.
    const ScreenWindow width = at("Window03");
    EXPECT_DOUBLE_EQ(width.width, 200);
    EXPECT_DOUBLE_EQ(width.height, 100);
    // Too tall for the screen: shrunk to fit, centred.
    const ScreenWindow tall = at("Window04");
    EXPECT_DOUBLE_EQ(tall.height, 600);
    EXPECT_DOUBLE_EQ(tall.width, 120);
    EXPECT_DOUBLE_EQ(tall.x, 340);

    // Stacked by zorder, file order among equals.
    std::vector<std::string> order;
    for (const ScreenWindow& placed : layout.windows) order.push_back(placed.window->section);
    EXPECT_EQ(order, (std::vector<std::string>{"Window02", "Window03", "Window04", "Window00", "Window01"}));
}

TEST(ScreenLayout, EmptyScreenOrConfigurationPlacesNothing) {
    const PanelConfig config = ParsePanelConfig("[Window00]\nsize_mm=100,100\n", "small.cfg");
    EXPECT_TRUE(LayOutScreen(config, {0, 600}).windows.empty());
    EXPECT_TRUE(LayOutScreen(ParsePanelConfig("", "empty.cfg"), {800, 600}).windows.empty());
    // Without size_mm nor a known picture: the main panel spans the screen.
    const ScreenLayout bare = LayOutScreen(ParsePanelConfig("[Window00]\n", "bare.cfg"), {800, 600});
    ASSERT_EQ(bare.windows.size(), 1u);
    EXPECT_DOUBLE_EQ(bare.windows[0].width, 800);
    EXPECT_DOUBLE_EQ(bare.windows[0].height, 600);
}

}  // namespace
