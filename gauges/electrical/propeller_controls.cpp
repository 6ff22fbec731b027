// Propeller controls: a feather and a pitch-reset push-button per engine,
// shown pressed while the mouse button is held, and the spring-loaded
// electric pitch switch, whose lever deflects for a short while in the
// direction the pitch moved. None of them makes a sound.
#include <cstddef>

#include "module/gauge_builders.h"
#include "module/host_services.h"
#include "module/parameters.h"

extern GAUGEHDR Propeller_Feather_Left;
extern GAUGEHDR Propeller_Feather_Right;
extern GAUGEHDR Propeller_Reset_Left;
extern GAUGEHDR Propeller_Reset_Right;
extern GAUGEHDR Propeller_Switch;

namespace {

std::int32_t featherLeftPressed = 0;
std::int32_t featherRightPressed = 0;
std::int32_t resetLeftPressed = 0;
std::int32_t resetRightPressed = 0;

FLOAT64 pitchLastValue = 0.0;
std::int32_t pitchDecreaseHold = 0;
std::int32_t pitchIncreaseHold = 0;

// ---- Push-buttons ----

struct PropellerButton {
    GAUGEHDR* gauge{};
    const char* name{};
    SINT32 plate{};
    SINT32 pressedImage{};
    UINT32 event{};
    const char* tooltip{};
    std::int32_t* pressed{};
};

constexpr PropellerButton propellerButtons[] = {
    {&Propeller_Feather_Left, "Propeller_Feather_Left", 4370, 4380, 0x103E9, "Feathers left propeller", &featherLeftPressed},
    {&Propeller_Feather_Right, "Propeller_Feather_Right", 4370, 4380, 0x103EA, "Feathers right propeller", &featherRightPressed},
    {&Propeller_Reset_Left, "Propeller_Reset_Left", 4330, 4340, 0x101D3, "Resets left propeller pitch", &resetLeftPressed},
    {&Propeller_Reset_Right, "Propeller_Reset_Right", 4350, 4360, 0x101D8, "Resets right propeller pitch", &resetRightPressed},
};

constexpr UINT32 buttonFlags = MOUSE_LEFTSINGLE | MOUSE_LEFTRELEASE;

// A press (and every repeat of it) sends the event; the release lets go.
void ButtonMouse(const PropellerButton& button, UINT32 mouseFlags) {
    if (mouseFlags & MOUSE_LEFTSINGLE) {
        *button.pressed = 1;
        TriggerKeyEvent(button.event, 0);
    } else if (mouseFlags & MOUSE_LEFTRELEASE) {
        *button.pressed = 0;
    }
}

// One button's records, built from its row.
template <std::size_t B>
struct PropellerButtonGauge {
    static constexpr const PropellerButton& button = propellerButtons[B];

    static SINT32 FSAPI Mouse(MOUSECALLBACK_POINT*, UINT32 mouseFlags) {
        ButtonMouse(button, mouseFlags);
        return 0;
    }
    // The pressed picture while held; nothing (the plate's released button)
    // otherwise.
    static FLOAT64 FSAPI Picture(ELEMENT_ICON*) { return *button.pressed != 0 ? 0.0 : -1.0; }

    static inline ELEMENT_ICON pressedIcon = {
        .header = ElementHeader(ELEMENT_TYPE_ICON, button.pressedImage, {0, 0}, button.gauge, nullptr, 0x3),
        .scale = 1.0,
        .picture_count = 1,
        .update_cb = Picture,
    };
    static inline ELEMENT_HEADER* plateNext[] = {&pressedIcon.header, nullptr};
    static inline ELEMENT_STATIC_IMAGE plate = {
        .header = ElementHeader(ELEMENT_TYPE_STATIC_IMAGE, button.plate, {0, 0}, button.gauge, plateNext, 0x3),
    };
    static inline ELEMENT_HEADER* elements[] = {&plate.header, nullptr};
    static inline MOUSERECT mouse[] = {
        MouseGauge(),
        MouseTooltipText(button.tooltip),
        MouseRoutine(0, 0, 50, 50, CURSOR_HAND, buttonFlags, Mouse),
        MouseEndParent(),
        MouseEnd(),
    };

    static constexpr GAUGEHDR Header() {
        return GAUGEHDR{
            .gauge_header_version = GAUGEHDR_VERSION,
            .gauge_name = button.name,
            .elements_list = elements,
            .size_x_mm = 40,
            .mouse_rect = mouse,
        };
    }
};

// ---- Propeller_Switch ----

constexpr std::int32_t pitchHoldUpdates = 9;

// The lever shows a deflection for the update that sees a change and the 8
// after it, then springs back; a value that keeps moving keeps it deflected.
FLOAT64 FSAPI PitchSwitchLever(ELEMENT_ICON* lever) {
    if (!lever) return 0.0;
    const FLOAT64 pitch = lever->source_var.var_value.n;
    if (pitchDecreaseHold >= 0) --pitchDecreaseHold;
    if (pitchIncreaseHold >= 0) --pitchIncreaseHold;
    if (pitchLastValue > pitch) {
        pitchDecreaseHold = pitchHoldUpdates;
        pitchIncreaseHold = 0;
    }
    if (pitchLastValue < pitch) {
        pitchIncreaseHold = pitchHoldUpdates;
        pitchDecreaseHold = 0;
    }
    pitchLastValue = pitch;
    if (pitchDecreaseHold > 0) return 1.0;
    if (pitchIncreaseHold > 0) return 2.0;
    return 0.0;
}

// Every placed pitch switch sends these same two events, whatever engine its
// parameters name.
constexpr UINT32 keyPitchDecrease = 0x101D5;
constexpr UINT32 keyPitchIncrease = 0x10450;

SINT32 FSAPI PitchSwitchDown(MOUSECALLBACK_POINT*, UINT32) {
    TriggerKeyEvent(keyPitchDecrease, 0);
    return 0;
}

SINT32 FSAPI PitchSwitchUp(MOUSECALLBACK_POINT*, UINT32) {
    TriggerKeyEvent(keyPitchIncrease, 0);
    return 0;
}

ELEMENT_ICON pitchLever = {
    .header = ElementHeader(ELEMENT_TYPE_ICON, 4290, {0, 0}, &Propeller_Switch, nullptr, 0x3),
    .source_var = Token(394),
    .scale = 1.0,
    .picture_count = 3,
    .update_cb = PitchSwitchLever,
};
ELEMENT_HEADER* pitchPlateNext[] = {&pitchLever.header, nullptr};
ELEMENT_STATIC_IMAGE pitchPlate = {
    .header = ElementHeader(ELEMENT_TYPE_STATIC_IMAGE, 4280, {0, 0}, &Propeller_Switch, pitchPlateNext, 0x3),
};
ELEMENT_HEADER* pitchElements[] = {&pitchPlate.header, nullptr};

constexpr UINT32 pitchSwitchFlags = MOUSE_LEFTSINGLE | MOUSE_DOWN_REPEAT;
MOUSERECT pitchMouse[] = {
    MouseGauge(),
    MouseTooltipText("Electric propeller pitch switch"),
    MouseRoutine(0, 0, 40, 50, CURSOR_DOWNARROW, pitchSwitchFlags, PitchSwitchDown),
    MouseRoutine(0, 50, 40, 50, CURSOR_UPARROW, pitchSwitchFlags, PitchSwitchUp),
    MouseEndParent(),
    MouseEnd(),
};

}  // namespace

GAUGEHDR Propeller_Feather_Left = PropellerButtonGauge<0>::Header();
GAUGEHDR Propeller_Feather_Right = PropellerButtonGauge<1>::Header();
GAUGEHDR Propeller_Reset_Left = PropellerButtonGauge<2>::Header();
GAUGEHDR Propeller_Reset_Right = PropellerButtonGauge<3>::Header();

GAUGEHDR Propeller_Switch = {
    .gauge_header_version = GAUGEHDR_VERSION,
    .gauge_name = "Propeller_Switch",
    .elements_list = pitchElements,
    .size_x_mm = 40,
    .mouse_rect = pitchMouse,
    .gauge_callback = EngineGaugeRoutine,
};
