// Needle dials as rows: a dial face, one or two needles turning over it
// through their scale tables, and a cover (cap or glass) on top. A gauge
// family lists its dials in a table of NeedleDialRow, one row per gauge, and
// builds each gauge's records with NeedleDial<table, &Gauge>::Header().
//
// The records are those the host expects of such a dial: the face first;
// then, in drawing order, the needles and the cover as the face's next list,
// or (capOnNeedle) the needle with the cap as its own next list.
#pragma once

#include <array>
#include <cstddef>
#include <iterator>

#include "module/gauge_builders.h"

// The failures of most instrument needles: an engine failure leaves them
// alone; losing panel power drops them to zero.
inline FAILURE_RECORD instrumentNeedleFailures[] = {
    {.key = FAIL_SYSTEM_ENGINE, .action = FAIL_ACTION_NONE},
    {.key = FAIL_SYSTEM_ELECTRICAL_PANELS, .action = FAIL_ACTION_ZERO},
    {.key = FAIL_NONE},
};

// One needle of a dial.
struct DialNeedle {
    SINT32 bitmap{};                // 0: no needle in this slot
    PIXPOINT position{};            // where it turns on the face
    PIXPOINT pivot{};               // the turning point inside its bitmap
    SimToken token{};
    NeedleScale scale{};
    NEEDLE_UPDATE_CALLBACK value{};  // null: the token as delivered
};

struct NeedleDialRow {
    GAUGEHDR* gauge{};
    const char* name{};
    UINT32 sizeMm{};
    SINT32 face{};
    SINT32 cover{};
    bool capOnNeedle{};             // the cap rides on the needle's next list
    DialNeedle needles[2]{};        // in drawing order; twin dials draw engine 2 first
    FAILURE_RECORD* failures = instrumentNeedleFailures;  // shared by its needles
    HelpId help{};
    HelpId tooltip{};               // a tooltip entry naming a host text, or
    const char* tooltipText{};      // one with a text of its own
    bool closeGroup{};              // the mouse group is closed before the list ends
    MOUSERECT* mouse{};             // a mouse list of its own instead of the above
    GAUGE_CALLBACK routine{};
};

// One dial's records, built from its row of Rows.
template <const auto& Rows, GAUGEHDR* Gauge>
struct NeedleDial {
    static constexpr std::size_t index = GaugeRowIndex(Rows, Gauge);
    static_assert(index < std::size(Rows), "a needle dial needs its row in the table");
    static constexpr const NeedleDialRow& row = Rows[index];
    static constexpr std::size_t needleCount = row.needles[1].bitmap != 0 ? 2 : 1;

    static inline ELEMENT_STATIC_IMAGE cover = StaticImage(row.cover, Gauge, nullptr, IMAGE_PLATE);

    static constexpr ELEMENT_NEEDLE DialNeedleRecord(const DialNeedle& needle) {
        return Needle(needle.bitmap, needle.position, needle.pivot, Gauge,
                      row.capOnNeedle ? listOf<cover> : nullptr, IMAGE_NEEDLE, row.failures,
                      needle.token, needle.scale, needle.value);
    }
    static inline ELEMENT_NEEDLE needles[2] = {DialNeedleRecord(row.needles[0]),
                                               DialNeedleRecord(row.needles[1])};

    static constexpr std::array<ELEMENT_HEADER*, 4> FaceList() {
        std::array<ELEMENT_HEADER*, 4> list{};
        std::size_t n = 0;
        for (std::size_t i = 0; i < needleCount; ++i) list[n++] = &needles[i].header;
        if (!row.capOnNeedle) list[n++] = &cover.header;
        return list;
    }
    static inline constinit std::array<ELEMENT_HEADER*, 4> faceList = FaceList();
    static inline ELEMENT_STATIC_IMAGE face = StaticImage(row.face, Gauge, faceList.data(), IMAGE_DIAL);

    // Parent with the dial's help, its tooltip if any, the group's end if
    // the dial closes it, end of list.
    static constexpr std::array<MOUSERECT, 5> MouseList() {
        std::array<MOUSERECT, 5> list{};
        std::size_t n = 0;
        list[n++] = MouseGauge(row.help);
        if (row.tooltip != helpNone) list[n++] = MouseTooltipId(row.tooltip);
        if (row.tooltipText) list[n++] = MouseTooltipText(row.tooltipText);
        if (row.closeGroup) list[n++] = MouseEndParent();
        list[n++] = MouseEnd();
        return list;
    }
    static inline constinit std::array<MOUSERECT, 5> mouse = MouseList();

    static constexpr MOUSERECT* MouseOf(MOUSERECT* own) { return own ? own : mouse.data(); }

    static constexpr GAUGEHDR Header() {
        return GaugeHeader(row.name, listOf<face>, row.sizeMm, MouseOf(row.mouse), row.routine);
    }
};
