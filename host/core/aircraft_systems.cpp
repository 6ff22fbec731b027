#include "host/core/aircraft_systems.h"

#include <cmath>

#include "module/tokens.h"

namespace panelhost {

namespace {

struct TokenValue {
    SimToken token;
    double value;
};
struct TokenCode {
    SimToken token;
    std::int32_t code;  // binary-coded decimal, as the radios read it
};

constexpr double ambientCelsius = 15;
constexpr double rankineAtZeroCelsius = 491.67;
constexpr double ambientRankine = rankineAtZeroCelsius + ambientCelsius * 1.8;
constexpr double tankLevelFull = 8388610;
constexpr double tankGallons = 100;

// clang-format off
constexpr TokenValue parkedNumbers[] = {
    {tokenOnGround, 1},
    {tokenParkingBrake, 32767},
    {tokenGearHandle, 16383}, {tokenLeftGear, 16383}, {tokenRightGear, 16383}, {tokenCentreGear, 16383},
    {tokenBaroSetting, 1013.25},                      // millibars, standard pressure
    {tokenAmbientTemperature, ambientCelsius},
    {tokenEngine1OilTemperature, ambientRankine}, {tokenEngine2OilTemperature, ambientRankine},
    {tokenEngine1Temperature, ambientRankine}, {tokenEngine2Temperature, ambientRankine},
    {tokenLeftTankCapacity, tankGallons}, {tokenRightTankCapacity, tankGallons},
    {tokenLeftTankLevel, 0.75 * tankLevelFull}, {tokenRightTankLevel, 0.75 * tankLevelFull},
    {tokenEngine1PropellerPitch, 0.3}, {tokenEngine2PropellerPitch, 0.3},  // fine pitch, radians
    {tokenDecisionHeight, 200 / 3.28084},             // 200 ft, in metres
};
constexpr TokenCode parkedCodes[] = {
    {tokenCom1Frequency, 0x2280},          // 122.80
    {tokenNav1Frequency, 0x1050},          // 110.50
    {tokenNav2Frequency, 0x1390},          // 113.90
    {tokenAdfFrequency, 0x0350},           // 350.0 kHz
    {tokenAdfFrequencyExtension, 0},
    {tokenTransponderCode, 0x1200},
};
// clang-format on

// --- Electrical system ------------------------------------------------------
// A 28-volt system: the battery holds the bus at 24 V alone; a generator
// on line (switched on, its engine above cut-in speed) holds it at 28 V,
// shares the load with the other and charges the battery.
constexpr double batteryVolts = 24;
constexpr double generatorVolts = 28;
constexpr double generatorCutInRpm = 900;
constexpr double batteryChargeAmps = 5;
constexpr double busBaseAmps = 3;  // instruments, lamps, relays

struct Load {
    SimToken token;
    double amps;
};
constexpr Load switchedLoads[] = {
    {tokenAvionicsMaster, 8},   {tokenLandingLights, 15}, {tokenNavigationLights, 4}, {tokenBeaconLights, 4},
    {tokenStrobeLights, 5},     {tokenPanelLights, 2},    {tokenPitotHeat, 8},        {tokenPropellerDeIce, 18},
    {tokenWingsDeIce, 10},
};

bool On(const TokenStore& tokens, SimToken token) { return tokens.Number(token) > 0; }

}  // namespace

void ParkAircraft(TokenStore& tokens) {
    for (const TokenValue& row : parkedNumbers) tokens.SetNumber(row.token, row.value);
    for (const TokenCode& row : parkedCodes) tokens.SetInteger(row.token, row.code);
}

void RunElectricalSystem(TokenStore& tokens) {
    double volts = 0, batteryAmps = 0, leftAmps = 0, rightAmps = 0;
    if (On(tokens, tokenBatteryMaster)) {
        double load = busBaseAmps;
        for (const Load& row : switchedLoads) {
            if (On(tokens, row.token)) load += row.amps;
        }
        const bool left = On(tokens, tokenLeftGenerator) && tokens.Number(tokenEngine1Rpm) >= generatorCutInRpm;
        const bool right = On(tokens, tokenRightGenerator) && tokens.Number(tokenEngine2Rpm) >= generatorCutInRpm;
        const int online = int(left) + int(right);
        if (online == 0) {
            volts = batteryVolts;
            batteryAmps = -load;
        } else {
            volts = generatorVolts;
            batteryAmps = batteryChargeAmps;
            const double share = (load + batteryChargeAmps) / online;
            leftAmps = left ? share : 0;
            rightAmps = right ? share : 0;
        }
    }
    tokens.SetNumber(tokenMainBusVoltage, volts);
    tokens.SetNumber(tokenBatteryBusAmps, batteryAmps);
    tokens.SetNumber(tokenLeftGeneratorAmps, leftAmps);
    tokens.SetNumber(tokenRightGeneratorAmps, rightAmps);
}

}  // namespace panelhost
