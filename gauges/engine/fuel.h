// Fuel state kept by the module: the tank capacities read when Fuel_Quantity
// is installed and the fuel-used totals of Fuel_Consumption. Zero at load.
#pragma once

#include "module/gauge_records.h"

extern FLOAT64 leftTankCapacity;
extern FLOAT64 rightTankCapacity;

extern FLOAT64 consumedEngine1;      // fuel used by engine 1 since the last reset
extern FLOAT64 consumedEngine2;
extern FLOAT64 consumptionLastTime;  // simulation time of the previous update
