// Radio_NAV1 and Radio_NAV2: the two VHF navigation receivers, one definition
// with a row of differences each. Rolling drums show the simulator's
// frequency, two knobs tune it, and the receiver adds what the simulator
// lacks: a power switch with lamp and an identifier-audio switch.
//
// Reads:  tokenNav1Frequency or tokenNav2Frequency, the frequency in BCD without the
//         hundreds digit.
// Sends:  the receiver's whole-MHz and fraction steps; its identifier audio
//         off or on, from the switch elements on every evaluation.
// Plays:  waveKnobClick on both switches.
// Keeps:  nav1Power/nav1Ident or nav2Power/nav2Ident (SystemsState), shared
//         with the matching VOR indicator; the frequency as last decoded.
//
// A receiver that is off cannot be tuned, its digits go dark and its
// identifier audio is held off: the two switch elements re-send the
// identifier state every frame, so the simulator's audio is on exactly while
// both switches are.
#include <cstddef>

#include "gauges/electrical/sounding_switch.h"
#include "gauges/electrical/systems_state.h"
#include "gauges/radio/radio_display.h"
#include "module/click_actions.h"
#include "module/gauge_builders.h"
#include "module/host_services.h"
#include "module/numbers.h"
#include "module/tokens.h"

extern GAUGEHDR Radio_NAV1;
extern GAUGEHDR Radio_NAV2;

namespace {

FLOAT64 nav1WholeMHz = 0.0;  // 108 to 117
FLOAT64 nav1Fraction = 0.0;  // 0, 5, 10 ... 95
FLOAT64 nav2WholeMHz = 0.0;
FLOAT64 nav2Fraction = 0.0;

struct NavReceiverRow {
    GAUGEHDR* gauge{};
    const char* name{};
    SINT32 face{};
    SimToken frequency{};
    std::int32_t* power{};
    std::int32_t* ident{};
    FLOAT64* wholeMHz{};
    FLOAT64* fraction{};
    KeyEvent wholeDown{}, wholeUp{}, fractionDown{}, fractionUp{};
    KeyEvent identOff{}, identOn{};
    SINT32 receiverFailure{};  // listed without an action
    HelpId gaugeHelp{}, windowHelp{}, knobsHelp{};
};

// clang-format off
constexpr NavReceiverRow navReceivers[] = {
    {.gauge = &Radio_NAV1, .name = "Radio_NAV1", .face = 3350, .frequency = tokenNav1Frequency,
     .power = &nav1Power, .ident = &nav1Ident, .wholeMHz = &nav1WholeMHz, .fraction = &nav1Fraction,
     .wholeDown = keyNav1WholeDown, .wholeUp = keyNav1WholeUp,
     .fractionDown = keyNav1FractionDown, .fractionUp = keyNav1FractionUp,
     .identOff = keyNav1IdentOff, .identOn = keyNav1IdentOn,
     .receiverFailure = FAIL_GAUGE_NAVIGATION_VOR1,
     .gaugeHelp = helpNav1Radio, .windowHelp = helpNav1Window, .knobsHelp = helpNav1Knobs},
    {.gauge = &Radio_NAV2, .name = "Radio_NAV2", .face = 3360, .frequency = tokenNav2Frequency,
     .power = &nav2Power, .ident = &nav2Ident, .wholeMHz = &nav2WholeMHz, .fraction = &nav2Fraction,
     .wholeDown = keyNav2WholeDown, .wholeUp = keyNav2WholeUp,
     .fractionDown = keyNav2FractionDown, .fractionUp = keyNav2FractionUp,
     .identOff = keyNav2IdentOff, .identOn = keyNav2IdentOn,
     .receiverFailure = FAIL_GAUGE_NAVIGATION_VOR2,
     .gaugeHelp = helpNav2Radio, .windowHelp = helpNav2Window, .knobsHelp = helpNav2Knobs},
};
// clang-format on

constexpr std::size_t navReceiverCount = sizeof navReceivers / sizeof navReceivers[0];

constexpr SINT32 digitDrum = 3270;      // 0 to 9 and 0 again, window 3271
constexpr SINT32 tensDrum = 3280;       // 0 and 1, window 3281
constexpr SINT32 decimalPoint = 3330;
constexpr SINT32 hundredsDigit = 3290;  // always 1
constexpr SINT32 knobBitmap = 3260;
constexpr SINT32 identSwitch = 3310;
constexpr SINT32 powerSwitch = 3300;
constexpr SINT32 powerLamp = 3320;

constexpr FLOAT64 bandBottom = 108.0;
constexpr FLOAT64 bandTop = 117.0;

// The whole-MHz knob turns half a turn for 4 MHz; the fraction knob's table
// names the same two points, which lie left of its own pivot.
NONLINEARITY wholeKnobTable[] = {{{32, -9}, 108.0, 0.0}, {{32, 63}, 112.0, 0.0}};
NONLINEARITY fractionKnobTable[] = {{{32, -9}, 0.0, 0.0}, {{32, 63}, 50.0, 0.0}};

template <GAUGEHDR* Gauge>
struct NavReceiver {
    static constexpr std::size_t index = GaugeRowIndex(navReceivers, Gauge);
    static_assert(index < navReceiverCount, "a NAV receiver needs its row in the table");
    static constexpr const NavReceiverRow& row = navReceivers[index];

    static inline SoundingSwitchSound sound{.waveId = waveKnobClick};

    static bool On() { return *row.power != 0; }

    static void Decode() {
        const UINT32 frequency = LookupToken(row.frequency).u;
        *row.wholeMHz = BcdWholeMHz(frequency);
        *row.fraction = BcdFraction(frequency);
    }

    // Drum and digit values; each lights its window with the power.
    static FLOAT64 FSAPI LastFractionDigit(ELEMENT_MOVING_IMAGE* drum) {
        if (drum) LightDigits(&drum->header, On());
        return DecimalDigit(*row.fraction, 0);
    }
    static FLOAT64 FSAPI FirstFractionDigit(ELEMENT_MOVING_IMAGE* drum) {
        if (drum) LightDigits(&drum->header, On());
        return DecimalDigit(*row.fraction, 1);
    }
    static FLOAT64 FSAPI UnitsDigit(ELEMENT_MOVING_IMAGE* drum) {
        if (drum) LightDigits(&drum->header, On());
        return DecimalDigit(*row.wholeMHz, 0);
    }
    static FLOAT64 FSAPI TensDigit(ELEMENT_MOVING_IMAGE* drum) {
        if (drum) LightDigits(&drum->header, On());
        return DecimalDigit(*row.wholeMHz, 1);
    }
    static FLOAT64 FSAPI FixedDigit(ELEMENT_ICON* digit) {
        if (digit) LightDigits(&digit->header, On());
        return 0.0;
    }

    static FLOAT64 FSAPI WholeKnob(ELEMENT_NEEDLE*) { return *row.wholeMHz; }
    static FLOAT64 FSAPI FractionKnob(ELEMENT_NEEDLE*) { return *row.fraction; }

    // The identifier audio follows both switches; each switch element says so
    // whenever it is evaluated.
    static FLOAT64 FSAPI IdentSwitch(ELEMENT_ICON*) {
        if (*row.ident) {
            if (On()) TriggerKeyEvent(row.identOn, 0);
            return 1.0;
        }
        TriggerKeyEvent(row.identOff, 0);
        return 0.0;
    }
    static FLOAT64 FSAPI PowerSwitch(ELEMENT_ICON*) {
        if (!On()) {
            TriggerKeyEvent(row.identOff, 0);
            return 0.0;
        }
        if (*row.ident) TriggerKeyEvent(row.identOn, 0);
        return 1.0;
    }
    static FLOAT64 FSAPI PowerLamp(ELEMENT_ICON*) { return On() ? 0.0 : -1.0; }

    // Knobs: one step a click or repeat, only while the receiver is on. The
    // whole-MHz knob stops at the band ends; the fraction wraps as the
    // simulator wraps it.
    static bool WholeMayGoDown() {
        Decode();
        return *row.wholeMHz > bandBottom && On();
    }
    static bool WholeMayGoUp() {
        Decode();
        return *row.wholeMHz < bandTop && On();
    }
    static bool FractionMayTurn() {
        Decode();
        return On();
    }

    static void FSAPI Routine(GAUGEHDR* gauge, SINT32 serviceId, UINT32 extraData) {
        if (serviceId == PANEL_SERVICE_PRE_INSTALL) {
            *row.power = 0;
            *row.ident = 0;
            TriggerKeyEvent(row.identOff, 0);
        }
        if (serviceId == PANEL_SERVICE_PRE_UPDATE) Decode();
        SoundingSwitchService(sound, gauge, serviceId, extraData);
    }

    // Avionics failure hides the digits, the identifier switch and the lamp.
    static inline FAILURE_RECORD failures[] = {
        {.key = FAIL_SYSTEM_ELECTRICAL_AVIONICS, .action = FAIL_ACTION_NO_DRAW},
        {.key = row.receiverFailure, .action = FAIL_ACTION_NONE},
        {.key = FAIL_NONE},
    };

    // A drum rolls through the digits up to last as its routine decodes them.
    static constexpr ELEMENT_MOVING_IMAGE Drum(SINT32 bitmap, PIXPOINT at, ELEMENT_HEADER** next, FLOAT64 last,
                                               MOVING_IMAGE_UPDATE_CALLBACK value) {
        return MovingImage(bitmap, at, Gauge, next, IMAGE_KNOB, failures, {}, {tokenNone, 0.0, last, value});
    }

    // 12 to 1, top of the chain first.
    static inline ELEMENT_ICON lamp =
        Icon(powerLamp, {97, 81}, Gauge, nullptr, IMAGE_LAMP, tokenNone, 1, PowerLamp, failures);
    static inline ELEMENT_ICON power =
        Icon(powerSwitch, {59, 61}, Gauge, listOf<lamp>, IMAGE_PLATE, tokenNone, 2, PowerSwitch);
    static inline ELEMENT_ICON ident =
        Icon(identSwitch, {113, 64}, Gauge, listOf<power>, IMAGE_PLATE, tokenNone, 2, IdentSwitch, failures);
    static inline ELEMENT_NEEDLE wholeKnob = Needle(knobBitmap, {32, 27}, {18, 18}, Gauge, listOf<ident>, IMAGE_KNOB,
                                                    nullptr, tokenNone, wholeKnobTable, WholeKnob);
    static inline ELEMENT_NEEDLE fractionKnob = Needle(knobBitmap, {208, 26}, {18, 18}, Gauge, listOf<wholeKnob>,
                                                       IMAGE_KNOB, nullptr, tokenNone, fractionKnobTable, FractionKnob);
    static inline ELEMENT_ICON hundreds = Icon(hundredsDigit, {89, 33}, Gauge, listOf<fractionKnob>, IMAGE_KNOB,
                                               tokenNone, 1, FixedDigit, failures, 0.0);
    static inline ELEMENT_MOVING_IMAGE tens = Drum(tensDrum, {100, 33}, listOf<hundreds>, 1.0, TensDigit);
    static inline ELEMENT_MOVING_IMAGE units = Drum(digitDrum, {111, 33}, listOf<tens>, 10.0, UnitsDigit);
    static inline ELEMENT_ICON point = Icon(decimalPoint, {122, 33}, Gauge, listOf<units>, IMAGE_KNOB, tokenNone, 1,
                                            FixedDigit, failures, 0.0);
    static inline ELEMENT_MOVING_IMAGE firstFraction =
        Drum(digitDrum, {127, 33}, listOf<point>, 10.0, FirstFractionDigit);
    static inline ELEMENT_MOVING_IMAGE lastFraction =
        Drum(digitDrum, {138, 33}, listOf<firstFraction>, 10.0, LastFractionDigit);
    static inline ELEMENT_STATIC_IMAGE face = StaticImage(row.face, Gauge, listOf<lastFraction>, IMAGE_PLATE);

    static constexpr UINT32 knobFlags = MOUSE_LEFTSINGLE | MOUSE_DOWN_REPEAT;
    static inline MOUSERECT mouse[] = {
        MouseGauge(row.gaugeHelp),
        MouseParent(89, 33, 60, 16, row.windowHelp),
        MouseEndParent(),
        MouseParent(14, 9, 36, 36, row.knobsHelp),
        MouseRoutine(0, 0, 18, 36, CURSOR_DOWNARROW, knobFlags, GuardedStep<WholeMayGoDown, row.wholeDown>),
        MouseRoutine(18, 0, 18, 36, CURSOR_UPARROW, knobFlags, GuardedStep<WholeMayGoUp, row.wholeUp>),
        MouseEndParent(),
        MouseParent(190, 8, 36, 36, row.knobsHelp),
        MouseRoutine(0, 0, 18, 36, CURSOR_DOWNARROW, knobFlags, GuardedStep<FractionMayTurn, row.fractionDown>),
        MouseRoutine(18, 0, 18, 36, CURSOR_UPARROW, knobFlags, GuardedStep<FractionMayTurn, row.fractionUp>),
        MouseEndParent(),
        MouseRoutine(59, 61, 26, 31, CURSOR_HAND, MOUSE_LEFTSINGLE, FlipFlagClick<*row.power, sound>),
        MouseRoutine(113, 64, 22, 22, CURSOR_HAND, MOUSE_LEFTSINGLE, FlipFlagClick<*row.ident, sound>),
        MouseEndParent(),
        MouseEnd(),
    };

    static constexpr GAUGEHDR Header() { return GaugeHeader(row.name, listOf<face>, 100, mouse, Routine); }
};

}  // namespace

constinit GAUGEHDR Radio_NAV1 = NavReceiver<&Radio_NAV1>::Header();
constinit GAUGEHDR Radio_NAV2 = NavReceiver<&Radio_NAV2>::Header();
