// Throttle_Quadrant: the two throttle and two propeller levers as sliders on
// their lever tokens. Clicking or dragging in a lever's track sets the lever to
// where the mouse stands: top of the track fully forward, bottom fully back.
//
// Reads:  the throttle and propeller lever tokens of engines 1 and 2.
// Sends:  keyThrottle1Set/2 and keyPropeller1Set/2 with the lever position.
// Plays, keeps: nothing.
#include "module/gauge_builders.h"
#include "module/host_services.h"
#include "module/numbers.h"

extern GAUGEHDR Throttle_Quadrant;

namespace {

constexpr UINT32 leverMouseFlags = MOUSE_LEFTSINGLE | MOUSE_LEFTDRAG;

// Lever position sent with the key events: 0 fully back, this fully forward.
constexpr FLOAT64 leverFullTravel = 16384.0;

// Position of the mouse in a track of height h, y pixels down from its top:
// 1 at the top, 0 at the bottom and below.
FLOAT64 LeverFraction(FLOAT64 y, FLOAT64 h) {
    const FLOAT64 fraction = 1.0 - y / h;
    if (!(fraction > 0.0)) return 0.0;
    if (fraction >= 1.0) return 1.0;
    return fraction;
}

// Mouse routine of a lever track; the pair tracks between two levers set
// both, the first event before the second.
template <KeyEvent FirstEvent, KeyEvent SecondEvent = keyNone>
SINT32 FSAPI LeverFromClick(MOUSECALLBACK_POINT* point, UINT32) {
    if (!point || !point->rect) return 0;
    const FLOAT64 fraction =
        LeverFraction(point->y, point->rect->relative_box_size.y);
    const auto value = static_cast<UINT32>(TruncateToInt32(fraction * leverFullTravel));
    TriggerKeyEvent(FirstEvent, value);
    if (SecondEvent != keyNone) TriggerKeyEvent(SecondEvent, value);
    return 0;
}

FLOAT64 FSAPI LeverAsDelivered(ELEMENT_SLIDER* lever) {
    return lever ? lever->source_var_y.var_value.n : 0;
}

// Each lever moves up its track, travel pixels, as its token goes from 0 to 1.
ELEMENT_SLIDER propeller2Lever = Slider(4270, {49, 275}, &Throttle_Quadrant, nullptr, IMAGE_PLATE, nullptr,
                                        {tokenNone, 1.0}, {tokenEngine2PropellerLever, -182.0});
ELEMENT_SLIDER propeller1Lever = Slider(4260, {2, 275}, &Throttle_Quadrant, nullptr, IMAGE_PLATE, nullptr,
                                        {tokenNone, 1.0}, {tokenEngine1PropellerLever, -182.0});
ELEMENT_SLIDER throttle2Lever = Slider(4250, {166, 276}, &Throttle_Quadrant, nullptr, IMAGE_PLATE, nullptr,
                                       {tokenNone, 1.0}, {tokenEngine2ThrottleLever, -236.0, LeverAsDelivered});
ELEMENT_SLIDER throttle1Lever = Slider(4240, {84, 276}, &Throttle_Quadrant, nullptr, IMAGE_PLATE, nullptr,
                                       {tokenNone, 1.0}, {tokenEngine1ThrottleLever, -236.0, LeverAsDelivered});

ELEMENT_STATIC_IMAGE quadrant =
    StaticImage(4230, &Throttle_Quadrant, listOf<propeller2Lever, propeller1Lever, throttle2Lever, throttle1Lever>,
                IMAGE_PLATE);

MOUSERECT quadrantMouse[] = {
    MouseGauge(),
    MouseParent(91, 40, 150, 304, helpThrottleLevers),
    MouseEndParent(),
    MouseParent(2, 93, 85, 246, helpPropellerLevers),
    MouseEndParent(),
    MouseRoutine(91, 40, 67, 304, CURSOR_HAND, leverMouseFlags,
                 LeverFromClick<keyThrottle1Set>),
    MouseRoutine(174, 40, 67, 304, CURSOR_HAND, leverMouseFlags,
                 LeverFromClick<keyThrottle2Set>),
    MouseRoutine(158, 40, 16, 304, CURSOR_HAND, leverMouseFlags,
                 LeverFromClick<keyThrottle1Set, keyThrottle2Set>),
    MouseRoutine(2, 93, 38, 246, CURSOR_HAND, leverMouseFlags,
                 LeverFromClick<keyPropeller1Set>),
    MouseRoutine(40, 93, 9, 246, CURSOR_HAND, leverMouseFlags,
                 LeverFromClick<keyPropeller1Set, keyPropeller2Set>),
    MouseRoutine(49, 93, 38, 246, CURSOR_HAND, leverMouseFlags,
                 LeverFromClick<keyPropeller2Set>),
    MouseEnd(),
};

}  // namespace

constinit GAUGEHDR Throttle_Quadrant = GaugeHeader("Throttle_Quadrant", listOf<quadrant>, 123, quadrantMouse);
