#include "host/core/help_texts.h"

#include "module/tokens.h"

namespace panelhost {

namespace {

struct HelpRow {
    HelpId id;
    const char* text;
};

// clang-format off
constexpr HelpRow helpTexts[] = {
    // Flight, engine, fuel, gear and electrical instruments.
    {helpFuelConsumption, "Fuel used, both engines, with reset"},
    {helpAirspeed, "Airspeed indicator"},
    {helpAltimeter, "Altimeter"},
    {helpAmmeter, "Ammeter"},
    {helpAttitude, "Attitude indicator: cage knob, aircraft symbol knob"},
    {helpAvionicsSwitch, "Avionics master switch"},
    {helpBatterySwitch, "Battery master switch"},
    {helpFlapsIndicator, "Flaps position indicator"},
    {helpFuelPressure, "Fuel pressure"},
    {helpGearLever, "Landing gear lever"},
    {helpGearLamps, "Landing gear position lamps"},
    {helpGyroCompass, "Heading indicator"},
    {helpBaroKnob, "Altimeter pressure setting knob"},
    {helpBeaconLights, "Beacon light switch"},
    {helpLandingLights, "Landing and taxi light switch"},
    {helpNavigationLights, "Navigation light switch"},
    {helpPanelLights, "Panel light switch"},
    {helpStrobeLights, "Strobe light switch"},
    {helpManifoldPressure, "Manifold pressure"},
    {helpOilPressure, "Oil pressure"},
    {helpOilTemperature, "Oil temperature"},
    {helpMarkerLights, "Marker beacon lamps, with test button"},
    {helpParkingBrake, "Parking brake"},
    {helpPitchTrim, "Pitch trim indicator"},
    {helpPitotHeat, "Pitot heat switch"},
    {helpEngineLowerButton, "Engine box lower button"},
    {helpEngineMiddleButton, "Engine box middle button"},
    {helpTachometer, "Engine speed (rpm)"},
    {helpPropellerLevers, "Propeller levers"},
    {helpThrottleLevers, "Throttle levers"},
    {helpVerticalSpeed, "Vertical speed indicator"},
    {helpMagneticCompass, "Magnetic compass"},
    {helpFlapsSwitch, "Flaps switch"},
    {helpHydraulicPressure, "Hydraulic pressure"},
    {helpPropellerDeIce, "Propeller de-ice switch"},
    {tooltipAirspeed, "Airspeed (knots)"},
    {tooltipLeftTank, "Left tank fuel quantity"},
    {tooltipRightTank, "Right tank fuel quantity"},
    {tooltipWingsDeIce, "Wing de-ice switch"},
    {tooltipGyroCompass, "Heading indicator: drift correction knob"},
    {tooltipEngine1Rpm, "Engine speed (rpm)"},
    // Radios and navigation indicators.
    {tooltipCom1, "COM1 frequency"},
    {tooltipAdf, "ADF frequency"},
    {helpNav1Radio, "NAV1 receiver"},
    {helpCom1Radio, "COM1 radio"},
    {helpNav2Radio, "NAV2 receiver"},
    {helpAdfRadio, "ADF receiver"},
    {helpTransponder, "Transponder code"},
    {helpNav1Knobs, "NAV1 frequency knobs"},
    {helpNav1Window, "NAV1 frequency"},
    {helpNav2Knobs, "NAV2 frequency knobs"},
    {helpNav2Window, "NAV2 frequency"},
    {helpAdfIndicator, "ADF bearing indicator"},
    {helpAdfCardKnob, "ADF card knob"},
    {helpVor1Flags, "VOR1 flags"},
    {helpNavGpsSwitch, "NAV/GPS switch"},
    {helpVor1Dial, "VOR1 course card"},
    {helpVor1Knob, "VOR1 course knob"},
    {helpVor2Dial, "VOR2 course card"},
    {helpVor2Knob, "VOR2 course knob"},
    // Radio altimeter, clock and the window toggles.
    {helpRadioAltimeter, "Radio altimeter decision height"},
    {helpRadioWindow, "Radio stack"},
    {helpGpsWindow, "GPS"},
    {helpThrottleWindow, "Throttle quadrant"},
    {helpCompassWindow, "Compass"},
    {helpFuelWindow, "Fuel panel"},
    {helpCollectiveWindow, "Engine start panel"},
    {helpMapWindow, "Map"},
    {helpKneeboard, "Kneeboard"},
    {helpAtcWindow, "ATC window"},
    {helpOverheadWindow, "Overhead panel"},
};
// clang-format on

}  // namespace

const char* HelpText(UINT32 id) {
    for (const HelpRow& row : helpTexts) {
        if (row.id == id) return row.text;
    }
    return nullptr;
}

}  // namespace panelhost
