// The module's vocabulary: every simulator token, key event, help id and wave
// the gauges use, named once with its number. Gauges use these names only; a
// number written anywhere else in module/ or gauges/ is a fault.
//
// Tokens are the host's simulation variables (read through lookup_var or an
// element's source token); key events are the host's commands, sent with
// trigger_key_event; help ids name the host's help and tooltip texts; waves
// are the module's WAVE resources. Failure keys and image flags live with the
// records in module/gauge_records.h.
// Each enumeration is split by system; a name used by several systems lives
// in the first section that needs it. Engine names carry the engine's number;
// engine 2's token is engine 1's plus the block's stride (see the engine
// blocks in module/parameters.cpp).
#pragma once

#include <cstdint>

#include "module/gauge_records.h"

// Simulator tokens.
enum SimToken : SINT32 {
    tokenNone = 0,

    // ---- flight, engine, fuel, gear and electrical instruments ----
    // Lights and heaters (0 off, 1 on).
    tokenPanelLights = 10,            // the panel lights, which light the luminous dials at night
    tokenStrobeLights = 11,
    tokenPitotHeat = 13,
    tokenLandingLights = 14,          // landing and taxi lights together
    tokenBeaconLights = 368,
    tokenNavigationLights = 619,
    tokenPropellerDeIce = 904,        // the propellers' de-icing
    tokenWingsDeIce = 905,            // the wings' de-icing

    // Flight.
    tokenOnGround = 60,               // 1 on the ground
    tokenIndicatedAirspeed = 61,      // knots
    tokenVerticalSpeed = 65,          // metres per second times 256
    tokenBallPosition = 69,           // the inclinometer ball's offset, either side of 0
    tokenTurnRate = 70,               // 256ths of a standard-rate turn
    tokenAltitude = 74,               // feet, as the altimeter shows it
    tokenBaroSetting = 75,            // millibars
    tokenPitch = 78,                  // degrees
    tokenBank = 80,                   // degrees
    tokenSecondHeading = 81,          // degrees, the Bezu compass card's second heading source
    tokenMagneticHeading = 83,        // degrees
    tokenGyroHeading = 84,            // degrees
    tokenGyroDrift = 85,              // a full turn is 65536
    tokenGyroFlagFirst = 279,         // either gyro warning positive shows the gyro compass flag
    tokenGyroFlagSecond = 288,        // the second of those two warnings
    tokenFlapsSetting = 328,          // the selection the flap switch shows
    tokenFlapsPosition = 330,         // 0 retracted, 16382 full travel
    tokenAmbientTemperature = 341,    // degrees Celsius
    tokenMarkerBeacon = 354,          // 0 none, 1 outer, 2 middle, 3 inner
    tokenSimulationTime = 604,        // seconds
    tokenAttitudeSymbolHeight = 612,  // the attitude aircraft symbol's setting, moved by its knob
    tokenElevatorTrim = 783,          // the pitch trim strip's index
    tokenHeadingBug = 855,            // degrees

    // Fuel tanks: level as a fraction of the tank times 8388610; capacity in gallons.
    tokenLeftTankLevel = 291,
    tokenLeftTankCapacity = 292,
    tokenRightTankLevel = 297,
    tokenRightTankCapacity = 298,

    // Gear and brakes.
    tokenParkingBrake = 323,          // the brake handle's position
    tokenGearHandle = 331,            // on the legs' scale, 0 up
    tokenCentreGear = 332,            // each leg's extension: 0 retracted, over 16300 down and locked
    tokenLeftGear = 333,
    tokenRightGear = 334,
    tokenHydraulicPressure = 732,     // pounds per square foot

    // Engines: pressures in pounds per square foot, temperatures in degrees Rankine.
    tokenEngine1Rpm = 390,            // revolutions a minute
    tokenEngine1ManifoldPressure = 391,
    tokenEngine1ThrottleLever = 392,  // lever positions, as the quadrant's sliders show them
    tokenEngine1PropellerLever = 393,
    tokenEngine1PropellerPitch = 394,  // read by the electric pitch switch
    tokenEngine1LowerButton = 401,    // engine box lower button picture
    tokenEngine1Temperature = 415,    // carburettor air, shown by the carburettor gauge
    tokenEngine1OilTemperature = 416,
    tokenEngine1OilPressure = 418,
    tokenEngine1FuelFlow = 421,       // per hour
    tokenEngine1FuelPressure = 425,
    tokenEngine2Rpm = 429,            // engine 2: as engine 1
    tokenEngine2ThrottleLever = 431,
    tokenEngine2PropellerLever = 432,
    tokenEngine2PropellerPitch = 433,
    tokenEngine2LowerButton = 440,
    tokenEngine2Temperature = 454,
    tokenEngine2OilTemperature = 455,
    tokenEngine2OilPressure = 457,
    tokenEngine2FuelFlow = 460,
    tokenEngine2FuelPressure = 464,
    tokenEngine1Propeller = 560,      // propeller control the shut-down button sets back to 0
    tokenEngine2Propeller = 570,
    tokenEngine1MiddleButton = 891,   // engine box middle button and its lamp
    tokenEngine2MiddleButton = 892,
    tokenEngine1System = 895,         // the engine's system the engine box brings on (positive: on)
    tokenEngine2System = 896,

    // Electrical.
    tokenBatteryMaster = 364,         // master switches: 0 off, 1 on
    tokenLeftGenerator = 566,
    tokenRightGenerator = 576,
    tokenAvionicsMaster = 740,
    tokenMainBusVoltage = 753,        // volts
    tokenBatteryBusAmps = 760,        // amperes
    tokenLeftGeneratorAmps = 762,     // amperes
    tokenRightGeneratorAmps = 764,

    // ---- radios and navigation indicators ----
    tokenAdfFrequency = 16,           // BCD hundreds, tens and units of kHz
    tokenAdfFrequencyExtension = 18,  // 0x100 and up: thousands digit 1; rest: tenths
    tokenAdfCard = 22,                // bearing indicator's card setting, degrees
    tokenCom1Frequency = 23,          // BCD, without the hundreds digit
    tokenNav1Frequency = 24,          // BCD, without the hundreds digit
    tokenNav2Frequency = 27,
    tokenTransponderCode = 38,        // BCD, one digit a nibble
    tokenAdfBearing = 39,             // relative bearing to the station, degrees
    tokenVor1Localizer = 40,          // -127 to 127
    tokenVor1GlideSlope = 41,         // -119 to 119
    tokenVor1Signal = 43,             // 32-bit integer, 0 without a usable signal
    tokenVor1GlideSlopeFlag = 44,
    tokenVor1Course = 45,             // selected course, degrees
    tokenVor2Localizer = 50,          // NAV 2: as NAV 1
    tokenVor2Signal = 52,
    tokenVor2GlideSlopeFlag = 53,
    tokenVor2Course = 54,
    tokenNavGpsSource = 848,          // 0 NAV receiver drives navigation, 1 GPS
    tokenAdfVolume = 880,             // the ADF volume knob's setting
    tokenVor2GlideSlope = 882,

    // ---- radio altimeter, clock, toggles and registration plate ----
    tokenTimeOfDay = 557,             // seconds
    tokenRadioHeight = 614,           // metres
    tokenDecisionHeight = 615,        // metres
    tokenDecisionHeightLamp = 616,    // 1 at or below the decision height
    tokenRadaltSupply = 755,          // volts; callouts speak from 20 V up
};

// Key events the host acts on (0x10000 + n).
enum KeyEvent : UINT32 {
    keyNone = 0,  // no event: the area or routine sends none

    // ---- flight, engine, fuel, gear and electrical instruments ----
    // Lights, heaters and masters: each toggles its system.
    keyStrobeLightsToggle = 0x10018,
    keyPanelLightsToggle = 0x100D6,
    keyLandingLightsToggle = 0x100D7,
    keyPitotHeatToggle = 0x10142,
    keyBeaconLightsToggle = 0x102BF,
    keyLandingLightsSet = 0x102C0,
    keyBatteryMasterToggle = 0x102C1,
    keyAvionicsMasterToggle = 0x102F5,
    keyWingsDeIceToggle = 0x10321,
    keyPropellerDeIceToggle = 0x10322,
    keyNavigationLightsToggle = 0x1034B,
    keyLeftGeneratorToggle = 0x1033B,
    keyRightGeneratorToggle = 0x1033C,

    // Flight.
    keyHeadingSet = 0x10020,
    keyGyroDriftUp = 0x10155,
    keyGyroDriftDown = 0x10156,
    keyBaroUp = 0x1015B,
    keyBaroDown = 0x1015C,
    keyHeadingBugSet = 0x101FA,
    keyAttitudeSymbolUp = 0x1030E,
    keyAttitudeSymbolDown = 0x1030F,
    keyAttitudeCorner = 0x10345,     // a click on the attitude indicator's lower-right corner
    keyFlapsDownStep = 0x100DE,
    keyFlapsUpStep = 0x100DF,

    // Gear and brakes.
    keyGearToggle = 0x10022,
    keyParkingBrake = 0x100D8,

    // Engines: levers take their position as the value (0 fully back).
    keyThrottle1Set = 0x1011C,
    keyThrottle2Set = 0x1011D,
    keyPropeller1Set = 0x1017F,
    keyPropeller2Set = 0x10180,
    keyMagnetos1Off = 0x10187,
    keyMagnetos1Both = 0x1018A,
    keyMagnetos2Off = 0x1018D,
    keyMagnetos2Both = 0x10190,
    keyPropeller1PitchReset = 0x101D3,
    keyPropeller1PitchDecrease = 0x101D5,
    keyPropeller2PitchReset = 0x101D8,
    keyMagnetos1Down = 0x1024E,
    keyMagnetos1Up = 0x1024F,
    keyMagnetos2Down = 0x10250,
    keyMagnetos2Up = 0x10251,
    keyEngine1LowerButton = 0x102FC,
    keyEngine2LowerButton = 0x102FD,
    keyEngine1MiddleButton = 0x10324,
    keyEngine2MiddleButton = 0x10325,
    keyEngine1SystemToggle = 0x103BE,
    keyEngine2SystemToggle = 0x103BF,
    keyPropeller1Feather = 0x103E9,
    keyPropeller2Feather = 0x103EA,
    keyPropeller1PitchIncrease = 0x10450,

    // Radio identifier audio, switched off when the aircraft is shut down.
    keyNav1IdentOff = 0x10128,
    keyNav2IdentOff = 0x10129,
    keyAdfIdentOff = 0x1012C,

    // ---- radios and navigation indicators ----
    keyCom1WholeDown = 0x10064,
    keyCom1WholeUp = 0x10065,
    keyCom1FractionDown = 0x10066,
    keyCom1FractionUp = 0x10067,
    keyNav1WholeDown = 0x10068,
    keyNav1WholeUp = 0x10069,
    keyNav1FractionDown = 0x1006A,
    keyNav1FractionUp = 0x1006B,
    keyNav2WholeDown = 0x1006C,
    keyNav2WholeUp = 0x1006D,
    keyNav2FractionDown = 0x1006E,
    keyNav2FractionUp = 0x1006F,
    keyTransponderThousandsUp = 0x10073,
    keyTransponderHundredsUp = 0x10074,
    keyTransponderTensUp = 0x10075,
    keyTransponderUnitsUp = 0x10076,
    keyVor1CourseSet = 0x100B4,      // value: the course in whole degrees
    keyVor2CourseSet = 0x100B5,
    keyNav1IdentOn = 0x1012D,
    keyNav2IdentOn = 0x1012E,
    keyAdfIdentOn = 0x10131,
    keyAdfCardUp = 0x10159,
    keyAdfCardDown = 0x1015A,
    keyAdfFrequencySet = 0x1024A,    // value: four BCD digits in tenths of a kHz
    keyNavGpsToggle = 0x10347,
    keyTransponderThousandsDown = 0x10397,
    keyTransponderHundredsDown = 0x10398,
    keyTransponderTensDown = 0x10399,
    keyTransponderUnitsDown = 0x1039A,
    keyAdfTenthDown = 0x1039D,
    keyAdfTenthUp = 0x1039E,
    keyAdfWholeUp = 0x103EE,
    keyAdfWholeDown = 0x103EF,

    // ---- radio altimeter, clock, toggles and registration plate ----
    keyPanelWindowToggle = 0x103CA,  // value: window number
    keyPanelWindowOpen = 0x103CB,
    keyPanelWindowClose = 0x103CC,
    keyDecisionHeightUp = 0x10311,   // value 1: fine step below 300 ft
    keyDecisionHeightDown = 0x10312,
    keyViewReset = 0x10153,
    keyViewNext = 0x100C6,
    keyViewPrevious = 0x100C7,
    keyKneeboard = 0x10154,
    keyMapWindow = 0x10380,
    keyAtcWindow = 0x1001C,
};

// Help ids of mouse areas and tooltip entries.
enum HelpId : UINT32 {
    helpNone = 0,  // no help text over the area

    // ---- flight, engine, fuel, gear and electrical instruments ----
    helpFuelConsumption = 0xAA3F,
    helpAirspeed = 0xAB02,
    helpAltimeter = 0xAB07,
    helpAmmeter = 0xAB0B,        // all three ammeters
    helpAttitude = 0xAB0D,
    helpAvionicsSwitch = 0xAB0F,
    helpBatterySwitch = 0xAB13,
    helpFlapsIndicator = 0xAB24,
    helpFuelPressure = 0xAB2C,   // both engines' gauges
    helpGearLever = 0xAB30,
    helpGearLamps = 0xAB31,
    helpGyroCompass = 0xAB34,    // the gyro compass and the Bezu compass
    helpBaroKnob = 0xAB3A,
    helpBeaconLights = 0xAB3D,
    helpLandingLights = 0xAB3E,  // landing and taxi lights
    helpNavigationLights = 0xAB3F,
    helpPanelLights = 0xAB40,
    helpStrobeLights = 0xAB42,
    helpManifoldPressure = 0xAB46,
    helpOilPressure = 0xAB4E,
    helpOilTemperature = 0xAB4F,
    helpMarkerLights = 0xAB50,
    helpParkingBrake = 0xAB51,
    helpPitchTrim = 0xAB54,
    helpPitotHeat = 0xAB57,
    helpEngineLowerButton = 0xAB65,  // the engine boxes' buttons
    helpEngineMiddleButton = 0xAB67,
    helpTachometer = 0xAB68,     // both engines' tachometers
    helpPropellerLevers = 0xAB6B,
    helpThrottleLevers = 0xAB6C,
    helpVerticalSpeed = 0xAB76,
    helpMagneticCompass = 0xAB77,
    helpFlapsSwitch = 0xAB7D,
    helpHydraulicPressure = 0xAB8C,
    helpPropellerDeIce = 0xAC81,

    // Tooltip texts.
    tooltipAirspeed = 0x3002,    // the host's own text for the airspeed indicator
    tooltipLeftTank = 0x3116,
    tooltipRightTank = 0x3117,
    tooltipWingsDeIce = 0x31BC,
    tooltipGyroCompass = 0x3208,
    tooltipEngine1Rpm = 0x3211,  // moves per engine with the tachometer

    // ---- radios and navigation indicators ----
    tooltipCom1 = 0x3160,
    tooltipAdf = 0x3170,
    helpNav1Radio = 0xA700,
    helpCom1Radio = 0xA701,
    helpNav2Radio = 0xA702,
    helpAdfRadio = 0xA709,
    helpTransponder = 0xA70A,
    helpNav1Knobs = 0xA714,      // the receiver's frequency knobs
    helpNav1Window = 0xA715,     // its frequency window
    helpNav2Knobs = 0xA716,
    helpNav2Window = 0xA717,
    helpAdfIndicator = 0xAB00,
    helpAdfCardKnob = 0xAB01,
    helpVor1Flags = 0xAB48,
    helpNavGpsSwitch = 0xAB4D,
    helpVor1Dial = 0xAB72,       // the course card
    helpVor1Knob = 0xAB73,       // the course knob
    helpVor2Dial = 0xAB74,
    helpVor2Knob = 0xAB75,

    // ---- radio altimeter, clock, toggles and registration plate ----
    helpRadioAltimeter = 0x3009,
    helpRadioWindow = 0xAB86,    // the window-toggle buttons, one a window
    helpGpsWindow = 0xAB87,
    helpThrottleWindow = 0xAB88,
    helpCompassWindow = 0xAB89,
    helpFuelWindow = 0xAB8A,
    helpCollectiveWindow = 0xAB8B,
    helpMapWindow = 0xAB8F,
    helpKneeboard = 0xAB93,
    helpAtcWindow = 0xAB94,
    helpOverheadWindow = 0xAB95,
};

// The module's WAVE resources.
enum Wave : std::uint16_t {
    waveNone = 0,

    // ---- flight, engine, fuel, gear and electrical instruments ----
    waveSwitchClick = 10,
    waveParkingBrake = 20,

    // ---- radios and navigation indicators ----
    waveKnobClick = 30,

    // ---- radio altimeter, clock, toggles and registration plate ----
    waveRadalt1000 = 2100,      // height callouts, 1000 ft down to 10 ft
    waveRadalt500 = 2110,
    waveRadalt400 = 2120,
    waveRadalt300 = 2130,
    waveRadalt200 = 2140,
    waveRadalt100 = 2150,
    waveRadalt50 = 2160,
    waveRadalt40 = 2170,
    waveRadalt30 = 2180,
    waveRadalt20 = 2190,
    waveRadalt10 = 2200,
    waveRadaltMinimums = 2210,  // at the decision height
};
