#include "host/core/mouse_capture.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "host/core/gauge_instances.h"
#include "host/core/module_code.h"

namespace panelhost {

namespace {

// A point relative to a box edge, held within what the point record holds.
SINT32 RelativeTo(long long edge, int point) {
    return static_cast<SINT32>(std::clamp<long long>(point - edge, INT32_MIN, INT32_MAX));
}

// Calls the area's routine with the point relative to its box, or sends its
// key event; only when the area asks for every one of the event's bits.
bool Deliver(KeySink& host, Instance& instance, const MouseHit& area, int x, int y, UINT32 bits) {
    MOUSERECT* rect = area.rect;
    if (!rect || (rect->mouse_flags & bits) != bits) return false;
    if (rect->mouse_function) {
        MOUSECALLBACK_POINT point{.x = RelativeTo(area.box.x, x), .y = RelativeTo(area.box.y, y),
                                  .gauge = &instance.header, .rect = rect};
        const CodeRunning module(true);
        rect->mouse_function(&point, bits);
    } else if (rect->event_id != 0) {
        host.TriggerKeyEvent(rect->event_id, 0);
    }
    return true;
}

UINT32 ButtonBit(Button button) {
    return button == Button::Left ? MOUSE_LEFTSINGLE : MOUSE_RIGHTSINGLE;
}

// The first clickable area in list order that contains the point.
MouseHit FindArea(MOUSERECT* list, int x, int y) {
    return WalkMouseAreas(list, [&](const MouseHit& area) { return area.box.Contains(x, y); });
}

// A group as the walk stands in it: its box and the tooltip its areas show.
struct Group {
    MouseBox box;
    const MOUSERECT* tooltip{};
};

}  // namespace

MouseHit WalkMouseList(MOUSERECT* list, const std::function<bool(const MouseHit&)>& visit) {
    if (!list) return {};
    std::vector<Group> groups{Group{}};
    int read = 0;
    for (MOUSERECT* rect = list; rect->rect_type != MOUSE_RECT_EOL && read < maxMouseRects; ++rect, ++read) {
        const Group& group = groups.back();
        const PIXPOINT pos = rect->relative_box_pos;
        const PIXPOINT size = rect->relative_box_size;
        const MouseBox box{false, group.box.x + pos.x, group.box.y + pos.y, size.x, size.y};
        MouseHit entry{rect, box, group.tooltip};
        switch (rect->rect_type) {
        case MOUSE_RECT_PARENT: {
            const bool whole = pos.x == 0 && pos.y == 0 && size.x == 0 && size.y == 0;
            groups.push_back(Group{whole ? group.box : box, group.tooltip});
            entry.box = groups.back().box;
            break;
        }
        case MOUSE_RECT_END_PARENT:
            entry.box = group.box;
            if (groups.size() > 1) groups.pop_back();
            break;
        case MOUSE_RECT_USER:
            entry.box = group.box;
            groups.back().tooltip = rect;
            break;
        case MOUSE_RECT_CHILD:
            break;
        default:
            continue;
        }
        if (visit(entry)) return entry;
    }
    return {};
}

MouseHit WalkMouseAreas(MOUSERECT* list, const std::function<bool(const MouseHit&)>& visit) {
    return WalkMouseList(list, [&](const MouseHit& entry) {
        return entry.rect->rect_type == MOUSE_RECT_CHILD && visit(entry);
    });
}

bool MouseCapture::Click(KeySink& host, Instance* instance, int x, int y, Button button) {
    pressed_.reset();
    if (!instance) return false;
    const MouseHit hit = FindArea(instance->header.mouse_rect, x, y);
    if (hit.rect) pressed_ = Press{instance, hit};
    return Deliver(host, *instance, hit, x, y, ButtonBit(button));
}

bool MouseCapture::Hold(KeySink& host, Instance* instance, int x, int y, int repeats, Button button) {
    bool taken = Click(host, instance, x, y, button);
    if (!pressed_) return taken;
    repeats = std::clamp(repeats, 0, maxRepeatsPerHold);
    for (int i = 0; i < repeats; ++i) taken = Repeat(host, x, y, button) || taken;
    return taken;
}

bool MouseCapture::Repeat(KeySink& host, int x, int y, Button button) {
    if (!pressed_) return false;
    const Press press = *pressed_;
    // A repeat carries the button's bit with the repeat bit, so that a routine
    // still tells the buttons apart.
    return Deliver(host, *press.instance, press.area, x, y, ButtonBit(button) | MOUSE_DOWN_REPEAT);
}

bool MouseCapture::Release(KeySink& host, Instance* instance, int x, int y) {
    const MouseHit area = instance ? PressedOrUnder(*instance, x, y) : MouseHit{};
    pressed_.reset();
    return instance && Deliver(host, *instance, area, x, y, MOUSE_LEFTRELEASE);
}

bool MouseCapture::Drag(KeySink& host, Instance* instance, int x, int y) {
    return instance && Deliver(host, *instance, PressedOrUnder(*instance, x, y), x, y, MOUSE_LEFTDRAG);
}

MouseHit MouseCapture::PressedOrUnder(Instance& instance, int x, int y) const {
    if (pressed_ && pressed_->instance == &instance) return pressed_->area;
    return FindArea(instance.header.mouse_rect, x, y);
}

void MouseCapture::Forget(const Instance* instance) {
    if (pressed_ && pressed_->instance == instance) pressed_.reset();
}

}  // namespace panelhost
