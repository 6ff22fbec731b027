// The live page's wire form: after the first frame a window sends only what
// changed, and nothing when nothing did.
#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "host/web/web_protocol.h"

namespace {

panelhost::WindowList Window(int needleX) {
    panelhost::WindowList list{.section = "Window00", .width = 1600, .height = 900, .items = {}};
    panelhost::PaintItem fill;
    fill.box = fill.clip = {0, 0, 1600, 900};
    fill.foreground = 0x3A3F45;
    list.items.push_back(fill);
    panelhost::PaintItem needle;
    needle.kind = panelhost::PaintKind::Bitmap;
    needle.bitmap = 430;
    needle.placement.x0 = needleX;
    needle.alias = "Window00.gauge05";
    list.items.push_back(needle);
    return list;
}

TEST(WebProtocol, SendsOnlyWhatChanged) {
    const panelhost::WindowList before = Window(10), moved = Window(12);
    EXPECT_TRUE(panelhost::WindowListChanges(before, before).is_null());

    const nlohmann::json change = panelhost::WindowListChanges(before, moved);
    ASSERT_EQ(change["set"].size(), 1u);
    EXPECT_EQ(change["set"][0][0], 1);
    EXPECT_EQ(change["set"][0][1]["i"], 430);
    EXPECT_EQ(change["set"][0][1]["p"][4], 12);
    EXPECT_EQ(change["n"], 2);

    // An item gone is told by the count alone.
    panelhost::WindowList shorter = before;
    shorter.items.pop_back();
    const nlohmann::json dropped = panelhost::WindowListChanges(before, shorter);
    EXPECT_EQ(dropped["n"], 1);
    EXPECT_TRUE(dropped["set"].empty());

    // A window of another size is sent whole.
    panelhost::WindowList larger = before;
    larger.width = 1920;
    EXPECT_EQ(panelhost::WindowListChanges(before, larger)["set"].size(), 2u);
}

TEST(WebProtocol, NumbersThatAreNotFiniteTravelAsZero) {
    panelhost::WindowList list = Window(0);
    list.items[1].placement.xx = std::numeric_limits<double>::quiet_NaN();
    list.items[1].placement.y0 = std::numeric_limits<double>::infinity();
    const std::string text = panelhost::WindowListJson(list).dump();
    EXPECT_EQ(text.find("null"), std::string::npos) << text;
    EXPECT_EQ(panelhost::WindowListJson(list)["set"][1][1]["p"][0], 0);
}

}  // namespace
