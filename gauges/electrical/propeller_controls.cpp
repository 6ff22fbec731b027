// Propeller controls: a feather and a pitch-reset push-button per engine,
// shown pressed while the mouse button is held, and the spring-loaded
// electric pitch switch, whose lever deflects for a short while in the
// direction the pitch moved. None of them makes a sound.
//
// Reads:  tokenEngine1PropellerPitch (moved to the placed engine).
// Sends:  feather and pitch-reset events per button; engine 1's pitch
//         decrease and increase from the pitch switch.
// Plays:  nothing.
// Keeps:  the buttons' pressed flags; the pitch switch's last value and hold
//         counters per engine.
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

// The pitch switch keeps its watch per engine: a panel that places it for
// two engines must not have each compare its pitch with the other's.
constexpr int pitchEngines = 4;
FLOAT64 pitchLastValue[pitchEngines] = {};
std::int32_t pitchDecreaseHold[pitchEngines] = {};
std::int32_t pitchIncreaseHold[pitchEngines] = {};

// ---- Push-buttons ----

struct PropellerButton {
    GAUGEHDR* gauge{};
    const char* name{};
    SINT32 plate{};
    SINT32 pressedImage{};
    KeyEvent event{};
    const char* tooltip{};
    std::int32_t* pressed{};
};

constexpr PropellerButton propellerButtons[] = {
    {&Propeller_Feather_Left, "Propeller_Feather_Left", 4370, 4380, keyPropeller1Feather, "Feathers left propeller", &featherLeftPressed},
    {&Propeller_Feather_Right, "Propeller_Feather_Right", 4370, 4380, keyPropeller2Feather, "Feathers right propeller", &featherRightPressed},
    {&Propeller_Reset_Left, "Propeller_Reset_Left", 4330, 4340, keyPropeller1PitchReset, "Resets left propeller pitch", &resetLeftPressed},
    {&Propeller_Reset_Right, "Propeller_Reset_Right", 4350, 4360, keyPropeller2PitchReset, "Resets right propeller pitch", &resetRightPressed},
};

// Click, repeated while held, and the release that lets go.
constexpr UINT32 buttonFlags = MOUSE_LEFTSINGLE | MOUSE_DOWN_REPEAT | MOUSE_LEFTRELEASE;

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

    static inline ELEMENT_ICON pressedIcon =
        Icon(button.pressedImage, {0, 0}, button.gauge, nullptr, IMAGE_PLATE, tokenNone, 1, Picture);
    static inline ELEMENT_STATIC_IMAGE plate =
        StaticImage(button.plate, button.gauge, listOf<pressedIcon>, IMAGE_PLATE);
    static inline MOUSERECT mouse[] = {
        MouseGauge(),
        MouseTooltipText(button.tooltip),
        MouseRoutine(0, 0, 50, 50, CURSOR_HAND, buttonFlags, Mouse),
        MouseEndParent(),
        MouseEnd(),
    };

    static constexpr GAUGEHDR Header() {
        return GaugeHeader(button.name, listOf<plate>, 40, mouse);
    }
};

// ---- Propeller_Switch ----

constexpr std::int32_t pitchHoldUpdates = 9;

// The engine whose pitch the lever watches, from the token the gauge's
// parameters gave it at install; engine 1 for anything else.
int PitchEngine(SINT32 token) {
    for (int engine = 1; engine <= pitchEngines; ++engine) {
        if (EngineToken(tokenEngine1PropellerPitch, engine) == token) return engine - 1;
    }
    return 0;
}

// The lever shows a deflection for the update that sees a change and the 8
// after it, then springs back; a value that keeps moving keeps it deflected.
FLOAT64 FSAPI PitchSwitchLever(ELEMENT_ICON* lever) {
    if (!lever) return 0.0;
    const int e = PitchEngine(lever->source_var.id);
    const FLOAT64 pitch = lever->source_var.var_value.n;
    if (pitchDecreaseHold[e] >= 0) --pitchDecreaseHold[e];
    if (pitchIncreaseHold[e] >= 0) --pitchIncreaseHold[e];
    if (pitchLastValue[e] > pitch) {
        pitchDecreaseHold[e] = pitchHoldUpdates;
        pitchIncreaseHold[e] = 0;
    }
    if (pitchLastValue[e] < pitch) {
        pitchIncreaseHold[e] = pitchHoldUpdates;
        pitchDecreaseHold[e] = 0;
    }
    pitchLastValue[e] = pitch;
    if (pitchDecreaseHold[e] > 0) return 1.0;
    if (pitchIncreaseHold[e] > 0) return 2.0;
    return 0.0;
}

// Every placed pitch switch sends engine 1's two events, whatever engine its
// parameters name.

SINT32 FSAPI PitchSwitchDown(MOUSECALLBACK_POINT*, UINT32) {
    TriggerKeyEvent(keyPropeller1PitchDecrease, 0);
    return 0;
}

SINT32 FSAPI PitchSwitchUp(MOUSECALLBACK_POINT*, UINT32) {
    TriggerKeyEvent(keyPropeller1PitchIncrease, 0);
    return 0;
}

ELEMENT_ICON pitchLever =
    Icon(4290, {0, 0}, &Propeller_Switch, nullptr, IMAGE_PLATE, tokenEngine1PropellerPitch, 3,
         PitchSwitchLever);
ELEMENT_STATIC_IMAGE pitchPlate = StaticImage(4280, &Propeller_Switch, listOf<pitchLever>,
                                              IMAGE_PLATE);

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

constinit GAUGEHDR Propeller_Feather_Left = PropellerButtonGauge<0>::Header();
constinit GAUGEHDR Propeller_Feather_Right = PropellerButtonGauge<1>::Header();
constinit GAUGEHDR Propeller_Reset_Left = PropellerButtonGauge<2>::Header();
constinit GAUGEHDR Propeller_Reset_Right = PropellerButtonGauge<3>::Header();

constinit GAUGEHDR Propeller_Switch =
    GaugeHeader("Propeller_Switch", listOf<pitchPlate>, 40, pitchMouse, EngineGaugeRoutine);
