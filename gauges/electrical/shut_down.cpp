// Shut_Down: brings an aircraft standing on the ground cold and dark whenever
// the panel is connected to its window; a panel loaded in flight keeps running.
//
// Reads:  tokenOnGround, tokenEngine1System/2, tokenEngine1Propeller/2.
// Sends:  throttles closed, engine systems off, propeller levers back,
//         magnetos off, radio identifier audio off.
// Plays:  nothing.
// Keeps:  writes the radio power and ident flags and the engine box selector
//         positions of SystemsState.
#include "gauges/electrical/systems_state.h"
#include "module/gauge_builders.h"
#include "module/host_services.h"

extern GAUGEHDR Shut_Down;

namespace {

// The lever position of a closed throttle.
constexpr UINT32 leverClosed = 0;

// NaN compares false: a token that is not a number is not positive.
bool TokenPositive(SINT32 token) { return LookupNumber(token) > 0.0; }

void FSAPI ShutDownRoutine(GAUGEHDR*, SINT32 serviceId, UINT32) {
    if (serviceId != PANEL_SERVICE_CONNECT_TO_WINDOW) return;
    if (!TokenPositive(tokenOnGround)) return;

    TriggerKeyEvent(keyThrottle1Set, leverClosed);
    if (TokenPositive(tokenEngine1System)) TriggerKeyEvent(keyEngine1SystemToggle);
    if (TokenPositive(tokenEngine1Propeller)) TriggerKeyEvent(keyPropeller1Set, 0);

    TriggerKeyEvent(keyThrottle2Set, leverClosed);
    if (TokenPositive(tokenEngine2System)) TriggerKeyEvent(keyEngine2SystemToggle);
    if (TokenPositive(tokenEngine2Propeller)) TriggerKeyEvent(keyPropeller2Set, 0);

    aviacLeftPosition = 0;
    aviacRightPosition = 0;
    TriggerKeyEvent(keyMagnetos1Off);
    TriggerKeyEvent(keyMagnetos2Off);

    adfPower = 0;
    adfIdent = 0;
    TriggerKeyEvent(keyAdfIdentOff);
    com1Power = 0;
    nav1Power = 0;
    nav1Ident = 0;
    TriggerKeyEvent(keyNav1IdentOff);
    nav2Power = 0;
    nav2Ident = 0;
    TriggerKeyEvent(keyNav2IdentOff);
    xpdrPower = 0;
}

ELEMENT_STATIC_IMAGE shutDownPlate = StaticImage(40, &Shut_Down, nullptr, IMAGE_PLATE);

// One empty group over the whole gauge: it never reacts to the mouse.
MOUSERECT shutDownMouse[] = {MouseGauge(), MouseEnd()};

}  // namespace

constinit GAUGEHDR Shut_Down = GaugeHeader("Shut_Down", listOf<shutDownPlate>, 30, shutDownMouse, ShutDownRoutine);
