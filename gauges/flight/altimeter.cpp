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

// A digit drum: step and roll band ride in the x minimum and maximum, the
// drum's full range (ten steps) in the y minimum.
constexpr ELEMENT_MOVING_IMAGE Drum(SINT32 bitmap, PIXPOINT position, ELEMENT_HEADER** next,
                                    FAILURE_RECORD* failures, SimToken token, FLOAT64 step,
                                    FLOAT64 rollBand) {
    return ELEMENT_MOVING_IMAGE{
        .header = ElementHeader(ELEMENT_TYPE_MOVING_IMAGE, bitmap, position, &Altimeter, next,
                                IMAGE_NEEDLE, failures),
        .source_var_x = Token(tokenNone),
        .min_x = step,
        .max_x = rollBand,
        .source_var_y = Token(token),
        .min_y = 10 * step,
        .max_y = 0,
        .update_x_cb = nullptr,
        .update_y_cb = DrumRollValue,
    };
}

constexpr ELEMENT_ICON Mask(SINT32 bitmap, PIXPOINT position, ELEMENT_HEADER** next,
                            FAILURE_RECORD* failures, ICON_UPDATE_CALLBACK routine) {
    return ELEMENT_ICON{
        .header = ElementHeader(ELEMENT_TYPE_ICON, bitmap, position, &Altimeter, next, IMAGE_NEEDLE,
                                failures),
        .source_var = Token(tokenAltitude),
        .scale = 0,
        .picture_count = 1,
        .update_cb = routine,
    };
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
ELEMENT_ICON tenThousandsMask = Mask(350, {91, 121}, listOf<altitudePointer>, altitudeFailures, DigitMaskValue<10000>);
ELEMENT_ICON thousandsMask = Mask(350, {121, 121}, listOf<tenThousandsMask>, altitudeFailures, DigitMaskValue<1000>);
ELEMENT_ICON hundredsMask = Mask(350, {164, 121}, listOf<thousandsMask>, altitudeFailures, DigitMaskValue<100>);
ELEMENT_ICON wideMask = Mask(330, {164, 121}, listOf<hundredsMask>, altitudeFailures, DigitMaskValue<10>);

// 9 to 6: altitude drums: bitmap, window, drawn under, failures, token, step, roll band
ELEMENT_MOVING_IMAGE tenThousandsDrum = Drum(360, {91, 121}, listOf<wideMask>, altitudeFailures, tokenAltitude, 10000, 1000);
ELEMENT_MOVING_IMAGE thousandsDrum = Drum(360, {121, 121}, listOf<tenThousandsDrum>, altitudeFailures, tokenAltitude, 1000, 100);
ELEMENT_MOVING_IMAGE hundredsDrum = Drum(360, {164, 121}, listOf<thousandsDrum>, altitudeFailures, tokenAltitude, 100, 10);
ELEMENT_MOVING_IMAGE tensDrum = Drum(340, {194, 113}, listOf<hundredsDrum>, altitudeFailures, tokenAltitude, 10, 1);

// 5 to 2: baro-setting drums; they have no failure list.
ELEMENT_MOVING_IMAGE baroThousandsDrum = Drum(320, {125, 212}, listOf<tensDrum>, nullptr, tokenBaroSetting, 1000, 1);
ELEMENT_MOVING_IMAGE baroHundredsDrum = Drum(320, {137, 212}, listOf<baroThousandsDrum>, nullptr, tokenBaroSetting, 100, 1);
ELEMENT_MOVING_IMAGE baroTensDrum = Drum(320, {149, 212}, listOf<baroHundredsDrum>, nullptr, tokenBaroSetting, 10, 1);
ELEMENT_MOVING_IMAGE baroUnitsDrum = Drum(320, {161, 212}, listOf<baroTensDrum>, nullptr, tokenBaroSetting, 1, 1);
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

GAUGEHDR Altimeter = GaugeHeader("Altimeter", listOf<altimeterDial>, 100, altimeterMouse);
