// What the hardening tests share: the clickable areas of a placed gauge in
// gauge pixels, and a walk over them that presses, holds, drags and
// releases the mouse on a grid of points in each.
#pragma once

#include <string>
#include <vector>

#include "host/core/panel_host.h"

namespace hardening {

struct Area {
    long long x{}, y{}, w{}, h{};
};

// Clickable areas of a mouse-rectangle list, as the host hit-tests them: a
// group opens a box relative to the enclosing one (0,0,0,0: the enclosing
// box itself), an area is relative to its group.
inline std::vector<Area> ClickableAreas(const MOUSERECT* list) {
    std::vector<Area> areas;
    if (!list) return areas;
    std::vector<Area> groups{Area{}};
    for (int i = 0; i < 1024 && list[i].rect_type != MOUSE_RECT_EOL; ++i) {
        const MOUSERECT& rect = list[i];
        const Area& group = groups.back();
        const Area box{group.x + rect.relative_box_pos.x, group.y + rect.relative_box_pos.y,
                       rect.relative_box_size.x, rect.relative_box_size.y};
        switch (rect.rect_type) {
        case MOUSE_RECT_PARENT:
            groups.push_back(box.x == group.x && box.y == group.y && box.w == 0 && box.h == 0 ? group : box);
            break;
        case MOUSE_RECT_END_PARENT:
            if (groups.size() > 1) groups.pop_back();
            break;
        case MOUSE_RECT_CHILD:
            areas.push_back(box);
            break;
        default:
            break;
        }
    }
    return areas;
}

// Every kind of mouse event on a 3 x 3 grid of points of every area: left
// and right clicks, a held press, a drag to the area's far corner and the
// release.
inline void Handle(panelhost::Host& host, const std::string& alias) {
    const GAUGEHDR* header = host.Header(alias);
    if (!header) return;
    for (const Area& area : ClickableAreas(header->mouse_rect)) {
        for (int j = 0; j < 3; ++j) {
            for (int i = 0; i < 3; ++i) {
                const int x = static_cast<int>(area.x + (area.w - 1) * i / 2);
                const int y = static_cast<int>(area.y + (area.h - 1) * j / 2);
                host.Click(alias, x, y, panelhost::Button::Left);
                host.Release(alias, x, y);
                host.Click(alias, x, y, panelhost::Button::Right);
                host.Hold(alias, x, y, 3);
                host.Drag(alias, static_cast<int>(area.x + area.w), static_cast<int>(area.y + area.h));
                host.Drag(alias, static_cast<int>(area.x - 1), static_cast<int>(area.y - 1));
                host.Release(alias, x, y);
            }
        }
    }
}

// "g" and the number: built by appending, which GCC 12 does not misread in
// optimised builds as it does "g" + text.
inline std::string NumberedAlias(long long number) {
    std::string alias = "g";
    alias += std::to_string(number);
    return alias;
}

// The gauges of the module's table, each header once (Flaps_Switch stands
// twice).
inline std::vector<panelhost::GaugeEntry> DistinctGauges(const panelhost::Host& host) {
    std::vector<panelhost::GaugeEntry> gauges;
    for (const panelhost::GaugeEntry& entry : host.Gauges()) {
        bool seen = false;
        for (const panelhost::GaugeEntry& kept : gauges) seen = seen || kept.header == entry.header;
        if (!seen) gauges.push_back(entry);
    }
    return gauges;
}

}  // namespace hardening
