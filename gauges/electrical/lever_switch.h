// Lever switches and lamps as rows: a plate with one icon on it (a lever, a
// handle or a lamp) whose picture follows a token or the module's own state,
// an optional click area, tooltips, and an optional click sound of the
// sounding-switch kind. A gauge family lists its members in a table of
// LeverSwitchRow and builds each with LeverSwitch<table, &Gauge>::Header().
#pragma once

#include <array>
#include <cstddef>

#include "gauges/electrical/sounding_switch.h"
#include "module/gauge_builders.h"
#include "module/host_services.h"

struct LeverSwitchRow;

// What a click does: the member's row and its click sound at hand.
using LeverAction = void (*)(const LeverSwitchRow& row, SoundingSwitchSound& sound);

struct ClickBox {
    SINT32 x{}, y{}, w{}, h{};
};

struct LeverSwitchRow {
    GAUGEHDR* gauge{};
    const char* name{};
    UINT32 sizeMm{};
    SINT32 plate{};
    // The icon on the plate, a lever, handle or lamp: its images (indicator,
    // indicator + 1, ... one per picture), where it stands, how it is drawn.
    SINT32 indicator{};
    PIXPOINT indicatorAt{};
    SINT32 pictures = 2;
    UINT32 indicatorFlags = IMAGE_PLATE;
    FAILURE_RECORD* failures{};     // of the lever or lamp
    SimToken token{};               // the lever's source token, tokenNone for none
    ICON_UPDATE_CALLBACK indicatorValue{};
    ClickBox click{};               // no click area when its width is 0
    KeyEvent events[2]{};           // sent in order by the plain click; keyNone = none
    LeverAction action{};           // null: send the events, then click
    HelpId help{};                  // of the gauge's group
    HelpId tooltip{};               // a tooltip entry naming a host text, or
    const char* tooltipText{};      // one with a text of its own
    Wave wave{};                    // waveNone: no sound and no gauge routine
};

// The plain click: the row's events in order, then the click sound. No state
// of its own: the lever moves when the simulator changes the token.
inline void SendEventsThenClick(const LeverSwitchRow& row, SoundingSwitchSound& sound) {
    for (KeyEvent event : row.events) {
        if (event != keyNone) TriggerKeyEvent(event, 0);
    }
    SoundingSwitchClick(sound);
}

// One member's records and routines, built from its row of Rows.
template <const auto& Rows, GAUGEHDR* Gauge>
struct LeverSwitch {
    static constexpr std::size_t index = GaugeRowIndex(Rows, Gauge);
    static_assert(index < std::size(Rows), "a lever switch needs its row in the table");
    static constexpr const LeverSwitchRow& row = Rows[index];

    static inline SoundingSwitchSound sound{.waveId = row.wave};

    static constexpr LeverAction action = row.action ? row.action : SendEventsThenClick;

    static SINT32 FSAPI Click(MOUSECALLBACK_POINT*, UINT32) {
        action(row, sound);
        return 0;
    }

    static inline ELEMENT_ICON indicator = Icon(row.indicator, row.indicatorAt, Gauge, nullptr, row.indicatorFlags,
                                                row.token, row.pictures, row.indicatorValue, row.failures);
    static inline ELEMENT_STATIC_IMAGE plate = StaticImage(row.plate, Gauge, listOf<indicator>, IMAGE_PLATE);

    // The group with its help; a member with neither tooltip nor click area
    // stops there. Otherwise its tooltip, the click area if any, the group's
    // end and the list's end; unused entries stay end-of-list records.
    static constexpr std::size_t mouseSlots = 6;
    static constexpr std::array<MOUSERECT, mouseSlots> MouseList() {
        std::array<MOUSERECT, mouseSlots> list{};
        std::size_t n = 0;
        list[n++] = MouseGauge(row.help);
        if (row.click.w == 0 && row.tooltip == helpNone && !row.tooltipText) return list;
        if (row.tooltip != helpNone) list[n++] = MouseTooltipId(row.tooltip);
        if (row.tooltipText) list[n++] = MouseTooltipText(row.tooltipText);
        if (row.click.w != 0) {
            list[n++] = MouseRoutine(row.click.x, row.click.y, row.click.w, row.click.h,
                                     CURSOR_HAND, MOUSE_LEFTSINGLE, Click);
        }
        list[n++] = MouseEndParent();
        list[n++] = MouseEnd();
        return list;
    }
    static inline constinit std::array<MOUSERECT, mouseSlots> mouse = MouseList();

    // Sound set-up at install, release at kill.
    static void FSAPI Routine(GAUGEHDR* gauge, SINT32 serviceId, UINT32 extraData) {
        SoundingSwitchService(sound, gauge, serviceId, extraData);
    }

    static constexpr GAUGEHDR Header() {
        return GaugeHeader(row.name, listOf<plate>, row.sizeMm, mouse.data(),
                           row.wave != waveNone ? Routine : nullptr);
    }
};
