// Shut_Down: brings an aircraft standing on the ground cold and dark whenever
// the panel is connected to its window; a panel loaded in flight keeps running.
#include "gauges/electrical/systems_state.h"
#include "module/gauge_builders.h"
#include "module/host_services.h"

extern GAUGEHDR Shut_Down;

namespace {

constexpr SINT32 tokenOnGround = 60;
constexpr SINT32 tokenEngine1System = 895;
constexpr SINT32 tokenEngine2System = 896;
constexpr SINT32 tokenEngine1Propeller = 560;
constexpr SINT32 tokenEngine2Propeller = 570;

constexpr UINT32 keyThrottle1Closed = 0x1011C;
constexpr UINT32 keyThrottle2Closed = 0x1011D;
constexpr UINT32 keyPropeller1Set = 0x1017F;
constexpr UINT32 keyPropeller2Set = 0x10180;
constexpr UINT32 keyEngine1SystemToggle = 0x103BE;
constexpr UINT32 keyEngine2SystemToggle = 0x103BF;
constexpr UINT32 keyMagnetos1Off = 0x10187;
constexpr UINT32 keyMagnetos2Off = 0x1018D;
constexpr UINT32 keyAdfIdentOff = 0x1012C;
constexpr UINT32 keyNav1IdentOff = 0x10128;
constexpr UINT32 keyNav2IdentOff = 0x10129;

// NaN compares false: a token that is not a number is not positive.
bool TokenPositive(SINT32 token) { return LookupNumber(token) > 0.0; }

void FSAPI ShutDownRoutine(GAUGEHDR*, SINT32 serviceId, UINT32) {
    if (serviceId != PANEL_SERVICE_CONNECT_TO_WINDOW) return;
    if (!TokenPositive(tokenOnGround)) return;

    TriggerKeyEvent(keyThrottle1Closed);
    if (TokenPositive(tokenEngine1System)) TriggerKeyEvent(keyEngine1SystemToggle);
    if (TokenPositive(tokenEngine1Propeller)) TriggerKeyEvent(keyPropeller1Set, 0);

    TriggerKeyEvent(keyThrottle2Closed);
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

ELEMENT_STATIC_IMAGE shutDownPlate = {
    .header = ElementHeader(ELEMENT_TYPE_STATIC_IMAGE, 40, {0, 0}, &Shut_Down, nullptr, 0x3),
};

ELEMENT_HEADER* shutDownElements[] = {&shutDownPlate.header, nullptr};

// One empty group over the whole gauge: it never reacts to the mouse.
MOUSERECT shutDownMouse[] = {MouseGauge(), MouseEnd()};

}  // namespace

GAUGEHDR Shut_Down = {
    .gauge_header_version = GAUGEHDR_VERSION,
    .gauge_name = "Shut_Down",
    .elements_list = shutDownElements,
    .size_x_mm = 30,
    .mouse_rect = shutDownMouse,
    .gauge_callback = ShutDownRoutine,
};
