// Aviac_Box, the engine box: per engine a six-position selector knob with a
// lamp, two push-buttons and a lamp that follows the middle button. Turning a
// knob up from 0 to 5 brings the box, the system of token 895 (896) and the
// magnetos on in a fixed order, one group of key events per step; turning it
// down takes them off in the reverse order. Buttons click; knobs are silent.
#include "gauges/electrical/sounding_switch.h"
#include "gauges/electrical/systems_state.h"
#include "module/gauge_builders.h"
#include "module/host_services.h"

extern GAUGEHDR Aviac_Box;

namespace {

std::int32_t aviacLeftLamp = 0;
std::int32_t aviacRightLamp = 0;

SoundingSwitchSound aviacSound{.waveId = 10};

// What one engine's selector and buttons act on.
struct AviacEngine {
    std::uint32_t& position;
    std::int32_t& lamp;
    SINT32 systemToken;
    UINT32 systemToggle;
    UINT32 magnetoOff;
    UINT32 magnetoUp;
    UINT32 magnetoDown;
    UINT32 magnetoBoth;
};

const AviacEngine aviacLeft = {
    .position = aviacLeftPosition,
    .lamp = aviacLeftLamp,
    .systemToken = 895,
    .systemToggle = 0x103BE,
    .magnetoOff = 0x10187,
    .magnetoUp = 0x1024F,
    .magnetoDown = 0x1024E,
    .magnetoBoth = 0x1018A,
};

const AviacEngine aviacRight = {
    .position = aviacRightPosition,
    .lamp = aviacRightLamp,
    .systemToken = 896,
    .systemToggle = 0x103BF,
    .magnetoOff = 0x1018D,
    .magnetoUp = 0x10251,
    .magnetoDown = 0x10250,
    .magnetoBoth = 0x10190,
};

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
SINT32 FSAPI LeftSelectorDown(MOUSECALLBACK_POINT*, UINT32) { SelectorStepDown(aviacLeft); return 0; }
SINT32 FSAPI RightSelectorUp(MOUSECALLBACK_POINT*, UINT32) { SelectorStepUp(aviacRight); return 0; }
SINT32 FSAPI RightSelectorDown(MOUSECALLBACK_POINT*, UINT32) { SelectorStepDown(aviacRight); return 0; }

// Every call sends and clicks, the repeats of a held button included.
template <UINT32 Event>
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
FLOAT64 FSAPI ButtonLamp(ELEMENT_ICON* icon) { return icon ? icon->source_var.var_value.n - 1.0 : -1.0; }

constexpr SINT32 leftLowerToken = 401, rightLowerToken = 440;
constexpr SINT32 leftMiddleToken = 891, rightMiddleToken = 892;
constexpr UINT32 leftLowerEvent = 0x102FC, rightLowerEvent = 0x102FD;
constexpr UINT32 leftMiddleEvent = 0x10324, rightMiddleEvent = 0x10325;

constexpr ELEMENT_ICON AviacIcon(SINT32 bitmap, SINT32 images, PIXPOINT at, UINT32 flags, SINT32 token,
                                 ICON_UPDATE_CALLBACK value) {
    return ELEMENT_ICON{
        .header = ElementHeader(ELEMENT_TYPE_ICON, bitmap, at, &Aviac_Box, nullptr, flags),
        .source_var = Token(token),
        .scale = 1.0,
        .picture_count = images,
        .update_cb = value,
    };
}

// Drawn over the face in this order, each on top of the ones before it.
ELEMENT_ICON rightSelectorLamp = AviacIcon(4210, 1, {173, 271}, 0x7, 0, RightSelectorLamp);
ELEMENT_ICON leftSelectorLamp = AviacIcon(4210, 1, {52, 271}, 0x7, 0, LeftSelectorLamp);
ELEMENT_ICON rightSelectorKnob = AviacIcon(4200, 6, {126, 73}, 0x3, 0, RightSelectorKnob);
ELEMENT_ICON leftSelectorKnob = AviacIcon(4190, 6, {77, 73}, 0x3, 0, LeftSelectorKnob);
ELEMENT_ICON rightMiddleLamp = AviacIcon(4220, 1, {169, 38}, 0x3, rightMiddleToken, ButtonLamp);
ELEMENT_ICON leftMiddleLamp = AviacIcon(4220, 1, {46, 36}, 0x3, leftMiddleToken, ButtonLamp);
ELEMENT_ICON rightMiddleButton = AviacIcon(4180, 2, {210, 79}, 0x3, rightMiddleToken, nullptr);
ELEMENT_ICON leftMiddleButton = AviacIcon(4170, 2, {0, 79}, 0x3, leftMiddleToken, nullptr);
ELEMENT_ICON rightLowerButton = AviacIcon(4160, 2, {210, 197}, 0x3, rightLowerToken, nullptr);
ELEMENT_ICON leftLowerButton = AviacIcon(4150, 2, {0, 197}, 0x3, leftLowerToken, nullptr);

ELEMENT_HEADER* faceNext[] = {
    &rightSelectorLamp.header, &leftSelectorLamp.header,  &rightSelectorKnob.header,
    &leftSelectorKnob.header,  &rightMiddleLamp.header,   &leftMiddleLamp.header,
    &rightMiddleButton.header, &leftMiddleButton.header,  &rightLowerButton.header,
    &leftLowerButton.header,   nullptr,
};
ELEMENT_STATIC_IMAGE aviacFace = {
    .header = ElementHeader(ELEMENT_TYPE_STATIC_IMAGE, 4140, {0, 0}, &Aviac_Box, faceNext, 0x3),
};
ELEMENT_HEADER* aviacElements[] = {&aviacFace.header, nullptr};

constexpr UINT32 buttonFlags = MOUSE_LEFTSINGLE | MOUSE_DOWN_REPEAT;
constexpr UINT32 buttonHelpLower = 0xAB65;
constexpr UINT32 buttonHelpMiddle = 0xAB67;

MOUSERECT aviacMouse[] = {
    MouseGauge(),
    MouseParent(0, 197, 40, 67, buttonHelpLower), MouseEndParent(),
    MouseParent(210, 197, 40, 67, buttonHelpLower), MouseEndParent(),
    MouseRoutine(0, 197, 40, 67, CURSOR_HAND, buttonFlags, ButtonPress<leftLowerEvent>),
    MouseRoutine(210, 197, 40, 67, CURSOR_HAND, buttonFlags, ButtonPress<rightLowerEvent>),
    MouseParent(0, 79, 40, 67, buttonHelpMiddle), MouseEndParent(),
    MouseParent(210, 79, 40, 67, buttonHelpMiddle), MouseEndParent(),
    MouseRoutine(0, 79, 40, 67, CURSOR_HAND, buttonFlags, ButtonPress<leftMiddleEvent>),
    MouseRoutine(210, 79, 40, 67, CURSOR_HAND, buttonFlags, ButtonPress<rightMiddleEvent>),
    MouseRoutine(77, 73, 43, 43, CURSOR_UPARROW, MOUSE_LEFTSINGLE, LeftSelectorUp),
    MouseRoutine(77, 175, 43, 43, CURSOR_DOWNARROW, MOUSE_LEFTSINGLE, LeftSelectorDown),
    MouseRoutine(126, 73, 43, 43, CURSOR_UPARROW, MOUSE_LEFTSINGLE, RightSelectorUp),
    MouseRoutine(126, 175, 43, 43, CURSOR_DOWNARROW, MOUSE_LEFTSINGLE, RightSelectorDown),
    MouseEndParent(),
    MouseEnd(),
};

}  // namespace

GAUGEHDR Aviac_Box = {
    .gauge_header_version = GAUGEHDR_VERSION,
    .gauge_name = "Aviac_Box",
    .elements_list = aviacElements,
    .size_x_mm = 100,
    .mouse_rect = aviacMouse,
    .gauge_callback = SoundingSwitchRoutine<aviacSound>,
};
