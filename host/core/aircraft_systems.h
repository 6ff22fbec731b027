// The simulator's aircraft beyond single key events: the state it starts in
// when parked, and the electrical system it runs every frame, so that the
// live panel shows a Corvane a pilot would recognise.
#pragma once

#include "host/core/element_state.h"
#include "module/tokens.h"

namespace panelhost {

// A Corvane parked on the ramp, cold and dark: on the ground, brake set,
// gear down, radios tuned within their bands, the altimeter at standard
// pressure, tanks three-quarters full, engines at the air's temperature.
void ParkAircraft(TokenStore& tokens);

// One frame of the electrical system: the main bus's voltage and the three
// ammeters' currents from the battery master, the generators' switches and
// their engines' speeds, and the loads switched on.
void RunElectricalSystem(TokenStore& tokens);

}  // namespace panelhost
