#include "host/core/mouse_capture.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <utility>
#include <vector>

#include "host/core/gauge_instances.h"
#include "host/core/module_code.h"

namespace panelhost {

namespace {

// What each kind of mouse rectangle does as the hit test walks the list:
// groups open a box relative to the enclosing group (0,0,0,0 = the whole
// enclosing group; the outermost box is the whole gauge) and close it again;
// areas, relative to their group, take the point when they contain it.
// Tooltips and kinds the host does not know take no clicks.
using Groups = std::vector<MouseBox>;

struct MouseRectKind {
    UINT32 type;
    // box: the rectangle relative to the innermost group. True when the
    // rectangle takes the point.
    bool (*hitTest)(Groups& groups, const MOUSERECT& rect, const MouseBox& box, int x, int y);
};

bool OpenGroup(Groups& groups, const MOUSERECT& rect, const MouseBox& box, int, int) {
    const PIXPOINT pos = rect.relative_box_pos;
    const PIXPOINT size = rect.relative_box_size;
    const MouseBox enclosing = groups.back();
    groups.push_back(pos.x == 0 && pos.y == 0 && size.x == 0 && size.y == 0 ? enclosing : box);
    return false;
}

bool CloseGroup(Groups& groups, const MOUSERECT&, const MouseBox&, int, int) {
    if (groups.size() > 1) groups.pop_back();
    return false;
}

bool TakesPoint(Groups&, const MOUSERECT&, const MouseBox& box, int x, int y) { return box.Contains(x, y); }

constexpr MouseRectKind mouseRectKinds[] = {
    {MOUSE_RECT_PARENT, OpenGroup},
    {MOUSE_RECT_END_PARENT, CloseGroup},
    {MOUSE_RECT_CHILD, TakesPoint},
    {MOUSE_RECT_USER, nullptr},
};

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
    if (!list) return {};
    Groups groups{MouseBox{}};
    for (MOUSERECT* rect = list; rect->rect_type != MOUSE_RECT_EOL; ++rect) {
        const auto kind = std::find_if(std::begin(mouseRectKinds), std::end(mouseRectKinds),
                                       [&](const MouseRectKind& k) { return k.type == rect->rect_type; });
        if (kind == std::end(mouseRectKinds) || !kind->hitTest) continue;
        const MouseBox& group = groups.back();
        const MouseBox box{false, group.x + rect->relative_box_pos.x, group.y + rect->relative_box_pos.y,
                           rect->relative_box_size.x, rect->relative_box_size.y};
        if (kind->hitTest(groups, *rect, box, x, y)) return {rect, box};
    }
    return {};
}

}  // namespace

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
