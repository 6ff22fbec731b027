// Aviac_Box, the engine box: per engine a six-position selector knob with a
// lamp, two push-buttons and a lamp that follows the middle button. Turning a
// knob up from 0 to 5 brings the box, the engine's system (tokenEngine1System,
// tokenEngine2System) and the magnetos on in a fixed order, one group of key
// events per step; turning it down takes them off in the reverse order. Buttons click; knobs are silent.
//
// Reads:  tokenEngine1System/2, the buttons' picture tokens.
// Sends:  engine system toggles, magneto steps, the buttons' events.
// Plays:  waveSwitchClick on every button press.
// Keeps:  aviacLeftPosition/aviacRightPosition (SystemsState), the selector lamps.
#include "gauges/electrical/sounding_switch.h"
#include "gauges/electrical/systems_state.h"
#include "module/gauge_builders.h"
#include "module/host_services.h"

extern GAUGEHDR Aviac_Box;

namespace {

std::int32_t aviacLeftLamp = 0;
std::int32_t aviacRightLamp = 0;

SoundingSwitchSound aviacSound{.waveId = waveSwitchClick};

// What one engine's selector and buttons act on.
struct AviacEngine {
    std::uint32_t& position;
    std::int32_t& lamp;
    SimToken systemToken;
    KeyEvent systemToggle;
    KeyEvent magnetoOff;
    KeyEvent magnetoUp;
    KeyEvent magnetoDown;
    KeyEvent magnetoBoth;
};

// clang-format off
const AviacEngine aviacLeft = {aviacLeftPosition, aviacLeftLamp, tokenEngine1System, keyEngine1SystemToggle,
                               keyMagnetos1Off, keyMagnetos1Up, keyMagnetos1Down, keyMagnetos1Both};
const AviacEngine aviacRight = {aviacRightPosition, aviacRightLamp, tokenEngine2System, keyEngine2SystemToggle,
                                keyMagnetos2Off, keyMagnetos2Up, keyMagnetos2Down, keyMagnetos2Both};
// clang-format on

constexpr std::uint32_t selectorTop = 5;

// 0 box off; 1 box on (lamp lit); 2 system on, magnetos off; 3 and 4 the
// magneto switch stepped up once and twice; 5 magnetos on both.
void SelectorStepUp(const AviacEngine& engine) {
    if (engine.position >= selectorTop) return;
    switch (++engine.position) {
    case 1: engine.lamp = 1; break;
    case 2:
        if (LookupNumber(engine.systemToken) == 0.0) TriggerKeyEvent(engine.systemToggle, 0);
        break;
    case 3:
    case 4: TriggerKeyEvent(engine.magnetoUp, 0); break;
    case 5: TriggerKeyEvent(engine.magnetoBoth, 0); break;
    default: break;
    }
}

void SelectorStepDown(const AviacEngine& engine) {
    if (engine.position == 0) return;
    switch (--engine.position) {
    case 0: engine.lamp = 0; break;
    case 1:
        if (LookupNumber(engine.systemToken) == 1.0) TriggerKeyEvent(engine.systemToggle, 0);
        break;
    case 2: TriggerKeyEvent(engine.magnetoOff, 0); break;
    case 3:
    case 4: TriggerKeyEvent(engine.magnetoDown, 0); break;
    default: break;
    }
}

SINT32 FSAPI LeftSelectorUp(MOUSECALLBACK_POINT*, UINT32) { SelectorStepUp(aviacLeft); return 0; }
SINT32 FSAPI LeftSelectorDown(MOUSECALLBACK_POINT*,
                              UINT32) { SelectorStepDown(aviacLeft); return 0; }
SINT32 FSAPI RightSelectorUp(MOUSECALLBACK_POINT*, UINT32) { SelectorStepUp(aviacRight); return 0; }
SINT32 FSAPI RightSelectorDown(MOUSECALLBACK_POINT*,
                               UINT32) { SelectorStepDown(aviacRight); return 0; }

// Every call sends and clicks, the repeats of a held button included.
template <KeyEvent Event>
SINT32 FSAPI ButtonPress(MOUSECALLBACK_POINT*, UINT32) {
    TriggerKeyEvent(Event, 0);
    SoundingSwitchClick(aviacSound);
    return 0;
}

FLOAT64 FSAPI RightSelectorLamp(ELEMENT_ICON*) { return aviacRightLamp != 0 ? 0.0 : -1.0; }
FLOAT64 FSAPI LeftSelectorLamp(ELEMENT_ICON*) { return aviacLeftLamp != 0 ? 0.0 : -1.0; }
FLOAT64 FSAPI RightSelectorKnob(ELEMENT_ICON*) { return aviacRightPosition; }
FLOAT64 FSAPI LeftSelectorKnob(ELEMENT_ICON*) { return aviacLeftPosition; }

// The middle-button lamp is lit at 1 and shows nothing at 0.
FLOAT64 FSAPI ButtonLamp(ELEMENT_ICON* icon) {
    return icon ? icon->source_var.var_value.n - 1.0 : -1.0;
}

// Drawn over the face in this order, each on top of the ones before it.
// clang-format off
ELEMENT_ICON rightSelectorLamp = Icon(4210, {173, 271}, &Aviac_Box, nullptr, IMAGE_LAMP, tokenNone, 1, RightSelectorLamp);
ELEMENT_ICON leftSelectorLamp = Icon(4210, {52, 271}, &Aviac_Box, nullptr, IMAGE_LAMP, tokenNone, 1, LeftSelectorLamp);
ELEMENT_ICON rightSelectorKnob = Icon(4200, {126, 73}, &Aviac_Box, nullptr, IMAGE_PLATE, tokenNone, 6, RightSelectorKnob);
ELEMENT_ICON leftSelectorKnob = Icon(4190, {77, 73}, &Aviac_Box, nullptr, IMAGE_PLATE, tokenNone, 6, LeftSelectorKnob);
ELEMENT_ICON rightMiddleLamp = Icon(4220, {169, 38}, &Aviac_Box, nullptr, IMAGE_PLATE, tokenEngine2MiddleButton, 1, ButtonLamp);
ELEMENT_ICON leftMiddleLamp = Icon(4220, {46, 36}, &Aviac_Box, nullptr, IMAGE_PLATE, tokenEngine1MiddleButton, 1, ButtonLamp);
ELEMENT_ICON rightMiddleButton = Icon(4180, {210, 79}, &Aviac_Box, nullptr, IMAGE_PLATE, tokenEngine2MiddleButton, 2, nullptr);
ELEMENT_ICON leftMiddleButton = Icon(4170, {0, 79}, &Aviac_Box, nullptr, IMAGE_PLATE, tokenEngine1MiddleButton, 2, nullptr);
ELEMENT_ICON rightLowerButton = Icon(4160, {210, 197}, &Aviac_Box, nullptr, IMAGE_PLATE, tokenEngine2LowerButton, 2, nullptr);
ELEMENT_ICON leftLowerButton = Icon(4150, {0, 197}, &Aviac_Box, nullptr, IMAGE_PLATE, tokenEngine1LowerButton, 2, nullptr);
// clang-format on

ELEMENT_STATIC_IMAGE aviacFace =
    StaticImage(4140, &Aviac_Box,
                listOf<rightSelectorLamp, leftSelectorLamp, rightSelectorKnob, leftSelectorKnob, rightMiddleLamp,
                       leftMiddleLamp, rightMiddleButton, leftMiddleButton, rightLowerButton, leftLowerButton>,
                IMAGE_PLATE);

constexpr UINT32 buttonFlags = MOUSE_LEFTSINGLE | MOUSE_DOWN_REPEAT;

MOUSERECT aviacMouse[] = {
    MouseGauge(),
    MouseParent(0, 197, 40, 67, helpEngineLowerButton), MouseEndParent(),
    MouseParent(210, 197, 40, 67, helpEngineLowerButton), MouseEndParent(),
    MouseRoutine(0, 197, 40, 67, CURSOR_HAND, buttonFlags, ButtonPress<keyEngine1LowerButton>),
    MouseRoutine(210, 197, 40, 67, CURSOR_HAND, buttonFlags, ButtonPress<keyEngine2LowerButton>),
    MouseParent(0, 79, 40, 67, helpEngineMiddleButton), MouseEndParent(),
    MouseParent(210, 79, 40, 67, helpEngineMiddleButton), MouseEndParent(),
    MouseRoutine(0, 79, 40, 67, CURSOR_HAND, buttonFlags, ButtonPress<keyEngine1MiddleButton>),
    MouseRoutine(210, 79, 40, 67, CURSOR_HAND, buttonFlags, ButtonPress<keyEngine2MiddleButton>),
    // Each selector: the area over the knob steps it up, the one below it down.
    // clang-format off
    MouseRoutine(77, 73, 43, 43, CURSOR_UPARROW, MOUSE_LEFTSINGLE, LeftSelectorUp), MouseRoutine(77, 175, 43, 43, CURSOR_DOWNARROW, MOUSE_LEFTSINGLE, LeftSelectorDown),
    MouseRoutine(126, 73, 43, 43, CURSOR_UPARROW, MOUSE_LEFTSINGLE, RightSelectorUp), MouseRoutine(126, 175, 43, 43, CURSOR_DOWNARROW, MOUSE_LEFTSINGLE, RightSelectorDown),
    // clang-format on
    MouseEndParent(),
    MouseEnd(),
};

}  // namespace

constinit GAUGEHDR Aviac_Box =
    GaugeHeader("Aviac_Box", listOf<aviacFace>, 100, aviacMouse, SoundingSwitchRoutine<aviacSound>);
