#include "host/core/reactions.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>

#include "host/core/aircraft_systems.h"
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

// The whole MHz of a set's frequency, its band's bottom when outside the
// band (a set never tuned holds 0, which is no frequency it can show).
template <const VhfBand& Band>
UINT32 WholeMHzInBand(UINT32 frequency) {
    const UINT32 whole = BcdWholeMHz(frequency);
    return whole < Band.bottom || whole > Band.top ? Band.bottom : whole;
}

template <const VhfBand& Band, SimToken Token, int Step>
void StepWholeMHz(TokenStore& tokens, UINT32) {
    const UINT32 frequency = static_cast<UINT32>(tokens.Integer(Token));
    UINT32 whole = WholeMHzInBand<Band>(frequency);
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
                               BcdFrequency(WholeMHzInBand<Band>(frequency), ChannelDigits(Band, next))));
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

// --- Flight instruments ---------------------------------------------------

// Headings in whole degrees 0 to 359; the heading bug's knob sends 360 for a
// step up from 359.
template <SimToken Token>
void SetHeading(TokenStore& tokens, UINT32 value) { tokens.SetNumber(Token, static_cast<double>(value % 360)); }

double WrappedDegrees(double degrees) {
    if (!std::isfinite(degrees)) return 0.0;
    const double wrapped = std::fmod(degrees, 360.0);
    return wrapped < 0 ? wrapped + 360.0 : wrapped;
}

// The drift correction turns the heading indicator's card a degree a step,
// and keeps its total in 65536ths of a turn.
constexpr double driftPerDegree = 65536.0 / 360.0;

template <int Degrees>
void CorrectGyroDrift(TokenStore& tokens, UINT32) {
    const double drift = tokens.Number(tokenGyroDrift);
    tokens.SetNumber(tokenGyroDrift, (std::isfinite(drift) ? drift : 0.0) + Degrees * driftPerDegree);
    tokens.SetNumber(tokenGyroHeading, WrappedDegrees(tokens.Number(tokenGyroHeading) + Degrees));
}

// Caging erects the attitude gyro: its horizon stands level.
void CageAttitude(TokenStore& tokens, UINT32) {
    tokens.SetNumber(tokenPitch, 0.0);
    tokens.SetNumber(tokenBank, 0.0);
}

// A value stepped within its limits; what is not a number starts at 0.
struct Steps {
    double step, lowest, highest;
};

double Stepped(double value, double by, const Steps& steps) {
    const double from = std::isfinite(value) ? value : 0.0;
    return std::clamp(from + by, steps.lowest, steps.highest);
}

// The aircraft symbol's knob, 1.5 pixels a step, 15 either way.
constexpr Steps attitudeSymbolSteps = {.step = 10, .lowest = -100, .highest = 100};

template <int Direction>
void MoveAttitudeSymbol(TokenStore& tokens, UINT32) {
    tokens.SetNumber(tokenAttitudeSymbolHeight, Stepped(tokens.Number(tokenAttitudeSymbolHeight),
                                                        Direction * attitudeSymbolSteps.step, attitudeSymbolSteps));
}

// The altimeter's pressure window, whole millibars a step, within the
// instrument's 948 to 1084 mb.
constexpr Steps baroSteps = {.step = 1, .lowest = 948, .highest = 1084};

template <int Direction>
void StepBaro(TokenStore& tokens, UINT32) {
    const double now = tokens.Number(tokenBaroSetting);
    const double from = std::isfinite(now) ? now : baroSteps.lowest;
    // From between two whole millibars, the first step lands on one.
    const double whole = Direction > 0 ? std::floor(from) : std::ceil(from);
    tokens.SetNumber(tokenBaroSetting, Stepped(whole, Direction * baroSteps.step, baroSteps));
}

// Flaps: four settings, retracted to full, the flaps at once where their
// setting puts them.
constexpr double flapsSettings = 3;
constexpr double flapsFullTravel = 16382;

template <int Direction>
void StepFlaps(TokenStore& tokens, UINT32) {
    const double setting = Stepped(std::round(tokens.Number(tokenFlapsSetting)), Direction, {1, 0, flapsSettings});
    tokens.SetNumber(tokenFlapsSetting, setting);
    tokens.SetNumber(tokenFlapsPosition, setting / flapsSettings * flapsFullTravel);
}

// --- Gear -----------------------------------------------------------------

constexpr double gearDown = 16383;

// The handle and the legs go together; on the ground the squat switch holds
// the gear down.
void ToggleGear(TokenStore& tokens, UINT32) {
    const bool down = tokens.Number(tokenGearHandle) >= gearDown / 2;
    if (down && tokens.Number(tokenOnGround) > 0) return;
    const double to = down ? 0.0 : gearDown;
    for (const SimToken token : {tokenGearHandle, tokenLeftGear, tokenRightGear, tokenCentreGear}) {
        tokens.SetNumber(token, to);
    }
}

// --- Engines --------------------------------------------------------------

// Levers come as 0 (back) to 16384 (forward); the tokens hold the fraction.
constexpr double leverFullTravel = 16384;

template <SimToken... Levers>
void SetLever(TokenStore& tokens, UINT32 value) {
    const double fraction = std::min(static_cast<double>(value), leverFullTravel) / leverFullTravel;
    (tokens.SetNumber(Levers, fraction), ...);
}

// Propeller blade angle in radians: fine for take-off, coarse for cruise,
// feathered when the engine is stopped in flight.
constexpr Steps propellerPitch = {.step = 0.01, .lowest = 0.3, .highest = 0.8};
constexpr double propellerFeathered = 1.5;

template <SimToken Pitch, int Direction>
void StepPropellerPitch(TokenStore& tokens, UINT32) {
    const double now = tokens.Number(Pitch);
    tokens.SetNumber(Pitch, Stepped(std::min(now, propellerPitch.highest), Direction * propellerPitch.step,
                                    propellerPitch));
}

template <SimToken Pitch>
void ResetPropellerPitch(TokenStore& tokens, UINT32) { tokens.SetNumber(Pitch, propellerPitch.lowest); }

template <SimToken Pitch>
void FeatherPropeller(TokenStore& tokens, UINT32) { tokens.SetNumber(Pitch, propellerFeathered); }

// --- Radio altimeter ------------------------------------------------------

// The decision height in whole feet: 10 ft a step below 300 ft (the events'
// value 1), 50 ft above, 0 to 1000 ft; kept in metres.
constexpr double feetPerMetre = 3.28084;
constexpr double decisionFineFeet = 10, decisionCoarseFeet = 50, decisionHighestFeet = 1000;

template <int Direction>
void StepDecisionHeight(TokenStore& tokens, UINT32 value) {
    const double metres = tokens.Number(tokenDecisionHeight);
    const double feet = std::isfinite(metres) ? metres * feetPerMetre : 0.0;
    const double step = value == 1 ? decisionFineFeet : decisionCoarseFeet;
    // From between two marks, a step lands on the next mark that way.
    const double mark = Direction > 0 ? std::floor(feet / step + 1e-6) : std::ceil(feet / step - 1e-6);
    const double to = std::clamp((mark + Direction) * step, 0.0, decisionHighestFeet);
    tokens.SetNumber(tokenDecisionHeight, to / feetPerMetre);
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
    // Flight instruments.
    {.event = keyAttitudeCorner, .apply = CageAttitude},
    {.event = keyAttitudeSymbolUp, .apply = MoveAttitudeSymbol<1>},
    {.event = keyAttitudeSymbolDown, .apply = MoveAttitudeSymbol<-1>},
    {.event = keyHeadingBugSet, .apply = SetHeading<tokenHeadingBug>},
    {.event = keyHeadingSet, .apply = SetHeading<tokenGyroHeading>},
    {.event = keyGyroDriftUp, .apply = CorrectGyroDrift<1>},
    {.event = keyGyroDriftDown, .apply = CorrectGyroDrift<-1>},
    {.event = keyBaroUp, .apply = StepBaro<1>},
    {.event = keyBaroDown, .apply = StepBaro<-1>},
    {.event = keyFlapsDownStep, .apply = StepFlaps<1>},
    {.event = keyFlapsUpStep, .apply = StepFlaps<-1>},
    {.event = keyGearToggle, .apply = ToggleGear},
    // Engine levers and propellers.
    {.event = keyThrottle1Set, .apply = SetLever<tokenEngine1ThrottleLever>},
    {.event = keyThrottle2Set, .apply = SetLever<tokenEngine2ThrottleLever>},
    {.event = keyPropeller1Set, .apply = SetLever<tokenEngine1PropellerLever>},
    {.event = keyPropeller2Set, .apply = SetLever<tokenEngine2PropellerLever>},
    {.event = keyPropeller1PitchIncrease, .apply = StepPropellerPitch<tokenEngine1PropellerPitch, 1>},
    {.event = keyPropeller1PitchDecrease, .apply = StepPropellerPitch<tokenEngine1PropellerPitch, -1>},
    {.event = keyPropeller1PitchReset, .apply = ResetPropellerPitch<tokenEngine1PropellerPitch>},
    {.event = keyPropeller2PitchReset, .apply = ResetPropellerPitch<tokenEngine2PropellerPitch>},
    {.event = keyPropeller1Feather, .apply = FeatherPropeller<tokenEngine1PropellerPitch>},
    {.event = keyPropeller2Feather, .apply = FeatherPropeller<tokenEngine2PropellerPitch>},
    // The engine box's buttons work the simulator's switches behind their pictures.
    {.event = keyEngine1LowerButton, .apply = ToggleSwitch<tokenEngine1LowerButton>},
    {.event = keyEngine2LowerButton, .apply = ToggleSwitch<tokenEngine2LowerButton>},
    {.event = keyEngine1MiddleButton, .apply = ToggleSwitch<tokenEngine1MiddleButton>},
    {.event = keyEngine2MiddleButton, .apply = ToggleSwitch<tokenEngine2MiddleButton>},
    // Radio altimeter.
    {.event = keyDecisionHeightUp, .apply = StepDecisionHeight<1>},
    {.event = keyDecisionHeightDown, .apply = StepDecisionHeight<-1>},
};

// Events the panel sends that change nothing the simulator keeps for the
// panel to show, and why.
struct IgnoredEvent {
    UINT32 event{};
    const char* why{};
};
constexpr const char* landingLightsPair = "the landing-light switch's second event; its toggle switches the lights";
constexpr const char* magnetos = "the magnetos: no instrument shows them, the engine box shows its own selector";
constexpr const char* identAudio = "a receiver's identifier audio: nothing on the panel, nothing to hear here";
constexpr const char* hostWindows = "the panel's windows, which the host opens and closes itself";
constexpr const char* simulatorViews = "the simulator's own views and windows, which this host has not";

constexpr IgnoredEvent ignoredTable[] = {
    {.event = keyLandingLightsSet, .why = landingLightsPair},
    {.event = keyMagnetos1Off, .why = magnetos},
    {.event = keyMagnetos1Both, .why = magnetos},
    {.event = keyMagnetos1Up, .why = magnetos},
    {.event = keyMagnetos1Down, .why = magnetos},
    {.event = keyMagnetos2Off, .why = magnetos},
    {.event = keyMagnetos2Both, .why = magnetos},
    {.event = keyMagnetos2Up, .why = magnetos},
    {.event = keyMagnetos2Down, .why = magnetos},
    {.event = keyNav1IdentOn, .why = identAudio},
    {.event = keyNav1IdentOff, .why = identAudio},
    {.event = keyNav2IdentOn, .why = identAudio},
    {.event = keyNav2IdentOff, .why = identAudio},
    {.event = keyAdfIdentOn, .why = identAudio},
    {.event = keyAdfIdentOff, .why = identAudio},
    {.event = keyPanelWindowToggle, .why = hostWindows},
    {.event = keyPanelWindowOpen, .why = hostWindows},
    {.event = keyPanelWindowClose, .why = hostWindows},
    {.event = keyViewReset, .why = simulatorViews},
    {.event = keyViewNext, .why = simulatorViews},
    {.event = keyViewPrevious, .why = simulatorViews},
    {.event = keyKneeboard, .why = simulatorViews},
    {.event = keyMapWindow, .why = simulatorViews},
    {.event = keyAtcWindow, .why = simulatorViews},
};

}  // namespace

void ApplyReactions(TokenStore& tokens, UINT32 event, UINT32 value) {
    for (const Reaction& reaction : reactionTable) {
        if (reaction.event == event && reaction.apply) reaction.apply(tokens, value);
    }
}

bool Reacts(UINT32 event) {
    return std::any_of(std::begin(reactionTable), std::end(reactionTable),
                       [&](const Reaction& reaction) { return reaction.event == event; });
}

const char* IgnoredBecause(UINT32 event) {
    for (const IgnoredEvent& ignored : ignoredTable) {
        if (ignored.event == event) return ignored.why;
    }
    return nullptr;
}

}  // namespace panelhost
