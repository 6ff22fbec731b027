// Parameter keywords and the engine rewrite of engine gauges, the rewrite
// checked on the records of placed instances.
#include <gtest/gtest.h>

#include <cstring>

#include "module/parameters.h"
#include "tests/host/test_support.h"

namespace {

TEST(FindParameterKeyword, CommentCharactersHideWhatFollows) {
    const char* text = "o50 # t75";
    EXPECT_EQ(FindParameterKeyword(text, "o"), text);
    EXPECT_EQ(FindParameterKeyword(text, "t"), nullptr);
    EXPECT_EQ(FindParameterKeyword("'o50 t75", "o"), nullptr);
    EXPECT_EQ(FindParameterKeyword("'o50 t75", "t"), nullptr);
    EXPECT_EQ(FindParameterKeyword("b130 / h43000", "h"), nullptr);
    const char* late = "b130 h43000 // note";
    EXPECT_EQ(FindParameterKeyword(late, "h"), late + 5);
}

TEST(FindParameterKeyword, ExactCaseSensitiveMatchAndMissingText) {
    EXPECT_EQ(FindParameterKeyword("O50", "o"), nullptr);
    const char* text = "xs";
    EXPECT_EQ(FindParameterKeyword(text, "s"), text + 1);
    EXPECT_EQ(FindParameterKeyword(nullptr, "s"), nullptr);
    EXPECT_EQ(FindParameterKeyword("", "s"), nullptr);
    EXPECT_EQ(FindParameterKeyword("s", nullptr), nullptr);
}

TEST(EngineFromParameters, DigitsInOrderOutsideComments) {
    EXPECT_EQ(EngineFromParameters(nullptr), 1);
    EXPECT_EQ(EngineFromParameters(""), 1);
    EXPECT_EQ(EngineFromParameters("12"), 1);
    EXPECT_EQ(EngineFromParameters("3"), 3);
    EXPECT_EQ(EngineFromParameters("engine 4"), 4);
    EXPECT_EQ(EngineFromParameters("#2"), 1);
    EXPECT_EQ(EngineFromParameters("2 # 1"), 2);
}

}  // namespace

// An engine gauge built for engine 1 with a token of every kind, nested
// elements, key-event areas and tooltips.
extern GAUGEHDR EngineTestGauge;

namespace {

ELEMENT_NEEDLE rpmNeedle = {
    .header = ElementHeader(ELEMENT_TYPE_NEEDLE, 11, {50, 50}, &EngineTestGauge, nullptr, 0x83),
    .source_var = Token(390),
};
ELEMENT_ICON pressureLamp = {
    .header = ElementHeader(ELEMENT_TYPE_ICON, 12, {0, 0}, &EngineTestGauge, nullptr, 0x3),
    .source_var = Token(391),
    .picture_count = 2,
};
ELEMENT_STRING fuelText = {
    .header = ElementHeader(ELEMENT_TYPE_STRING, -1, {0, 0}, &EngineTestGauge, nullptr, 0x3),
    .source_var = {Token(127), Token(0), Token(75)},
    .max_string_length = 8,
};
ELEMENT_SLIDER lever = {
    .header = ElementHeader(ELEMENT_TYPE_SLIDER, 13, {0, 0}, &EngineTestGauge, nullptr, 0x3),
    .source_var_x = Token(558),
    .source_var_y = Token(700),
};
ELEMENT_MOVING_IMAGE drum = {
    .header = ElementHeader(ELEMENT_TYPE_MOVING_IMAGE, 14, {0, 0}, &EngineTestGauge, nullptr, 0x3),
    .source_var_x = Token(732),
    .source_var_y = Token(5),
};
ELEMENT_SPRITE card = {
    .header = ElementHeader(ELEMENT_TYPE_SPRITE, 15, {0, 0}, &EngineTestGauge, nullptr, 0x3),
    .source_var_x = Token(624),
    .source_var_y = Token(761),
    .source_var_0 = Token(895),
};
ELEMENT_HEADER* dialParts[] = {&rpmNeedle.header, &pressureLamp.header, nullptr};
ELEMENT_STATIC_IMAGE dial = {
    .header = ElementHeader(ELEMENT_TYPE_STATIC_IMAGE, 10, {0, 0}, &EngineTestGauge, dialParts, 0x3),
};
ELEMENT_HEADER* engineElements[] = {&dial.header, &fuelText.header, &lever.header, &drum.header,
                                    &card.header, nullptr};

MOUSERECT engineMouse[] = {
    MouseParent(0, 0, 0, 0, 12817),
    MouseEvent(0, 0, 10, 10, CURSOR_HAND, MOUSE_LEFTSINGLE, 0x1011C),
    MouseEvent(10, 0, 10, 10, CURSOR_HAND, MOUSE_LEFTSINGLE, 0x10187),
    MouseEvent(20, 0, 10, 10, CURSOR_HAND, MOUSE_LEFTSINGLE, 0x10000),
    MouseTooltipId(12817),
    MOUSERECT{.rect_type = MOUSE_RECT_USER, .relative_box_pos = {12449, 13268}, .help_id = 0x3002},
    MouseEndParent(),
    MouseEnd(),
};

}  // namespace

GAUGEHDR EngineTestGauge = TestGauge("Engine_Test", engineElements, engineMouse, EngineGaugeRoutine);

namespace {

struct EngineRecords {
    SINT32 needle, icon, string0, string1, string2, sliderX, sliderY, movingX, movingY, spriteX,
        spriteY, sprite0;
    UINT32 event1, event2, event3, parentHelp, tooltipHelp, tooltipX, tooltipY, otherHelp;
    bool operator==(const EngineRecords&) const = default;
};

EngineRecords Read(const GAUGEHDR& header) {
    ELEMENT_HEADER** top = header.elements_list;
    ELEMENT_HEADER** parts = top[0]->next_element;
    const auto* needle = ElementAs<ELEMENT_NEEDLE>(parts[0]);
    const auto* icon = ElementAs<ELEMENT_ICON>(parts[1]);
    const auto* string = ElementAs<ELEMENT_STRING>(top[1]);
    const auto* slider = ElementAs<ELEMENT_SLIDER>(top[2]);
    const auto* moving = ElementAs<ELEMENT_MOVING_IMAGE>(top[3]);
    const auto* sprite = ElementAs<ELEMENT_SPRITE>(top[4]);
    const MOUSERECT* m = header.mouse_rect;
    return {needle->source_var.id, icon->source_var.id, string->source_var[0].id,
            string->source_var[1].id, string->source_var[2].id, slider->source_var_x.id,
            slider->source_var_y.id, moving->source_var_x.id, moving->source_var_y.id,
            sprite->source_var_x.id, sprite->source_var_y.id, sprite->source_var_0.id,
            m[1].event_id, m[2].event_id, m[3].event_id, m[0].help_id, m[4].help_id,
            static_cast<UINT32>(m[5].relative_box_pos.x), static_cast<UINT32>(m[5].relative_box_pos.y),
            m[5].help_id};
}

const EngineRecords engine1 = {390, 391, 127, 0, 75, 558, 700, 732, 5, 624, 761, 895,
                               0x1011C, 0x10187, 0x10000, 12817, 12817, 12449, 13268, 0x3002};

class EngineRewriteTest : public ::testing::Test {
protected:
    TestModule<1> module{{&EngineTestGauge}};
    panelhost::Host host;
    void SetUp() override { ASSERT_TRUE(module.AttachTo(host)); }
};

TEST_F(EngineRewriteTest, EachInstanceMovesToItsEngine) {
    ASSERT_TRUE(host.Place("Engine_Test", "E1"));
    ASSERT_TRUE(host.Place("Engine_Test", "E2", "2"));
    ASSERT_TRUE(host.Place("Engine_Test", "E3", "3"));
    ASSERT_TRUE(host.Place("Engine_Test", "E4", "engine 4 # 1"));

    EXPECT_EQ(Read(*host.Header("E1")), engine1);
    const EngineRecords engine2 = {429, 430, 162, 0, 75, 568, 708, 734, 5, 643, 763, 896,
                                   0x1011D, 0x1018D, 0x10000, 12817, 12818, 12450, 13269, 0x3002};
    EXPECT_EQ(Read(*host.Header("E2")), engine2);
    const EngineRecords engine3 = {468, 469, 197, 0, 75, 578, 716, 736, 5, 662, 765, 897,
                                   0x1011E, 0x10193, 0x10000, 12817, 12819, 12451, 13270, 0x3002};
    EXPECT_EQ(Read(*host.Header("E3")), engine3);
    EXPECT_EQ(Read(*host.Header("E4")).needle, 507);

    // The module's own records stay as built for engine 1.
    EXPECT_EQ(Read(EngineTestGauge), engine1);
}

TEST_F(EngineRewriteTest, RewrittenTokensAndEventsAreWhatTheHostUses) {
    ASSERT_TRUE(host.Place("Engine_Test", "E2", "2"));
    host.SetNumber(390, 1000);
    host.SetNumber(429, 2400);
    host.Frame();
    EXPECT_EQ(host.Value("E2", 2), 2400);
    EXPECT_TRUE(host.Click("E2", 12, 5));
    EXPECT_EQ(host.TakeEvents(), (panelhost::EventList{{0x1018D, 0}}));
}

TEST_F(EngineRewriteTest, OnlyPreInstallRewrites) {
    ASSERT_TRUE(host.Place("Engine_Test", "E2", "2"));
    host.Connect();
    host.Frame(2);
    host.SendService(PANEL_SERVICE_POST_INSTALL);
    EXPECT_EQ(Read(*host.Header("E2")).needle, 429);
    // Installing the same instance again moves nothing further: the moved
    // numbers lie outside every engine-1 block.
    ASSERT_TRUE(host.Reinstall("E2"));
    EXPECT_EQ(Read(*host.Header("E2")).needle, 429);
    EXPECT_EQ(Read(*host.Header("E2")).event2, 0x1018Du);
    EngineGaugeRoutine(nullptr, PANEL_SERVICE_PRE_INSTALL, 0);
}

TEST_F(EngineRewriteTest, GaugeWithoutElementsOrMouse) {
    GAUGEHDR bare = TestGauge("Bare", nullptr, nullptr, EngineGaugeRoutine);
    char params[] = "2";
    bare.parameters = params;
    EngineGaugeRoutine(&bare, PANEL_SERVICE_PRE_INSTALL, 0);
    ELEMENT_HEADER* none[] = {nullptr};
    bare.elements_list = none;
    EngineGaugeRoutine(&bare, PANEL_SERVICE_PRE_INSTALL, 0);
    SUCCEED();
}

}  // namespace
