// Aircraft systems the simulator does not model, shared between gauges: radio
// power and identifier-audio switches, the engine box selectors, the
// generator switches and the radio altimeter's power switch. Plain
// module-wide variables; every routine runs on the panel thread.
#pragma once

#include <cstdint>

extern std::int32_t nav1Power;
extern std::int32_t nav1Ident;
extern std::int32_t nav2Power;
extern std::int32_t nav2Ident;
extern std::int32_t com1Power;
extern std::int32_t adfPower;
extern std::int32_t adfIdent;
extern std::int32_t xpdrPower;
extern std::uint32_t aviacLeftPosition;   // 0 to 5
extern std::uint32_t aviacRightPosition;  // 0 to 5
extern std::int32_t leftGenExcitation;
extern std::int32_t leftGenMain;
extern std::int32_t rightGenExcitation;
extern std::int32_t rightGenMain;
extern std::int32_t radaltPower;
