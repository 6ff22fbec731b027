// Radio_ADF and ADF_Indicator: the automatic direction finder.
//
// Radio_ADF, the receiver's control box:
// Reads:  tokenAdfFrequency and tokenAdfFrequencyExtension, the ADF
//         frequency (BCD hundreds, tens and units of kHz; thousands digit
//         and tenths in the extension).
// Sends:  ADF tuning steps of 1 and 0.1 kHz; the set-frequency event when the
//         band changes; identifier audio off or on, from the mode switch and
//         volume knob elements on every evaluation.
// Plays:  waveKnobClick on every switch, band and tuning click
//         that acts.
// Keeps:  adfPower, adfIdent (SystemsState); the band, the dial angle, the
//         tuning knob's turns and the frequency as last decoded.
//
// The band logic keeps the frequency inside the selected band: 200 to 410,
// 410 to 850 and 850 to 1750 kHz. A band change puts the frequency on the
// boundary between the two bands and the dial on the matching end of its
// scale.
//
// ADF_Indicator, the bearing indicator:
// Reads:  tokenAdfCard (card setting), tokenAdfBearing (bearing).
// Sends:  card down and up from its knob areas, sent by the host itself.
// Keeps:  nothing; the pointer parks at 90 while the receiver is off.
#include <cmath>
#include <cstddef>

#include "gauges/electrical/sounding_switch.h"
#include "gauges/electrical/systems_state.h"
#include "gauges/radio/radio_display.h"
#include "module/gauge_builders.h"
#include "module/host_services.h"
#include "module/numbers.h"
#include "module/tokens.h"

extern GAUGEHDR Radio_ADF;
extern GAUGEHDR ADF_Indicator;

namespace {

int adfBand = 1;              // band number, 1 to 3, as the band knob and card show it
FLOAT64 adfFrequency = 0.0;   // kHz with tenths, as last decoded
FLOAT64 adfDialAngle = 0.0;   // degrees of the frequency dial
FLOAT64 adfKnobTurns = 60.0;  // turns of the tuning knob picture; unbounded

SoundingSwitchSound adfSound{.waveId = waveKnobClick};

struct AdfBandRow {
    FLOAT64 bottom{};           // kHz
    FLOAT64 top{};              // kHz
    FLOAT64 tenthDegreesPerKHz{};  // the dial's scale
};

// clang-format off
constexpr AdfBandRow adfBands[] = {
    {.bottom = 200.0, .top = 410.0, .tenthDegreesPerKHz = 5.0},
    {.bottom = 410.0, .top = 850.0, .tenthDegreesPerKHz = 4.0},
    {.bottom = 850.0, .top = 1750.0, .tenthDegreesPerKHz = 3.0},
};
// clang-format on
constexpr int adfBandCount = sizeof adfBands / sizeof adfBands[0];

// Tuning steps: a left click moves five whole kHz, a right click five tenths.
constexpr int tuningStepsPerClick = 5;
constexpr FLOAT64 coarseStep = 5.0;  // kHz a left click moves
constexpr FLOAT64 fineStep = 0.5;    // kHz a right click moves
constexpr FLOAT64 coarseKnobTurns = 5.0;
constexpr FLOAT64 fineKnobTurns = 1.0;

// The band card turns a quarter turn per band.
constexpr FLOAT64 bandCardQuarterTurn = 90.0;
// The simulator's set-frequency event takes tenths of a kHz in BCD.
constexpr UINT32 tenthsPerKHz = 10;

int BandNumber() {
    const int band = adfBand;
    return band < 1 ? 1 : band > adfBandCount ? adfBandCount : band;
}
const AdfBandRow& Band(int number) { return adfBands[number - 1]; }

constexpr FLOAT64 DialAngle(const AdfBandRow& band, FLOAT64 frequency) {
    return (frequency - band.bottom) * band.tenthDegreesPerKHz / 10.0;
}

FLOAT64 DecodeAdfFrequency() {
    const UINT32 digits = LookupToken(tokenAdfFrequency).u;
    const UINT32 extension = LookupToken(tokenAdfFrequencyExtension).u;
    return AdfWholeKHz(digits, extension) + AdfTenthDigit(extension) / 10.0;
}

void SendFrequency(FLOAT64 kHz) {
    TriggerKeyEvent(keyAdfFrequencySet,
                    RebaseDigits(static_cast<UINT32>(TruncateToInt32(kHz)) * tenthsPerKHz, 10, 16));
}

void Send(UINT32 event, int times) {
    for (int i = 0; i < times; ++i) TriggerKeyEvent(event, 0);
}

// --- Radio_ADF element routines ----------------------------------------------

// The dial follows the frequency while the set is on and stays put while off.
FLOAT64 FSAPI FrequencyDial(ELEMENT_NEEDLE*) {
    adfFrequency = DecodeAdfFrequency();
    if (adfPower) adfDialAngle = DialAngle(Band(BandNumber()), adfFrequency);
    return adfDialAngle;
}

FLOAT64 FSAPI FrequencyText(ELEMENT_STRING* window) {
    const FLOAT64 frequency = DecodeAdfFrequency();
    constexpr FLOAT64 fourDigits = 1000.0;
    if (!adfPower) {
        ShowWindowText(window, "      ");
    } else if (frequency < fourDigits) {
        ShowWindowNumber(window, "0%4.1f", frequency);
    } else {
        ShowWindowNumber(window, "%4.1f", frequency);
    }
    return 0.0;
}

FLOAT64 FSAPI TuningKnob(ELEMENT_NEEDLE*) { return adfKnobTurns; }
FLOAT64 FSAPI BandKnob(ELEMENT_NEEDLE*) { return adfBand; }
FLOAT64 FSAPI BandCard(ELEMENT_SPRITE*) { return (1.0 - adfBand) * bandCardQuarterTurn; }

// The identifier audio follows the mode switch and the volume knob; each
// element says so whenever it is evaluated.
FLOAT64 FSAPI VolumeKnob(ELEMENT_ICON*) {
    if (adfIdent) {
        if (adfPower) TriggerKeyEvent(keyAdfIdentOn, 0);
        return 1.0;
    }
    TriggerKeyEvent(keyAdfIdentOff, 0);
    return 0.0;
}

FLOAT64 FSAPI ModeSwitch(ELEMENT_ICON*) {
    if (!adfPower) {
        TriggerKeyEvent(keyAdfIdentOff, 0);
        return 0.0;
    }
    if (adfIdent) TriggerKeyEvent(keyAdfIdentOn, 0);
    return 1.0;
}

FLOAT64 FSAPI Lamp(ELEMENT_ICON*) { return adfPower ? 0.0 : -1.0; }

// --- Radio_ADF mouse routines --------------------------------------------------

// Up a band: the new band starts at its bottom, where the dial reads 0.
SINT32 FSAPI BandUp(MOUSECALLBACK_POINT*, UINT32) {
    if (!adfPower || BandNumber() >= adfBandCount) return 0;
    const int band = BandNumber() + 1;
    adfBand = band;
    SoundingSwitchClick(adfSound);
    adfDialAngle = 0.0;
    SendFrequency(Band(band).bottom);
    return 0;
}

// Down a band: the lower band is entered at its top, the dial at its end.
SINT32 FSAPI BandDown(MOUSECALLBACK_POINT*, UINT32) {
    if (!adfPower || BandNumber() <= 1) return 0;
    const int band = BandNumber() - 1;
    adfBand = band;
    SoundingSwitchClick(adfSound);
    adfDialAngle = DialAngle(Band(band), Band(band).top);
    SendFrequency(Band(band).top);
    return 0;
}

// Tuning uses the frequency the dial decoded last; the left button moves
// whole kHz, the right tenths, and neither steps past the band's ends.
SINT32 FSAPI TuneUp(MOUSECALLBACK_POINT*, UINT32 mouseFlags) {
    if (!adfPower) return 0;
    const AdfBandRow& band = Band(BandNumber());
    if (mouseFlags & MOUSE_LEFTSINGLE) {
        if (adfFrequency <= band.top - coarseStep) {
            Send(keyAdfWholeUp, tuningStepsPerClick);
            adfKnobTurns += coarseKnobTurns;
        }
    } else if (mouseFlags & MOUSE_RIGHTSINGLE) {
        if (adfFrequency <= band.top - fineStep) {
            Send(keyAdfTenthUp, tuningStepsPerClick);
            adfKnobTurns += fineKnobTurns;
        }
    }
    return 0;
}

SINT32 FSAPI TuneDown(MOUSECALLBACK_POINT*, UINT32 mouseFlags) {
    if (!adfPower) return 0;
    const AdfBandRow& band = Band(BandNumber());
    if (mouseFlags & MOUSE_LEFTSINGLE) {
        if (adfFrequency >= band.bottom + coarseStep) {
            Send(keyAdfWholeDown, tuningStepsPerClick);
            adfKnobTurns -= coarseKnobTurns;
        }
    } else if (mouseFlags & MOUSE_RIGHTSINGLE) {
        if (adfFrequency >= band.bottom + fineStep) {
            Send(keyAdfTenthDown, tuningStepsPerClick);
            adfKnobTurns -= fineKnobTurns;
        }
    }
    return 0;
}

// Install: the band is the one that holds the simulator's frequency. Band,
// dial and knob keep their values across kill and install otherwise.
void FSAPI AdfRoutine(GAUGEHDR* gauge, SINT32 serviceId, UINT32 extraData) {
    if (serviceId == PANEL_SERVICE_PRE_INSTALL) {
        adfFrequency = DecodeAdfFrequency();
        int band = adfBandCount;
        for (int number = 1; number <= adfBandCount; ++number) {
            if (adfFrequency <= Band(number).top) {
                band = number;
                break;
            }
        }
        adfBand = band;
        adfDialAngle = DialAngle(Band(band), adfFrequency);
    }
    SoundingSwitchService(adfSound, gauge, serviceId, extraData);
}

// --- Radio_ADF records ---------------------------------------------------------

constexpr SINT32 adfFace = 3370;  // the set's front plate
constexpr SINT32 adfDial = 3450;  // the frequency dial, turned by its needle
constexpr SINT32 adfDialCover = 3460;
constexpr SINT32 adfTuningKnob = 3390;
constexpr SINT32 adfBandKnob = 3380;
constexpr SINT32 adfBandCard = 3440;  // window 3441
constexpr SINT32 adfVolumeKnob = 3420;
constexpr SINT32 adfLamp = 3410;
constexpr SINT32 adfModeSwitch = 3400;  // power: off and on pictures

NONLINEARITY adfDialTable[] = {{{168, 52}, 0.0, 0.0}, {{168, 248}, 180.0, 0.0}};
// Half a turn per 60 turns: 15 degrees a coarse step, 3 a fine one.
NONLINEARITY adfTuningTable[] = {{{166, 222}, 0.0, 0.0}, {{166, 282}, 60.0, 0.0}};
NONLINEARITY adfBandTable[] = {{{164, 123}, 0.0, 0.0}, {{164, 199}, 1.0, 0.0}};

FAILURE_RECORD adfWindowFailures[] = {
    {.key = FAIL_SYSTEM_ELECTRICAL_PANELS, .action = FAIL_ACTION_NO_DRAW},
    {.key = FAIL_SYSTEM_ELECTRICAL_AVIONICS, .action = FAIL_ACTION_NO_DRAW},
    {.key = FAIL_GAUGE_ADF, .action = FAIL_ACTION_NONE},
    {.key = FAIL_NONE},
};
FAILURE_RECORD adfLampFailures[] = {
    {.key = FAIL_SYSTEM_ELECTRICAL_PANELS, .action = FAIL_ACTION_NO_DRAW},
    {.key = FAIL_SYSTEM_ELECTRICAL_AVIONICS, .action = FAIL_ACTION_NO_DRAW},
    {.key = FAIL_NONE},
};

// 10 to 1, top of the chain first.
ELEMENT_ICON adfModeSwitchIcon =
    Icon(adfModeSwitch, {237, 215}, &Radio_ADF, nullptr, IMAGE_PLATE, tokenNone, 2, ModeSwitch);
ELEMENT_ICON adfLampIcon = Icon(adfLamp, {290, 6}, &Radio_ADF, listOf<adfModeSwitchIcon>, IMAGE_LAMP, tokenNone, 1,
                                Lamp, adfLampFailures);
// The volume knob carries its token, but only the identifier switch decides.
ELEMENT_ICON adfVolumeIcon =
    Icon(adfVolumeKnob, {25, 183}, &Radio_ADF, listOf<adfLampIcon>, IMAGE_PLATE, tokenAdfVolume, 2, VolumeKnob);
ELEMENT_SPRITE adfBandCardSprite =
    Sprite(adfBandCard, {91, 54}, {168, 150}, &Radio_ADF, listOf<adfVolumeIcon>, IMAGE_NEEDLE, nullptr,
           {tokenNone, 1.0}, {tokenNone, 1.0}, {tokenNone, 1.0, BandCard}, 1.0f, 1.0f);
ELEMENT_NEEDLE adfBandKnobNeedle = Needle(adfBandKnob, {164, 161}, {38, 38}, &Radio_ADF, listOf<adfBandCardSprite>,
                                          IMAGE_KNOB, nullptr, tokenNone, adfBandTable, BandKnob);
ELEMENT_NEEDLE adfTuningKnobNeedle = Needle(adfTuningKnob, {166, 252}, {24, 21}, &Radio_ADF, listOf<adfBandKnobNeedle>,
                                            IMAGE_KNOB, nullptr, tokenNone, adfTuningTable, TuningKnob);
constexpr TextLook adfWindowLook = {.box = {60, 20}, .characters = 6, .foreground = 0x868686,
                                    .background = 0x000000, .highlight = 0x00FFFF,
                                    .font = "Quartz", .weight = 400};
ELEMENT_STRING adfWindow = String({190, 14}, &Radio_ADF, listOf<adfTuningKnobNeedle>, IMAGE_LAMP, adfWindowFailures,
                                  {tokenAdfFrequency, tokenNone}, adfWindowLook, FrequencyText);
ELEMENT_STATIC_IMAGE adfCover = StaticImage(adfDialCover, &Radio_ADF, listOf<adfWindow>, IMAGE_PLATE);
ELEMENT_NEEDLE adfDialNeedle = Needle(adfDial, {168, 150}, {98, 98}, &Radio_ADF, listOf<adfCover>, IMAGE_NEEDLE,
                                      nullptr, tokenNone, adfDialTable, FrequencyDial);
ELEMENT_STATIC_IMAGE adfFaceImage = StaticImage(adfFace, &Radio_ADF, listOf<adfDialNeedle>, IMAGE_PLATE);

constexpr UINT32 knobFlags = MOUSE_LEFTSINGLE | MOUSE_DOWN_REPEAT;
constexpr UINT32 twoButtonKnobFlags = MOUSE_LEFTSINGLE | MOUSE_RIGHTSINGLE | MOUSE_DOWN_REPEAT;
MOUSERECT adfMouse[] = {
    MouseGauge(helpAdfRadio),
    MouseTooltipId(tooltipAdf),
    MouseRoutine(237, 215, 78, 78, CURSOR_HAND, MOUSE_LEFTSINGLE, FlipFlagClick<adfPower, adfSound>),
    MouseRoutine(25, 183, 74, 74, CURSOR_HAND, MOUSE_LEFTSINGLE, FlipFlagClick<adfIdent, adfSound>),
    MouseRoutine(126, 123, 45, 90, CURSOR_DOWNARROW, knobFlags, BandDown),
    MouseRoutine(164, 123, 45, 90, CURSOR_UPARROW, knobFlags, BandUp),
    MouseRoutine(122, 209, 45, 90, CURSOR_DOWNARROW, twoButtonKnobFlags, TuneDown),
    MouseRoutine(167, 209, 45, 90, CURSOR_UPARROW, twoButtonKnobFlags, TuneUp),
    MouseEndParent(),
    MouseEnd(),
};

// --- ADF_Indicator ---------------------------------------------------------------

constexpr FLOAT64 pointerParked = 90.0;  // pointing right

FLOAT64 FSAPI BearingPointer(ELEMENT_NEEDLE* pointer) {
    if (!adfPower || !pointer) return pointerParked;
    return pointer->source_var.var_value.n;
}

constexpr SINT32 indicatorFace = 2000;
constexpr SINT32 indicatorCard = 2030;  // window 2031
constexpr SINT32 indicatorPointer = 2020;  // bearing to the station
constexpr SINT32 indicatorCover = 2040;
constexpr SINT32 indicatorKnob = 2010;  // turns the card

NONLINEARITY indicatorPointerTable[] = {{{150, 100}, 0.0, 0.0}, {{150, 200}, 180.0, 0.0}};
// Half a turn of the knob per 20 degrees of card.
NONLINEARITY indicatorKnobTable[] = {{{39, 241}, 0.0, 0.0}, {{39, 297}, 20.0, 0.0}};

FAILURE_RECORD indicatorFaceFailures[] = {
    {.key = FAIL_GAUGE_ADF, .action = FAIL_ACTION_NONE},
    {.key = FAIL_NONE},
};
FAILURE_RECORD indicatorPointerFailures[] = {
    {.key = FAIL_SYSTEM_ELECTRICAL_AVIONICS, .action = FAIL_ACTION_ZERO},
    {.key = FAIL_SYSTEM_ELECTRICAL_PANELS, .action = FAIL_ACTION_FREEZE},
    {.key = FAIL_NONE},
};

ELEMENT_NEEDLE indicatorKnobNeedle = Needle(indicatorKnob, {39, 269}, {28, 28}, &ADF_Indicator, nullptr, IMAGE_KNOB,
                                            nullptr, tokenAdfCard, indicatorKnobTable);
ELEMENT_STATIC_IMAGE indicatorCoverImage =
    StaticImage(indicatorCover, &ADF_Indicator, listOf<indicatorKnobNeedle>, IMAGE_PLATE);
ELEMENT_NEEDLE indicatorPointerNeedle =
    Needle(indicatorPointer, {150, 150}, {123, 20}, &ADF_Indicator, listOf<indicatorCoverImage>, IMAGE_NEEDLE,
           indicatorPointerFailures, tokenAdfBearing, indicatorPointerTable, BearingPointer);
ELEMENT_SPRITE indicatorCardSprite =
    Sprite(indicatorCard, {0, 0}, {150, 150}, &ADF_Indicator, listOf<indicatorPointerNeedle>, IMAGE_NEEDLE, nullptr,
           {tokenNone, 0.0}, {tokenNone, 0.0}, {tokenAdfCard, 1.0}, 1.0f, 1.0f);
ELEMENT_STATIC_IMAGE indicatorFaceImage = StaticImage(indicatorFace, &ADF_Indicator, listOf<indicatorCardSprite>,
                                                      IMAGE_DIAL, {0, 0}, indicatorFaceFailures);

// The knob's halves make the host send the card events itself.
MOUSERECT indicatorMouse[] = {
    MouseGauge(helpAdfIndicator),
    MouseParent(11, 241, 56, 56, helpAdfCardKnob),
    MouseEndParent(),
    MouseEvent(11, 241, 28, 56, CURSOR_DOWNARROW, knobFlags, keyAdfCardDown),
    MouseEvent(39, 241, 28, 56, CURSOR_UPARROW, knobFlags, keyAdfCardUp),
    MouseEndParent(),
    MouseEnd(),
};

}  // namespace

constinit GAUGEHDR Radio_ADF = GaugeHeader("Radio_ADF", listOf<adfFaceImage>, 100, adfMouse, AdfRoutine);
constinit GAUGEHDR ADF_Indicator = GaugeHeader("ADF_Indicator", listOf<indicatorFaceImage>, 100, indicatorMouse);
