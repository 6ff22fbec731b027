// Radio_COM1: the VHF communication set. Four rotary selector knobs show the
// simulator's COM1 frequency and tune it; a power switch with lamp and click.
//
// Reads:  tokenCom1Frequency, the COM1 frequency (BCD without the hundreds digit).
// Sends:  COM whole-MHz and fraction steps, value 0.
// Plays:  waveKnobClick on the power switch.
// Keeps:  com1Power (SystemsState); the frequency as last decoded.
//
// The power switch lights only the lamp: the knobs show and tune the
// frequency whether the set is on or off. The tuning areas keep the knobs
// inside 118 to 136 MHz; the simulator carries the fraction into the MHz.
#include <array>
#include <cstddef>
#include <utility>

#include "gauges/electrical/sounding_switch.h"
#include "gauges/electrical/systems_state.h"
#include "gauges/radio/radio_display.h"
#include "module/gauge_builders.h"
#include "module/host_services.h"
#include "module/numbers.h"
#include "module/tokens.h"

extern GAUGEHDR Radio_COM1;

namespace {

FLOAT64 com1WholeMHz = 0.0;   // 118 to 136
FLOAT64 com1Fraction = 0.0;   // the two fraction digits, 0 to 99
FLOAT64 com1UnitsDigit = 0.0; // as the units knob last showed it

SoundingSwitchSound com1Sound{.waveId = waveKnobClick};

constexpr SINT32 com1Face = 3200;
constexpr SINT32 com1Knob = 3240;      // knob turned to 0 to 9: 3240 to 3249
constexpr SINT32 com1LastKnob = 3250;  // last digit 0, 2, 5, 7: 3250 to 3253
constexpr SINT32 com1PowerSwitch = 3230;
constexpr SINT32 com1Lamp = 3220;

// Band guards of the knobs, in whole MHz.
constexpr FLOAT64 tensDownFrom = 128.0;
constexpr FLOAT64 tensUpTo = 125.0;
constexpr FLOAT64 bandBottom = 118.0;
constexpr FLOAT64 unitsUpBelow = 135.0;
constexpr FLOAT64 unitsUpLastDigit = 8.0;  // the units knob stops at 8, not 9
constexpr FLOAT64 fractionUpTo = 135.0;
constexpr int tensSteps = 10;       // ten whole-MHz steps move the tens digit
constexpr int coarseFractionSteps = 4;  // a tenth of a MHz at 25 kHz a step

void DecodeWholeMHz() { com1WholeMHz = BcdWholeMHz(LookupToken(tokenCom1Frequency).u); }
void DecodeFraction() { com1Fraction = BcdFraction(LookupToken(tokenCom1Frequency).u); }

void Send(UINT32 event, int times) {
    for (int i = 0; i < times; ++i) TriggerKeyEvent(event, 0);
}

FLOAT64 FSAPI FirstFractionDigit(ELEMENT_ICON*) { return DecimalDigit(com1Fraction, 1); }

FLOAT64 FSAPI UnitsDigit(ELEMENT_ICON*) {
    com1UnitsDigit = DecimalDigit(com1WholeMHz, 0);
    return com1UnitsDigit;
}

FLOAT64 FSAPI TensDigit(ELEMENT_ICON*) { return DecimalDigit(com1WholeMHz, 1); }

// The last knob has a picture for each last digit of the 25 kHz channels.
FLOAT64 FSAPI LastFractionDigit(ELEMENT_ICON*) {
    const FLOAT64 digit = DecimalDigit(com1Fraction, 0);
    if (digit == 2.0) return 1.0;
    if (digit == 5.0) return 2.0;
    if (digit == 7.0) return 3.0;
    return 0.0;
}

FLOAT64 FSAPI PowerSwitch(ELEMENT_ICON*) { return com1Power ? 1.0 : 0.0; }
FLOAT64 FSAPI PowerLamp(ELEMENT_ICON*) { return com1Power ? 0.0 : -1.0; }

// The knob halves: which decoded value each refreshes, when it may turn and
// what it sends. The units halves test the digit the knob showed when last
// drawn, not a fresh decoding.
bool TensMayGoDown() { return com1WholeMHz >= tensDownFrom; }
bool TensMayGoUp() { return com1WholeMHz <= tensUpTo; }
bool UnitsMayGoDown() { return com1WholeMHz > bandBottom && com1UnitsDigit > 0.0; }
bool UnitsMayGoUp() { return com1WholeMHz < unitsUpBelow && com1UnitsDigit < unitsUpLastDigit; }
bool FractionMayGoDown() { return com1WholeMHz >= bandBottom; }
bool FractionMayGoUp() { return com1WholeMHz <= fractionUpTo; }

struct KnobHalf {
    SINT32 x{}, width{};
    bool up{};
    void (*refresh)(){};
    bool (*mayTurn)(){};
    KeyEvent event{};
    int times{};
};

// clang-format off
constexpr KnobHalf knobHalves[] = {
    {.x = 41, .width = 26, .up = false, .refresh = DecodeWholeMHz, .mayTurn = TensMayGoDown, .event = keyCom1WholeDown, .times = tensSteps},
    {.x = 67, .width = 26, .up = true, .refresh = DecodeWholeMHz, .mayTurn = TensMayGoUp, .event = keyCom1WholeUp, .times = tensSteps},
    {.x = 94, .width = 26, .up = false, .refresh = DecodeWholeMHz, .mayTurn = UnitsMayGoDown, .event = keyCom1WholeDown, .times = 1},
    {.x = 120, .width = 26, .up = true, .refresh = DecodeWholeMHz, .mayTurn = UnitsMayGoUp, .event = keyCom1WholeUp, .times = 1},
    {.x = 147, .width = 26, .up = false, .refresh = DecodeFraction, .mayTurn = FractionMayGoDown, .event = keyCom1FractionDown, .times = coarseFractionSteps},
    {.x = 173, .width = 26, .up = true, .refresh = DecodeFraction, .mayTurn = FractionMayGoUp, .event = keyCom1FractionUp, .times = coarseFractionSteps},
    // The fine halves overlap over x 214 to 219; the down half comes first.
    {.x = 200, .width = 20, .up = false, .refresh = DecodeFraction, .mayTurn = FractionMayGoDown, .event = keyCom1FractionDown, .times = 1},
    {.x = 214, .width = 20, .up = true, .refresh = DecodeFraction, .mayTurn = FractionMayGoUp, .event = keyCom1FractionUp, .times = 1},
};
// clang-format on
constexpr std::size_t knobHalfCount = sizeof knobHalves / sizeof knobHalves[0];

template <std::size_t Half>
SINT32 FSAPI TurnKnob(MOUSECALLBACK_POINT*, UINT32) {
    constexpr const KnobHalf& half = knobHalves[Half];
    half.refresh();
    if (half.mayTurn()) Send(half.event, half.times);
    return 0;
}

void FSAPI Com1Routine(GAUGEHDR* gauge, SINT32 serviceId, UINT32 extraData) {
    if (serviceId == PANEL_SERVICE_PRE_INSTALL) com1Power = 0;
    if (serviceId == PANEL_SERVICE_PRE_UPDATE) {
        DecodeWholeMHz();
        DecodeFraction();
    }
    SoundingSwitchService(com1Sound, gauge, serviceId, extraData);
}

FAILURE_RECORD com1AvionicsFailures[] = {
    {.key = FAIL_SYSTEM_ELECTRICAL_AVIONICS, .action = FAIL_ACTION_NO_DRAW},
    {.key = FAIL_GAUGE_COMMUNICATIONS, .action = FAIL_ACTION_NONE},
    {.key = FAIL_NONE},
};

// 7 to 2, top of the chain first. The knobs show their digit's picture,
// unscaled.
ELEMENT_ICON com1PowerLamp =
    Icon(com1Lamp, {27, 118}, &Radio_COM1, nullptr, IMAGE_LAMP, tokenNone, 1, PowerLamp, com1AvionicsFailures);
ELEMENT_ICON com1PowerSwitchIcon =
    Icon(com1PowerSwitch, {23, 143}, &Radio_COM1, listOf<com1PowerLamp>, IMAGE_PLATE, tokenNone, 2, PowerSwitch);
ELEMENT_ICON com1LastKnobIcon = Icon(com1LastKnob, {194, 8}, &Radio_COM1, listOf<com1PowerSwitchIcon>, IMAGE_KNOB,
                                     tokenNone, 4, LastFractionDigit, nullptr, 0.0);
ELEMENT_ICON com1TensKnob = Icon(com1Knob, {41, 8}, &Radio_COM1, listOf<com1LastKnobIcon>, IMAGE_KNOB, tokenNone, 10,
                                 TensDigit, nullptr, 0.0);
ELEMENT_ICON com1UnitsKnob = Icon(com1Knob, {94, 8}, &Radio_COM1, listOf<com1TensKnob>, IMAGE_KNOB, tokenNone, 10,
                                  UnitsDigit, com1AvionicsFailures, 0.0);
ELEMENT_ICON com1FractionKnob = Icon(com1Knob, {147, 8}, &Radio_COM1, listOf<com1UnitsKnob>, IMAGE_KNOB, tokenNone,
                                     10, FirstFractionDigit, nullptr, 0.0);
ELEMENT_STATIC_IMAGE com1FaceImage = StaticImage(com1Face, &Radio_COM1, listOf<com1FractionKnob>, IMAGE_PLATE);

// Each knob's left half turns it down, its right half up; then the power
// switch.
constexpr UINT32 knobFlags = MOUSE_LEFTSINGLE | MOUSE_DOWN_REPEAT;
constexpr SINT32 knobTop = 8;
constexpr SINT32 knobHeight = 52;

template <std::size_t... Half>
constexpr auto Com1MouseList(std::index_sequence<Half...>) {
    return std::array<MOUSERECT, knobHalfCount + 5>{
        MouseGauge(helpCom1Radio),
        MouseTooltipId(tooltipCom1),
        MouseRoutine(knobHalves[Half].x, knobTop, knobHalves[Half].width, knobHeight,
                     knobHalves[Half].up ? CURSOR_UPARROW : CURSOR_DOWNARROW, knobFlags, TurnKnob<Half>)...,
        MouseRoutine(23, 143, 50, 50, CURSOR_HAND, MOUSE_LEFTSINGLE, FlipFlagClick<com1Power, com1Sound>),
        MouseEndParent(),
        MouseEnd(),
    };
}
constinit std::array<MOUSERECT, knobHalfCount + 5> com1Mouse = Com1MouseList(std::make_index_sequence<knobHalfCount>{});

}  // namespace

constinit GAUGEHDR Radio_COM1 = GaugeHeader("Radio_COM1", listOf<com1FaceImage>, 100, com1Mouse.data(), Com1Routine);
