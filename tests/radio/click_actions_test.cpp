// The shared click routines, driven directly with a services table that
// records the events they send, and the text-window builder's face name.
#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "gauges/electrical/sounding_switch.h"
#include "module/click_actions.h"
#include "module/gauge_builders.h"

namespace {

std::vector<std::pair<UINT32, UINT32>> sent;
void FSAPI RecordEvent(UINT32 event, UINT32 value) { sent.emplace_back(event, value); }

bool allowed = false;
int guardCalls = 0;
bool Guard() {
    ++guardCalls;
    return allowed;
}

std::int32_t flag = 0;
SoundingSwitchSound silentClick{.waveId = 10};  // never installed: clicks silently

class ClickActions : public testing::Test {
protected:
    void SetUp() override {
        sent.clear();
        guardCalls = 0;
        services.trigger_key_event = RecordEvent;
        saved = ImportTable.panels.table;
        ImportTable.panels.table = &services;
    }
    void TearDown() override { ImportTable.panels.table = saved; }
    PANEL_SERVICES services{};
    PANEL_SERVICES* saved{};
};

TEST_F(ClickActions, GuardedStepSendsItsEventAndValueOnlyWhenTheGuardAllows) {
    constexpr MOUSE_FUNCTION step = GuardedStep<Guard, 0x10042, 7>;
    allowed = false;
    EXPECT_EQ(step(nullptr, MOUSE_LEFTSINGLE), 0);
    EXPECT_TRUE(sent.empty());
    allowed = true;
    EXPECT_EQ(step(nullptr, MOUSE_LEFTSINGLE), 0);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], std::make_pair(UINT32{0x10042}, UINT32{7}));
    EXPECT_EQ(guardCalls, 2);  // asked at every click, never cached
}

TEST_F(ClickActions, FlipFlagClickTurnsAnyOnValueOffAndOffOn) {
    constexpr MOUSE_FUNCTION click = FlipFlagClick<flag, silentClick>;
    for (const auto& [before, after] : {std::pair{0, 1}, std::pair{1, 0}, std::pair{-3, 0}, std::pair{42, 0}}) {
        flag = before;
        EXPECT_EQ(click(nullptr, MOUSE_LEFTSINGLE), 0);
        EXPECT_EQ(flag, after) << "from " << before;
    }
    EXPECT_TRUE(sent.empty());
}

// A face name longer than the record's field is cut and stays terminated;
// a short one is copied whole.
constexpr ELEMENT_STRING LongFace = String({}, nullptr, nullptr, IMAGE_LAMP, nullptr, {},
                                           {.font = "A face name far longer than the record can hold"}, nullptr);
static_assert(LongFace.font_name[FONT_FACE_SIZE - 2] != '\0' && LongFace.font_name[FONT_FACE_SIZE - 1] == '\0');
static_assert(String({}, nullptr, nullptr, IMAGE_LAMP, nullptr, {}, {.font = "Arial"}, nullptr).font_name[5] == '\0');

}  // namespace
