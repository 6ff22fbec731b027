// Pitch_Trim_Indicator: a strip whose index bar shows the elevator trim,
// moving half as far per unit below zero as above it.
//
// Reads:  tokenElevatorTrim.  Sends, plays, keeps: nothing.
#include "module/gauge_builders.h"

extern GAUGEHDR Pitch_Trim_Indicator;

namespace {

constexpr FLOAT64 trimPixelsPerUnit = 3100.0 / 13.0;

FLOAT64 FSAPI PitchTrimBar(ELEMENT_SLIDER* bar) {
    if (!bar) return 0.0;
    const FLOAT64 trim = bar->source_var_y.var_value.n;
    return trim >= 0.0 ? trim : trim / 2.0;
}

ELEMENT_SLIDER trimBar = Slider(4400, {0, 32}, &Pitch_Trim_Indicator, nullptr, IMAGE_NEEDLE, nullptr,
                                {tokenNone, 0.0}, {tokenElevatorTrim, trimPixelsPerUnit, PitchTrimBar});
ELEMENT_STATIC_IMAGE trimScale = StaticImage(4390, &Pitch_Trim_Indicator, listOf<trimBar>,
                                             IMAGE_DIAL);

MOUSERECT trimMouse[] = {
    MouseGauge(helpPitchTrim),
    MouseEndParent(),
    MouseEnd(),
};

}  // namespace

constinit GAUGEHDR Pitch_Trim_Indicator = GaugeHeader("Pitch_Trim_Indicator", listOf<trimScale>, 15, trimMouse);
