// The host's pointer over placed gauges: finds the mouse area under a point
// in a gauge's mouse list and delivers button events to it. The area a
// button was pressed on captures the press: drags and the release go to it,
// wherever the pointer has moved since, until the button comes up or the
// gauge is killed.
#pragma once

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

// A clickable area and its box in gauge pixels.
struct MouseHit {
    MOUSERECT* rect{};
    MouseBox box;
};

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
