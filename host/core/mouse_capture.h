// The host's pointer over placed gauges: finds the mouse area under a point
// in a gauge's mouse list and delivers button events to it. The area a
// button was pressed on captures the press: drags and the release go to it,
// wherever the pointer has moved since, until the button comes up or the
// gauge is killed.
#pragma once

#include <functional>
#include <optional>

#include "host/core/element_state.h"

namespace panelhost {

class Instance;

// A box in gauge pixels; `whole` covers every point. 64-bit, so that group
// offsets added up from any records cannot overflow.
struct MouseBox {
    bool whole{true};
    long long x{}, y{}, w{}, h{};
    bool Contains(long long px, long long py) const {
        return whole || (px >= x && py >= y && px < x + w && py < y + h);
    }
};

// A clickable area (kind 2), its box in gauge pixels and the tooltip of its
// group: the last tooltip entry (kind 4) met in the group or, before one,
// in the groups around it; null when there is none.
struct MouseHit {
    MOUSERECT* rect{};
    MouseBox box;
    const MOUSERECT* tooltip{};
};

// A list without its end marker is read no further than this many entries.
inline constexpr int maxMouseRects = 10000;

// Walks a gauge's mouse list in order, the one reading of it that clicks,
// cursors and tooltips share: groups (kind 1) open a box relative to the
// enclosing group (0,0,0,0 is the whole enclosing group; the outermost box
// is the whole gauge) and kind 3 closes it; areas are relative to their
// group. Calls `visit` with every area until it returns true and gives that
// area back, else an empty one. Kinds the host does not know are passed over.
MouseHit WalkMouseAreas(MOUSERECT* list, const std::function<bool(const MouseHit&)>& visit);
// The same walk showing every entry: a group as it opens (its box) and as
// it closes, a tooltip entry (its group's box, the tooltip before it), an
// area. What the page needs to name groups as well as areas.
MouseHit WalkMouseList(MOUSERECT* list, const std::function<bool(const MouseHit&)>& visit);

class MouseCapture {
public:
    // Each returns true when an area took the event (asked for it); a null
    // instance takes nothing. Click presses the button on the area under the
    // point; Hold presses, then sends `repeats` repeat events while held.
    bool Click(KeySink& host, Instance* instance, int x, int y, Button button);
    bool Hold(KeySink& host, Instance* instance, int x, int y, int repeats, Button button);
    // One repeat event to the area a button is held on (none: false).
    bool Repeat(KeySink& host, int x, int y, Button button);
    bool Release(KeySink& host, Instance* instance, int x, int y);
    bool Drag(KeySink& host, Instance* instance, int x, int y);
    // A press ends with its instance.
    void Forget(const Instance* instance);

private:
    struct Press {
        Instance* instance{};
        MouseHit area;
    };
    std::optional<Press> pressed_;

    // Where a drag or release goes: the pressed area while a press on this
    // instance lasts, else the area under the pointer.
    MouseHit PressedOrUnder(Instance& instance, int x, int y) const;
};

}  // namespace panelhost
