#include "host/core/reactions.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "module/bcd.h"
#include "module/tokens.h"

namespace panelhost {

namespace {

// The simulator's switch for a system: 0 off, 1 on.
template <SimToken Token>
void ToggleSwitch(TokenStore& tokens, UINT32) {
    tokens.SetNumber(Token, tokens.Number(Token) == 0.0 ? 1.0 : 0.0);
}

// The parking brake is a position: 0 released, 32767 set; the handle shows
// it set only above 32500.
constexpr double parkingBrakeReleased = 0.0;
constexpr double parkingBrakeSet = 32767.0;
constexpr double parkingBrakeSetAbove = 32500.0;

void ToggleParkingBrake(TokenStore& tokens, UINT32) {
    const bool set = tokens.Number(tokenParkingBrake) > parkingBrakeSetAbove;
    tokens.SetNumber(tokenParkingBrake, set ? parkingBrakeReleased : parkingBrakeSet);
}

// --- Radios ---------------------------------------------------------------
// Frequencies and codes are kept as the gauges read them: binary-coded
// decimal in the token's first four bytes.

// COM and NAV: whole MHz in the upper two digits (without the hundreds), the
// fraction in the lower two. Whole MHz wrap from one band end to the other;
// the fraction wraps within its MHz without carrying.
struct VhfBand {
    UINT32 bottom, top;      // whole MHz
    UINT32 channels;         // fraction steps per MHz
    UINT32 kHzPerChannel;
};
constexpr VhfBand comBand = {.bottom = 118, .top = 136, .channels = 40, .kHzPerChannel = 25};
constexpr VhfBand navBand = {.bottom = 108, .top = 117, .channels = 20, .kHzPerChannel = 50};

// The two digits show tens of kHz, truncated: channel 3 of 25 kHz is .07.
UINT32 ChannelDigits(const VhfBand& band, UINT32 channel) { return channel * band.kHzPerChannel / 10; }
// The channel the digits show, or the one just below digits between channels.
UINT32 Channel(const VhfBand& band, UINT32 digits) {
    UINT32 channel = 0;
    while (channel + 1 < band.channels && ChannelDigits(band, channel + 1) <= digits) ++channel;
    return channel;
}

template <const VhfBand& Band, SimToken Token, int Step>
void StepWholeMHz(TokenStore& tokens, UINT32) {
    const UINT32 frequency = static_cast<UINT32>(tokens.Integer(Token));
    UINT32 whole = BcdWholeMHz(frequency);
    if (whole < Band.bottom || whole > Band.top) whole = Band.bottom;
    if (Step > 0) whole = whole >= Band.top ? Band.bottom : whole + 1;
    if (Step < 0) whole = whole <= Band.bottom ? Band.top : whole - 1;
    tokens.SetInteger(Token, static_cast<std::int32_t>(BcdFrequency(whole, BcdFraction(frequency))));
}

template <const VhfBand& Band, SimToken Token, int Step>
void StepFraction(TokenStore& tokens, UINT32) {
    const UINT32 frequency = static_cast<UINT32>(tokens.Integer(Token));
    const UINT32 channel = Channel(Band, BcdFraction(frequency));
    const UINT32 next = Step > 0 ? (channel + 1) % Band.channels : (channel + Band.channels - 1) % Band.channels;
    tokens.SetInteger(Token, static_cast<std::int32_t>(
                               BcdFrequency(BcdWholeMHz(frequency), ChannelDigits(Band, next))));
}

// ADF: tokenAdfFrequency holds the hundreds, tens and units of the kHz,
// tokenAdfFrequencyExtension a thousands flag and the tenths. Steps carry
// between tenths and kHz and stop at the receiver's range, 100.0 to
// 1799.9 kHz.
constexpr std::int32_t adfLowestTenths = 1000;
constexpr std::int32_t adfHighestTenths = 17999;

std::int32_t AdfTenths(const TokenStore& tokens) {
    const UINT32 digits = static_cast<UINT32>(tokens.Integer(tokenAdfFrequency));
    const UINT32 extension = static_cast<UINT32>(tokens.Integer(tokenAdfFrequencyExtension));
    return static_cast<std::int32_t>(AdfWholeKHz(digits, extension) * 10 + AdfTenthDigit(extension));
}

void SetAdfTenths(TokenStore& tokens, std::int32_t tenths) {
    if (tenths < adfLowestTenths) tenths = adfLowestTenths;
    if (tenths > adfHighestTenths) tenths = adfHighestTenths;
    const auto whole = static_cast<UINT32>(tenths / 10);
    tokens.SetInteger(tokenAdfFrequency, static_cast<std::int32_t>(AdfDigits(whole)));
    tokens.SetInteger(tokenAdfFrequencyExtension,
                    static_cast<std::int32_t>(AdfExtension(whole, static_cast<UINT32>(tenths % 10))));
}

template <int Tenths>
void StepAdf(TokenStore& tokens, UINT32) { SetAdfTenths(tokens, AdfTenths(tokens) + Tenths); }

// The set event carries four BCD digits in tenths of a kHz: 0x4100 is 410.0.
void SetAdfFrequency(TokenStore& tokens, UINT32 value) {
    SetAdfTenths(tokens, static_cast<std::int32_t>(BcdFourDigits(value)));
}

// Transponder: each digit runs 0 to 7 and wraps on its own.
template <int Position, int Step>
void StepSquawkDigit(TokenStore& tokens, UINT32) {
    const UINT32 code = static_cast<UINT32>(tokens.Integer(tokenTransponderCode)) & 0xFFFFu;
    const UINT32 digit = std::min(BcdDigit(code, Position), 7u);
    const UINT32 next = Step > 0 ? (digit + 1) % 8 : (digit + 7) % 8;
    const UINT32 shift = 4u * Position;
    tokens.SetInteger(tokenTransponderCode, static_cast<std::int32_t>((code & ~(0xFu << shift)) | next << shift));
}

// Courses and the ADF card are whole degrees 0 to 359.
template <SimToken Token>
void SetCourse(TokenStore& tokens, UINT32 value) { tokens.SetNumber(Token, static_cast<double>(value % 360)); }

template <SimToken Token, int Step>
void TurnCard(TokenStore& tokens, UINT32) {
    const double card = tokens.Number(Token);
    const auto degrees = std::isfinite(card) ? static_cast<int>(std::fmod(std::floor(card), 360.0)) : 0;
    tokens.SetNumber(Token, static_cast<double>((degrees + Step + 720) % 360));
}

// Cockpit switches, generators and the engine systems the engine box and the
// shut-down sequence toggle. The landing-light pair (keyLandingLightsToggle
// then keyLandingLightsSet) toggles tokenLandingLights once.
constexpr Reaction reactionTable[] = {
    {.event = keyAvionicsMasterToggle, .apply = ToggleSwitch<tokenAvionicsMaster>},
    {.event = keyBatteryMasterToggle, .apply = ToggleSwitch<tokenBatteryMaster>},
    {.event = keyBeaconLightsToggle, .apply = ToggleSwitch<tokenBeaconLights>},
    {.event = keyLandingLightsToggle, .apply = ToggleSwitch<tokenLandingLights>},
    {.event = keyNavigationLightsToggle, .apply = ToggleSwitch<tokenNavigationLights>},
    {.event = keyPanelLightsToggle, .apply = ToggleSwitch<tokenPanelLights>},
    {.event = keyStrobeLightsToggle, .apply = ToggleSwitch<tokenStrobeLights>},
    {.event = keyPitotHeatToggle, .apply = ToggleSwitch<tokenPitotHeat>},
    {.event = keyPropellerDeIceToggle, .apply = ToggleSwitch<tokenPropellerDeIce>},
    {.event = keyWingsDeIceToggle, .apply = ToggleSwitch<tokenWingsDeIce>},
    {.event = keyParkingBrake, .apply = ToggleParkingBrake},
    {.event = keyLeftGeneratorToggle, .apply = ToggleSwitch<tokenLeftGenerator>},
    {.event = keyRightGeneratorToggle, .apply = ToggleSwitch<tokenRightGenerator>},
    {.event = keyEngine1SystemToggle, .apply = ToggleSwitch<tokenEngine1System>},
    {.event = keyEngine2SystemToggle, .apply = ToggleSwitch<tokenEngine2System>},
    // Radios and navigation indicators.
    {.event = keyCom1WholeDown, .apply = StepWholeMHz<comBand, tokenCom1Frequency, -1>},
    {.event = keyCom1WholeUp, .apply = StepWholeMHz<comBand, tokenCom1Frequency, 1>},
    {.event = keyCom1FractionDown, .apply = StepFraction<comBand, tokenCom1Frequency, -1>},
    {.event = keyCom1FractionUp, .apply = StepFraction<comBand, tokenCom1Frequency, 1>},
    {.event = keyNav1WholeDown, .apply = StepWholeMHz<navBand, tokenNav1Frequency, -1>},
    {.event = keyNav1WholeUp, .apply = StepWholeMHz<navBand, tokenNav1Frequency, 1>},
    {.event = keyNav1FractionDown, .apply = StepFraction<navBand, tokenNav1Frequency, -1>},
    {.event = keyNav1FractionUp, .apply = StepFraction<navBand, tokenNav1Frequency, 1>},
    {.event = keyNav2WholeDown, .apply = StepWholeMHz<navBand, tokenNav2Frequency, -1>},
    {.event = keyNav2WholeUp, .apply = StepWholeMHz<navBand, tokenNav2Frequency, 1>},
    {.event = keyNav2FractionDown, .apply = StepFraction<navBand, tokenNav2Frequency, -1>},
    {.event = keyNav2FractionUp, .apply = StepFraction<navBand, tokenNav2Frequency, 1>},
    {.event = keyAdfWholeUp, .apply = StepAdf<10>},
    {.event = keyAdfWholeDown, .apply = StepAdf<-10>},
    {.event = keyAdfTenthUp, .apply = StepAdf<1>},
    {.event = keyAdfTenthDown, .apply = StepAdf<-1>},
    {.event = keyAdfFrequencySet, .apply = SetAdfFrequency},
    {.event = keyTransponderThousandsUp, .apply = StepSquawkDigit<3, 1>},
    {.event = keyTransponderHundredsUp, .apply = StepSquawkDigit<2, 1>},
    {.event = keyTransponderTensUp, .apply = StepSquawkDigit<1, 1>},
    {.event = keyTransponderUnitsUp, .apply = StepSquawkDigit<0, 1>},
    {.event = keyTransponderThousandsDown, .apply = StepSquawkDigit<3, -1>},
    {.event = keyTransponderHundredsDown, .apply = StepSquawkDigit<2, -1>},
    {.event = keyTransponderTensDown, .apply = StepSquawkDigit<1, -1>},
    {.event = keyTransponderUnitsDown, .apply = StepSquawkDigit<0, -1>},
    {.event = keyVor1CourseSet, .apply = SetCourse<tokenVor1Course>},
    {.event = keyVor2CourseSet, .apply = SetCourse<tokenVor2Course>},
    {.event = keyAdfCardUp, .apply = TurnCard<tokenAdfCard, 1>},
    {.event = keyAdfCardDown, .apply = TurnCard<tokenAdfCard, -1>},
    {.event = keyNavGpsToggle, .apply = ToggleSwitch<tokenNavGpsSource>},
};

}  // namespace

void ApplyReactions(TokenStore& tokens, UINT32 event, UINT32 value) {
    for (const Reaction& reaction : reactionTable) {
        if (reaction.event == event && reaction.apply) reaction.apply(tokens, value);
    }
}

}  // namespace panelhost
