// Hit-testing of mouse rectangles: nested groups, boxes relative to the
// enclosing group, list order, the events an area asks for, and what mouse
// routines receive.
#include <gtest/gtest.h>

#include <vector>

#include "host/core/mouse_capture.h"
#include "tests/host/test_support.h"

namespace {

struct MouseCall {
    SINT32 x, y;
    UINT32 bits;
    GAUGEHDR* gauge;
    MOUSERECT* rect;
};
std::vector<MouseCall> calls;

SINT32 FSAPI RecordMouse(MOUSECALLBACK_POINT* point, UINT32 bits) {
    calls.push_back({point->x, point->y, bits, point->gauge, point->rect});
    return 0;
}

constexpr UINT32 knob = MOUSE_LEFTSINGLE | MOUSE_DOWN_REPEAT;
constexpr UINT32 lever = MOUSE_LEFTSINGLE | MOUSE_RIGHTSINGLE | MOUSE_LEFTRELEASE | MOUSE_LEFTDRAG;

MOUSERECT nestedMouse[] = {
    MouseGauge(0xA700),                                              //  0 whole gauge
    MouseTooltipText("Nested groups"),                               //  1
    MouseRoutine(10, 10, 20, 20, CURSOR_HAND, knob, RecordMouse),    //  2 (10,10)-(30,30)
    MouseParent(100, 50, 60, 40),                                    //  3 group at (100,50)
    MouseEvent(5, 5, 10, 10, CURSOR_HAND, MOUSE_LEFTSINGLE, 0x10010),  //  4 (105,55)-(115,65)
    MouseParent(20, 10, 30, 20),                                     //  5 group at (120,60)
    MouseRoutine(0, 0, 10, 10, CURSOR_HAND, lever, RecordMouse),     //  6 (120,60)-(130,70)
    MouseParent(0, 0, 0, 0),                                         //  7 the whole enclosing group
    MouseEvent(12, 2, 5, 5, CURSOR_UPARROW, MOUSE_LEFTSINGLE, 0x10020),  //  8 (132,62)-(137,67)
    MouseEndParent(),                                                //  9
    MouseEndParent(),                                                // 10 back in (100,50)
    MouseEvent(0, 0, 10, 10, CURSOR_HAND, MOUSE_LEFTSINGLE, 0x10030),  // 11 (100,50)-(110,60)
    MouseEndParent(),                                                // 12 back in the gauge
    MouseEvent(0, 0, 5, 5, CURSOR_HAND, MOUSE_RIGHTSINGLE, 0x10040),   // 13 (0,0)-(5,5)
    MouseEvent(0, 0, 50, 50, CURSOR_HAND, MOUSE_LEFTSINGLE, 0x10050),  // 14 (0,0)-(50,50)
    MouseEnd(),
};

ELEMENT_STATIC_IMAGE plate = {.header = ElementHeader(ELEMENT_TYPE_STATIC_IMAGE, 1, {0, 0}, nullptr,
                                                      nullptr, 0x3)};
ELEMENT_HEADER* plateList[] = {&plate.header, nullptr};

}  // namespace

GAUGEHDR MouseTestGauge = TestGauge("Mouse_Test", plateList, nestedMouse);

namespace {

using panelhost::Button;
using panelhost::EventList;

class MouseTest : public ::testing::Test {
protected:
    TestModule<1> module{{&MouseTestGauge}};
    panelhost::Host host;
    void SetUp() override {
        ASSERT_TRUE(module.AttachTo(host));
        ASSERT_TRUE(host.Place("Mouse_Test", "M"));
        calls.clear();
    }
    EventList Click(int x, int y, Button button = Button::Left) {
        host.Click("M", x, y, button);
        return host.TakeEvents();
    }
};

TEST_F(MouseTest, AreasRelativeToNestedGroups) {
    EXPECT_EQ(Click(107, 57), (EventList{{0x10010, 0}}));   // first in list order of two
    EXPECT_EQ(Click(101, 51), (EventList{{0x10030, 0}}));   // only the later one
    EXPECT_EQ(Click(133, 63), (EventList{{0x10020, 0}}));   // whole-group group inside a group
    EXPECT_EQ(Click(40, 40), (EventList{{0x10050, 0}}));    // after the groups closed
    EXPECT_EQ(Click(136, 66), (EventList{{0x10020, 0}}));
    EXPECT_EQ(Click(137, 67), EventList{});                 // right and bottom edges are outside
    EXPECT_EQ(Click(300, 300), EventList{});
    EXPECT_TRUE(calls.empty());
}

TEST_F(MouseTest, RoutineReceivesPointRelativeToItsArea) {
    EXPECT_TRUE(host.Click("M", 15, 20));
    EXPECT_TRUE(host.Click("M", 125, 65, Button::Right));
    ASSERT_EQ(calls.size(), 2u);
    GAUGEHDR* header = host.Header("M");
    EXPECT_EQ(calls[0].x, 5);
    EXPECT_EQ(calls[0].y, 10);
    EXPECT_EQ(calls[0].bits, MOUSE_LEFTSINGLE);
    EXPECT_EQ(calls[0].gauge, header);
    EXPECT_EQ(calls[0].rect, &header->mouse_rect[2]);  // the instance's copy
    EXPECT_NE(calls[0].rect, &nestedMouse[2]);
    EXPECT_EQ(calls[1].rect->relative_box_size.y, 10);
    EXPECT_EQ(calls[1].x, 5);
    EXPECT_EQ(calls[1].y, 5);
    EXPECT_EQ(calls[1].bits, MOUSE_RIGHTSINGLE);
}

TEST_F(MouseTest, FirstContainingAreaTakesOnlyWhatItAsksFor) {
    // Area 13 holds the point but asks for the right button only; the larger
    // area behind it does not get the left click.
    EXPECT_FALSE(host.Click("M", 2, 2));
    EXPECT_EQ(host.TakeEvents(), EventList{});
    EXPECT_EQ(Click(2, 2, Button::Right), (EventList{{0x10040, 0}}));
    EXPECT_FALSE(host.Release("M", 107, 57));
    EXPECT_FALSE(host.Drag("M", 15, 15));
    EXPECT_TRUE(calls.empty());
}

TEST_F(MouseTest, HeldRepeatsReleaseAndDrag) {
    EXPECT_TRUE(host.Hold("M", 15, 15, 3));
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0].bits, MOUSE_LEFTSINGLE);
    for (int i = 1; i < 4; ++i) EXPECT_EQ(calls[i].bits, MOUSE_LEFTSINGLE | MOUSE_DOWN_REPEAT);

    // No repeat flag: the press alone.
    host.Hold("M", 107, 57, 5);
    EXPECT_EQ(host.TakeEvents(), (EventList{{0x10010, 0}}));

    // That area does not ask for the release; once the button is up, a
    // release or drag goes to the area under the pointer.
    EXPECT_FALSE(host.Release("M", 107, 57));
    calls.clear();
    EXPECT_TRUE(host.Release("M", 121, 61));
    EXPECT_TRUE(host.Drag("M", 128, 69));
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].bits, MOUSE_LEFTRELEASE);
    EXPECT_EQ(calls[1].bits, MOUSE_LEFTDRAG);
    EXPECT_EQ(calls[1].x, 8);
    EXPECT_EQ(calls[1].y, 9);
}

TEST_F(MouseTest, PressedAreaKeepsTheDragAndReleaseWhereverThePointerGoes) {
    ASSERT_TRUE(host.Click("M", 121, 61));
    calls.clear();
    // Far outside the pressed area, even over another gauge area: the drag
    // still reaches the pressed one, with the point relative to its box.
    EXPECT_TRUE(host.Drag("M", 200, 100));
    EXPECT_TRUE(host.Drag("M", 15, 15));
    EXPECT_TRUE(host.Release("M", 300, 300));
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].bits, MOUSE_LEFTDRAG);
    EXPECT_EQ(calls[0].x, 200 - 120);
    EXPECT_EQ(calls[0].y, 100 - 60);
    EXPECT_EQ(calls[1].x, 15 - 120);
    EXPECT_EQ(calls[1].rect, calls[0].rect);
    EXPECT_EQ(calls[2].bits, MOUSE_LEFTRELEASE);
    EXPECT_EQ(calls[2].rect, calls[0].rect);
    // The release ended the press: the next drag is hit-tested again.
    calls.clear();
    EXPECT_FALSE(host.Drag("M", 15, 15));  // the knob there takes no drags
    EXPECT_TRUE(host.Drag("M", 125, 65));
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].x, 5);
    EXPECT_EQ(calls[0].y, 5);
}

TEST_F(MouseTest, APressEndsWithItsGauge) {
    // A gauge killed, or a module reloaded, while its area is pressed: the
    // gauge placed afresh under the same name was never pressed, so drags and
    // the release far from every lever reach nothing.
    ASSERT_TRUE(host.Click("M", 121, 61));
    ASSERT_TRUE(host.Kill("M"));
    ASSERT_TRUE(host.Place("Mouse_Test", "M"));
    calls.clear();
    EXPECT_FALSE(host.Drag("M", 200, 100));
    EXPECT_FALSE(host.Release("M", 300, 300));

    ASSERT_TRUE(host.Click("M", 121, 61));
    ASSERT_TRUE(host.Reload());
    ASSERT_TRUE(host.Place("Mouse_Test", "M"));
    calls.clear();
    EXPECT_FALSE(host.Drag("M", 200, 100));
    EXPECT_FALSE(host.Release("M", 300, 300));
    EXPECT_TRUE(calls.empty());
}

TEST_F(MouseTest, InstancesHaveTheirOwnRectangles) {
    ASSERT_TRUE(host.Place("Mouse_Test", "M2"));
    host.Header("M2")->mouse_rect[4].event_id = 0x10099;
    EXPECT_EQ(Click(107, 57), (EventList{{0x10010, 0}}));
    host.Click("M2", 107, 57);
    EXPECT_EQ(host.TakeEvents(), (EventList{{0x10099, 0}}));
    EXPECT_EQ(nestedMouse[4].event_id, 0x10010u);
    EXPECT_FALSE(host.Click("nobody", 107, 57));
}

// Group offsets that add up past the 32-bit range: the far area lies where
// its records put it, not wrapped round onto the gauge.
MOUSERECT farMouse[] = {
    MouseGauge(),
    MouseParent(INT32_MAX - 5, INT32_MIN + 5, 10, 10),
    MouseRoutine(INT32_MAX, INT32_MIN, 10, 10, CURSOR_HAND, lever, RecordMouse),
    MouseEndParent(),
    MouseEvent(0, 0, 10, 10, CURSOR_HAND, MOUSE_LEFTSINGLE, 0x10060),
    MouseRoutine(INT32_MIN + 1, INT32_MIN + 1, 10, 10, CURSOR_HAND, lever, RecordMouse),
    MouseEnd(),
};

}  // namespace

GAUGEHDR FarMouseGauge = TestGauge("Far_Mouse", plateList, farMouse);

namespace {

TEST(MouseFar, BoxesBeyondTheIntegerRange) {
    TestModule<1> module{{&FarMouseGauge}};
    panelhost::Host host;
    ASSERT_TRUE(module.AttachTo(host));
    ASSERT_TRUE(host.Place("Far_Mouse", "F"));
    calls.clear();
    host.Click("F", 1, 6);
    EXPECT_EQ(host.TakeEvents(), (EventList{{0x10060, 0}}));
    // A press on the area near the lower end, dragged to the far side: the
    // point relative to the area stops at the largest number it can hold.
    ASSERT_TRUE(host.Click("F", INT32_MIN + 2, INT32_MIN + 3));
    ASSERT_TRUE(host.Drag("F", INT32_MAX, 0));
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].x, 1);
    EXPECT_EQ(calls[0].y, 2);
    EXPECT_EQ(calls[1].x, INT32_MAX);
    EXPECT_EQ(calls[1].y, INT32_MAX);
    host.Unload();
}

// The walk that clicks, the page's cursors and its tooltips share: every
// area once, in list order, in gauge pixels, with the tooltip of its group
// (one set inside a group lasts until the group closes), stopping where the
// visitor says.
MOUSERECT tooltipMouse[] = {
    MouseGauge(),                                                       // 0
    MouseTooltipText("Outer"),                                          // 1
    MouseEvent(0, 0, 5, 5, CURSOR_HAND, MOUSE_LEFTSINGLE, 0x10070),     // 2 (0,0) outer tip
    MouseParent(10, 10, 20, 20),                                        // 3 group at (10,10)
    MouseEvent(1, 1, 2, 2, CURSOR_UPARROW, MOUSE_LEFTSINGLE, 0x10071),  // 4 (11,11) outer tip
    MouseTooltipText("Inner"),                                          // 5
    MouseParent(0, 0, 0, 0),                                            // 6 the whole group
    MouseEvent(3, 3, 2, 2, CURSOR_HAND, MOUSE_LEFTSINGLE, 0x10072),     // 7 (13,13) inner tip
    MouseEndParent(),                                                   // 8
    MouseEndParent(),                                                   // 9
    MouseEvent(40, 40, 5, 5, CURSOR_HAND, MOUSE_LEFTSINGLE, 0x10073),   // 10 (40,40) outer tip
    MouseEndParent(),
    MouseEnd(),
};

TEST(MouseWalk, EveryAreaWithItsBoxAndItsGroupsTooltip) {
    struct Seen {
        long long index, x, y, w, h, tooltip;
        bool operator==(const Seen&) const = default;
    };
    std::vector<Seen> seen;
    const panelhost::MouseHit none = panelhost::WalkMouseAreas(tooltipMouse, [&](const panelhost::MouseHit& area) {
        seen.push_back({area.rect - tooltipMouse, area.box.x, area.box.y, area.box.w, area.box.h,
                        area.tooltip ? area.tooltip - tooltipMouse : -1});
        return false;
    });
    EXPECT_EQ(none.rect, nullptr);
    EXPECT_EQ(seen, (std::vector<Seen>{{2, 0, 0, 5, 5, 1}, {4, 11, 11, 2, 2, 1}, {7, 13, 13, 2, 2, 5},
                                       {10, 40, 40, 5, 5, 1}}));
    const panelhost::MouseHit found = panelhost::WalkMouseAreas(
        tooltipMouse, [](const panelhost::MouseHit& area) { return area.box.Contains(14, 14); });
    EXPECT_EQ(found.rect, &tooltipMouse[7]);
    EXPECT_EQ(panelhost::WalkMouseAreas(nullptr, [](const panelhost::MouseHit&) { return true; }).rect, nullptr);
}

}  // namespace
