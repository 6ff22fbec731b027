#include "gauges/electrical/systems_state.h"

std::int32_t nav1Power = 0;
std::int32_t nav1Ident = 0;
std::int32_t nav2Power = 0;
std::int32_t nav2Ident = 0;
std::int32_t com1Power = 0;
std::int32_t adfPower = 0;
std::int32_t adfIdent = 0;
std::int32_t xpdrPower = 0;
std::uint32_t aviacLeftPosition = 0;
std::uint32_t aviacRightPosition = 0;
// A freshly loaded panel shows both generators excited and connected.
std::int32_t leftGenExcitation = 1;
std::int32_t leftGenMain = 1;
std::int32_t rightGenExcitation = 1;
std::int32_t rightGenMain = 1;
std::int32_t radaltPower = 0;
