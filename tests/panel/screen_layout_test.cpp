// Windows on the screen: sizes from size_mm against the main panel (scaled
// by window_size_ratio) or from window_size, corners from position or
// window_pos, stacked by zorder; windows of size 0 nowhere.
#include <gtest/gtest.h>

#include "host/panel/panel_config.h"
#include "host/panel/screen_layout.h"

namespace {

using namespace panelhost;

TEST(ScreenLayout, PlacesWindowsAsTheSimulatorShowsThem) {
    const PanelConfig config = ParsePanelConfig(
        "[Window00]\nsize_mm=1600,600\nposition=7\nident=MAIN_PANEL\nzorder=1\n"
        "[Window01]\nsize_mm=400,300\nposition=8\nzorder=5\n"
        "[Window02]\nwindow_pos=0.25,0.1\nwindow_size=0.5,0.2\n"
        "[Window03]\nfile=gps.bmp\nsize_mm=400\nvisible=0\nident=GPS_PANEL\n"
        "[Window04]\nsize_mm=800,4000\nposition=4\n"
        "[Window05]\nvisible=0\n"
        "[Window06]\nsize_mm=400,300\nwindow_size_ratio=0.5\nzorder=-1\n"
        "[Window07]\nsize_mm=200,100\nwindow_size=0.25\nident=MINIPANEL\nvisible=0\nzorder=9\n"
        "[Window08]\nsize_mm=0,0\n"
        "[Vcockpit01]\nsize_mm=1024,1024\npixel_size=1024,1024\n",
        "screen.cfg");
    ASSERT_FALSE(HasErrors(config.findings)) << FindingText(config.findings[0]);
    const auto pictures = [](const PanelWindow&) { return std::optional<PictureSize>(PictureSize{200, 100}); };
    const ScreenLayout layout =
        LayOutScreen(config, {800, 600}, {"gps_panel", "Window99", "minipanel"}, pictures);
    EXPECT_EQ(layout.unknown, std::vector<std::string>{"Window99"});

    struct Expected {
        std::string section;
        double x, y, width, height;
    };
    const std::vector<Expected> expected{
        {"Window06", 0, 0, 100, 75},      // half the size the main panel's scale gives it
        {"Window02", 200, 60, 400, 120},  // fractions of the screen
        {"Window03", 0, 0, 200, 100},     // hidden but asked for; height from its picture
        {"Window04", 340, 0, 120, 600},   // too tall: shrunk to fit, centred
        {"Window00", 0, 300, 800, 300},   // the main panel spans the width: half a pixel a unit
        {"Window01", 600, 450, 200, 150},
        {"Window07", 0, 0, 200, 100},     // a width alone: the height follows its aspect; shown by its ident's name
    };
    ASSERT_EQ(layout.windows.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const ScreenWindow& placed = layout.windows[i];
        EXPECT_EQ(placed.window->section, expected[i].section);
        EXPECT_DOUBLE_EQ(placed.x, expected[i].x) << expected[i].section;
        EXPECT_DOUBLE_EQ(placed.y, expected[i].y) << expected[i].section;
        EXPECT_DOUBLE_EQ(placed.width, expected[i].width) << expected[i].section;
        EXPECT_DOUBLE_EQ(placed.height, expected[i].height) << expected[i].section;
    }

    EXPECT_TRUE(LayOutScreen(config, {0, 600}).windows.empty());
    // Nothing known of its size: the main panel spans the screen.
    const ScreenLayout bare = LayOutScreen(ParsePanelConfig("[Window00]\n", "bare.cfg"), {800, 600});
    ASSERT_EQ(bare.windows.size(), 1u);
    EXPECT_DOUBLE_EQ(bare.windows[0].height, 600);
}

}  // namespace
