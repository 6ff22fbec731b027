// Altimeter: altitude pointer, a four-drum altitude counter with leading-zero
// masks, a four-drum barometric-setting counter and the baro knob.
//
// Reads:  tokenAltitude, tokenBaroSetting.
// Sends:  keyBaroDown/keyBaroUp while the knob is held.
// Plays, keeps: nothing.

#include "gauges/flight/drum_roll.h"
#include "module/gauge_builders.h"

extern GAUGEHDR Altimeter;

namespace {

// A leading digit window is masked while the altitude is below its threshold.
// NaN compares false and keeps the mask on.
template <int Threshold>
FLOAT64 FSAPI DigitMaskValue(ELEMENT_ICON* element) {
    if (element == nullptr) return 0;
    return element->source_var.var_value.n >= Threshold ? -1 : 0;
}

// The altitude side freezes on a pitot-static or altimeter failure.
FAILURE_RECORD altitudeFailures[] = {
    {FAIL_SYSTEM_PITOT_STATIC, FAIL_ACTION_FREEZE},
    {FAIL_GAUGE_ALTIMETER, FAIL_ACTION_FREEZE},
    {},
};

// 16: baro knob, turning with the setting: right at 1013, left at 1070.
NONLINEARITY baroKnobTable[] = {
    {{71, 261}, 1013},
    {{27, 261}, 1070},
};
ELEMENT_NEEDLE baroKnob =
    Needle(370, {49, 261}, {22, 22}, &Altimeter, nullptr, IMAGE_KNOB, nullptr, tokenBaroSetting,
           baroKnobTable);

// 15: bezel overlay
ELEMENT_STATIC_IMAGE altimeterBezel = StaticImage(380, &Altimeter, listOf<baroKnob>, IMAGE_PLATE);

// 14: altitude pointer, one turn per 1000 without a stop.
NONLINEARITY altitudePointerTable[] = {
    {{150, 100}, 0},
    {{150, 200}, 500},
};
ELEMENT_NEEDLE altitudePointer =
    Needle(310, {150, 150}, {10, 10}, &Altimeter, listOf<altimeterBezel>, IMAGE_NEEDLE,
           altitudeFailures, tokenAltitude, altitudePointerTable);

// clang-format off
// 13 to 10: leading-zero masks
ELEMENT_ICON tenThousandsMask = Icon(350, {91, 121}, &Altimeter, listOf<altitudePointer>, IMAGE_NEEDLE, tokenAltitude, 1, DigitMaskValue<10000>, altitudeFailures, 0);
ELEMENT_ICON thousandsMask = Icon(350, {121, 121}, &Altimeter, listOf<tenThousandsMask>, IMAGE_NEEDLE, tokenAltitude, 1, DigitMaskValue<1000>, altitudeFailures, 0);
ELEMENT_ICON hundredsMask = Icon(350, {164, 121}, &Altimeter, listOf<thousandsMask>, IMAGE_NEEDLE, tokenAltitude, 1, DigitMaskValue<100>, altitudeFailures, 0);
ELEMENT_ICON wideMask = Icon(330, {164, 121}, &Altimeter, listOf<hundredsMask>, IMAGE_NEEDLE, tokenAltitude, 1, DigitMaskValue<10>, altitudeFailures, 0);

// 9 to 6: altitude drums: bitmap, window, drawn under, failures, token, step, roll band
ELEMENT_MOVING_IMAGE tenThousandsDrum = RollingDrum(360, {91, 121}, &Altimeter, listOf<wideMask>, altitudeFailures, tokenAltitude, 10000, 1000);
ELEMENT_MOVING_IMAGE thousandsDrum = RollingDrum(360, {121, 121}, &Altimeter, listOf<tenThousandsDrum>, altitudeFailures, tokenAltitude, 1000, 100);
ELEMENT_MOVING_IMAGE hundredsDrum = RollingDrum(360, {164, 121}, &Altimeter, listOf<thousandsDrum>, altitudeFailures, tokenAltitude, 100, 10);
ELEMENT_MOVING_IMAGE tensDrum = RollingDrum(340, {194, 113}, &Altimeter, listOf<hundredsDrum>, altitudeFailures, tokenAltitude, 10, 1);

// 5 to 2: baro-setting drums; they have no failure list.
ELEMENT_MOVING_IMAGE baroThousandsDrum = RollingDrum(320, {125, 212}, &Altimeter, listOf<tensDrum>, nullptr, tokenBaroSetting, 1000, 1);
ELEMENT_MOVING_IMAGE baroHundredsDrum = RollingDrum(320, {137, 212}, &Altimeter, listOf<baroThousandsDrum>, nullptr, tokenBaroSetting, 100, 1);
ELEMENT_MOVING_IMAGE baroTensDrum = RollingDrum(320, {149, 212}, &Altimeter, listOf<baroHundredsDrum>, nullptr, tokenBaroSetting, 10, 1);
ELEMENT_MOVING_IMAGE baroUnitsDrum = RollingDrum(320, {161, 212}, &Altimeter, listOf<baroTensDrum>, nullptr, tokenBaroSetting, 1, 1);
// clang-format on

// 1: dial
ELEMENT_STATIC_IMAGE altimeterDial = StaticImage(300, &Altimeter, listOf<baroUnitsDrum>,
                                                 IMAGE_DIAL);

// The baro knob's left and right halves turn the setting down and up while held.
MOUSERECT altimeterMouse[] = {
    MouseGauge(helpAltimeter),
    MouseParent(27, 239, 22, 44, helpBaroKnob),
    MouseEvent(0, 0, 22, 44, CURSOR_DOWNARROW, MOUSE_LEFTSINGLE | MOUSE_DOWN_REPEAT, keyBaroDown),
    MouseEndParent(),
    MouseParent(49, 239, 22, 44, helpBaroKnob),
    MouseEvent(0, 0, 22, 44, CURSOR_UPARROW, MOUSE_LEFTSINGLE | MOUSE_DOWN_REPEAT, keyBaroUp),
    MouseEndParent(),
    MouseEnd(),
};

}  // namespace

constinit GAUGEHDR Altimeter = GaugeHeader("Altimeter", listOf<altimeterDial>, 100, altimeterMouse);
