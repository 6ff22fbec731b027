// Bezu_Compass: gyro compass with a rotating card, a heading bug and its knob,
// and a three-position mode selector. In positions 0 and 1 the card shows the
// gyro heading, in position 2 the second heading source; stepping from 2 back
// to 1 hands the held heading to the simulator, stepping from 1 to 2 takes the
// second source at once.
//
// Reads:  tokenGyroHeading, tokenSecondHeading, tokenHeadingBug.
// Sends:  keyHeadingBugSet from the bug knob, keyHeadingSet when the selector
//         leaves the second source.
// Plays:  nothing.
// Keeps:  bezuMode, bezuPreviousMode, bezuCardHeading, bezuSavedHeading.

#include "module/gauge_builders.h"
#include "module/host_services.h"
#include "module/numbers.h"

extern GAUGEHDR Bezu_Compass;

namespace {

constexpr SINT32 bezuModeLast = 2;
constexpr SINT32 bezuModeSecondSource = 2;
constexpr SINT32 bezuModeGyroHeld = 1;

// Selector and card state: lives as long as the module is loaded.
SINT32 bezuMode = 0;
SINT32 bezuPreviousMode = 0;
FLOAT64 bezuCardHeading = 0;
FLOAT64 bezuSavedHeading = 0;

// The heading bug counts in whole degrees from 1 to 360 going up and from 359
// down to 0 going down, wrapping at the ends.
SINT32 HeadingBug() { return TruncateToInt32(LookupNumber(tokenHeadingBug)); }

SINT32 FSAPI BezuBugIncrement(MOUSECALLBACK_POINT*, UINT32) {
    const SINT32 bug = HeadingBug();
    TriggerKeyEvent(keyHeadingBugSet, static_cast<UINT32>(bug < 360 ? bug + 1 : 1));
    return 0;
}

SINT32 FSAPI BezuBugDecrement(MOUSECALLBACK_POINT*, UINT32) {
    const SINT32 bug = HeadingBug();
    TriggerKeyEvent(keyHeadingBugSet, static_cast<UINT32>(bug > 0 ? bug - 1 : 359));
    return 0;
}

// The selector stops at 0 and 2; a click beyond an end changes nothing.
SINT32 FSAPI BezuModeUp(MOUSECALLBACK_POINT*, UINT32) {
    if (bezuMode < bezuModeLast) {
        bezuPreviousMode = bezuMode;
        ++bezuMode;
    }
    return 0;
}

SINT32 FSAPI BezuModeDown(MOUSECALLBACK_POINT*, UINT32) {
    if (bezuMode > 0) {
        bezuPreviousMode = bezuMode;
        --bezuMode;
    }
    return 0;
}

// The card turns by the heading of the selected source; the source named
// here is the one the host looks up for the following frames.
FLOAT64 FSAPI BezuCardValue(ELEMENT_SPRITE* element) {
    if (element == nullptr) return bezuCardHeading;
    element->source_var_0.id =
        bezuMode == bezuModeSecondSource ? tokenSecondHeading : tokenGyroHeading;
    bezuCardHeading = element->source_var_0.var_value.n;
    bezuSavedHeading = bezuCardHeading;
    return bezuCardHeading;
}

// The bug stands relative to the gyro heading, in every position.
FLOAT64 FSAPI BezuBugValue(ELEMENT_NEEDLE* element) {
    if (element == nullptr) return 0;
    return element->source_var.var_value.n - LookupNumber(tokenGyroHeading);
}

// The last selector change keeps acting on every frame until the next one.
FLOAT64 FSAPI BezuModeValue(ELEMENT_ICON*) {
    if (bezuPreviousMode == bezuModeSecondSource && bezuMode == bezuModeGyroHeld) {
        TriggerKeyEvent(keyHeadingSet, static_cast<UINT32>(TruncateToInt32(bezuSavedHeading)));
    }
    if (bezuPreviousMode == bezuModeGyroHeld && bezuMode == bezuModeSecondSource) {
        bezuCardHeading = LookupNumber(tokenSecondHeading);
    }
    return bezuMode;
}

// The bug knob is the module's one element with special-instrumentation flags.
constexpr UINT32 bugKnobInstrumentation = 0x2;

constexpr ELEMENT_NEEDLE WithInstrumentationFlags(ELEMENT_NEEDLE needle, UINT32 flags) {
    needle.header.aircraft_special_instrumentation = flags;
    return needle;
}

// The card and the bug freeze on an electrical-panel or gyro failure.
FAILURE_RECORD bezuFailures[] = {
    {FAIL_SYSTEM_ELECTRICAL_PANELS, FAIL_ACTION_FREEZE},
    {FAIL_GAUGE_GYRO_HEADING, FAIL_ACTION_FREEZE},
    {},
};

// 6: bug knob, turning with the bug setting.
NONLINEARITY bugKnobTable[] = {
    {{40, 249}, 0},
    {{40, 289}, 30},
};
ELEMENT_NEEDLE bugKnob = WithInstrumentationFlags(
    Needle(1440, {40, 269}, {28, 28}, &Bezu_Compass, nullptr, IMAGE_KNOB, nullptr, tokenHeadingBug,
           bugKnobTable),
    bugKnobInstrumentation);

// 5: mode selector, one image per position.
ELEMENT_ICON modeSelector =
    Icon(1450, {231, 241}, &Bezu_Compass, listOf<bugKnob>, IMAGE_PLATE, tokenNone, 3,
         BezuModeValue);

// 4: glass and markings
ELEMENT_STATIC_IMAGE bezuGlass = StaticImage(1460, &Bezu_Compass, listOf<modeSelector>, IMAGE_KNOB);

// 3: heading bug; without a table its value is its angle.
ELEMENT_NEEDLE headingBug =
    Needle(1470, {150, 151}, {20, 128}, &Bezu_Compass, listOf<bezuGlass>, IMAGE_NEEDLE,
           bezuFailures, tokenHeadingBug, {}, BezuBugValue);

// 2: compass card
ELEMENT_SPRITE bezuCard =
    Sprite(1480, {10, 10}, {150, 151}, &Bezu_Compass, listOf<headingBug>, IMAGE_NEEDLE, bezuFailures,
           {tokenNone, 1.0}, {tokenNone, 1.0}, {tokenGyroHeading, 1.0, BezuCardValue}, 1.0f, 1.0f);

// 1: case
ELEMENT_STATIC_IMAGE bezuCase = StaticImage(1490, &Bezu_Compass, listOf<bezuCard>, IMAGE_PLATE);

// The selector's left half steps it towards 2, its right half towards 0; the
// bug knob's halves step the bug down and up with either button.
MOUSERECT bezuCompassMouse[] = {
    MouseGauge(helpGyroCompass),
    MouseRoutine(231, 241, 28, 56, CURSOR_DOWNARROW, MOUSE_LEFTSINGLE, BezuModeUp),
    MouseRoutine(259, 241, 28, 56, CURSOR_UPARROW, MOUSE_LEFTSINGLE, BezuModeDown),
    MouseRoutine(12, 241, 28, 56, CURSOR_DOWNARROW, MOUSE_LEFTSINGLE | MOUSE_RIGHTSINGLE,
                 BezuBugDecrement),
    MouseRoutine(40, 241, 28, 56, CURSOR_UPARROW, MOUSE_LEFTSINGLE | MOUSE_RIGHTSINGLE,
                 BezuBugIncrement),
    MouseEnd(),
};

}  // namespace

constinit GAUGEHDR Bezu_Compass = GaugeHeader("Bezu_Compass", listOf<bezuCase>, 120, bezuCompassMouse);
