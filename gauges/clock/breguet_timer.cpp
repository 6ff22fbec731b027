// Breguet_Timer: the panel clock. Hour and minute hands on the time of day, a
// chronograph (sweep seconds hand and 15-minute counter) with start/stop and
// reset buttons, and a minute ring turned in minute steps.
//
// Reads:  tokenTimeOfDay and tokenSimulationTime (seconds).
// Sends:  nothing.
// Keeps:  chronoRunning, chronoLastTime, chronoElapsed, ringPosition.
#include <array>
#include <cmath>
#include <cstddef>
#include <iterator>

#include "module/gauge_builders.h"
#include "module/numbers.h"
#include "module/tokens.h"

extern GAUGEHDR Breguet_Timer;

namespace {

SINT32 chronoRunning = 0;
FLOAT64 chronoLastTime = 0;  // simulation time at the previous reading
FLOAT64 chronoElapsed = 0;   // seconds run
SINT32 ringPosition = 0;     // minute steps, -59 to 59
// Whether chronoLastTime holds a reading yet: the first reading is only the
// start of the count, or a chronograph started before the first frame would
// take the whole simulation time as run.
bool chronoClockSeen = false;

constexpr SINT32 minutesPerRing = 60;
constexpr FLOAT64 degreesPerMinuteStep = 6.0;

// Called by both chronograph needles every frame with the same simulation
// time, so the second call adds nothing. Only time that runs forward counts:
// a simulation clock that jumps back (a reloaded or reset flight) or reads
// as no number leaves the elapsed time as it was.
FLOAT64 FSAPI ChronoSeconds(ELEMENT_NEEDLE* needle) {
    if (needle) {
        const FLOAT64 now = needle->source_var.var_value.n;
        if (std::isfinite(now)) {
            if (chronoRunning != 0 && chronoClockSeen && now > chronoLastTime) {
                chronoElapsed += now - chronoLastTime;
            }
            chronoLastTime = now;
            chronoClockSeen = true;
        }
    }
    return std::floor(chronoElapsed);
}

SINT32 FSAPI ChronoStartStop(MOUSECALLBACK_POINT*, UINT32) {
    chronoRunning = ToggleFlag(chronoRunning);
    return 0;
}

// The reset lever is blocked while the chronograph runs.
SINT32 FSAPI ChronoReset(MOUSECALLBACK_POINT*, UINT32) {
    if (chronoRunning == 0) chronoElapsed = 0;
    return 0;
}

// Truncating remainders: the ring position runs from -59 to 59, -1 and 59
// being the same ring angle.
SINT32 FSAPI RingStepDown(MOUSECALLBACK_POINT*, UINT32) {
    ringPosition = (ringPosition - 1) % minutesPerRing;
    return 0;
}

SINT32 FSAPI RingStepUp(MOUSECALLBACK_POINT*, UINT32) {
    ringPosition = (ringPosition + 1) % minutesPerRing;
    return 0;
}

FLOAT64 FSAPI RingAngle(ELEMENT_SPRITE*) { return ringPosition * degreesPerMinuteStep; }

// 7: glass
ELEMENT_STATIC_IMAGE timerGlass = StaticImage(1390, &Breguet_Timer, nullptr, IMAGE_PLATE);

// 6: chronograph seconds hand, one turn a minute
NONLINEARITY chronoSecondsTable[] = {{{138, 39}, 0}, {{138, 239}, 30}};
ELEMENT_NEEDLE chronoSecondsHand = Needle(1350, {138, 139}, {8, 8}, &Breguet_Timer, nullptr, IMAGE_NEEDLE,
                                          nullptr, tokenSimulationTime, chronoSecondsTable, ChronoSeconds);

// 5: chronograph counter, one turn in fifteen minutes
NONLINEARITY chronoCounterTable[] = {{{138, 153}, 0}, {{138, 213}, 450}};
ELEMENT_NEEDLE chronoCounter = Needle(1360, {138, 183}, {6, 6}, &Breguet_Timer, nullptr, IMAGE_NEEDLE,
                                      nullptr, tokenSimulationTime, chronoCounterTable, ChronoSeconds);

// 4: minute hand, one turn an hour
NONLINEARITY minuteHandTable[] = {{{138, 39}, 0}, {{138, 239}, 1800}};
ELEMENT_NEEDLE minuteHand = Needle(1370, {138, 139}, {7, 7}, &Breguet_Timer, nullptr, IMAGE_NEEDLE, nullptr,
                                   tokenTimeOfDay, minuteHandTable);

// 3: hour hand, one turn in twelve hours
NONLINEARITY hourHandTable[] = {{{138, 39}, 0}, {{138, 239}, 21600}};
ELEMENT_NEEDLE hourHand = Needle(1380, {138, 139}, {6, 6}, &Breguet_Timer, nullptr, IMAGE_NEEDLE, nullptr,
                                 tokenTimeOfDay, hourHandTable);

// 2: minute ring, turned by the ring areas only
ELEMENT_SPRITE minuteRing = Sprite(1400, {21, 24}, {138, 139}, &Breguet_Timer, nullptr, IMAGE_NEEDLE, nullptr,
                                   {tokenNone, 0}, {tokenNone, 0}, {tokenNone, 1.0, RingAngle}, 1.0f, 1.0f);

// 1: case and dial
ELEMENT_STATIC_IMAGE timerCase =
    StaticImage(1340, &Breguet_Timer,
                listOf<minuteRing, hourHand, minuteHand, chronoCounter, chronoSecondsHand, timerGlass>, IMAGE_DIAL);

// Tooltips of the timer's parts: each a group of its own over the part.
struct TimerTooltip {
    SINT32 x, y, w, h;
    const char* text;
};
constexpr TimerTooltip timerTooltips[] = {
    {56, 0, 162, 256, "Br\xE9guet timer"},  // Windows-1252
    {197, 273, 30, 40, "Timer reset button"},
    {110, 262, 45, 45, "Timer start/stop button"},
    {223, 85, 30, 103, "Turns minute ring clockwise"},
    {22, 85, 30, 103, "Turns minute ring counterclockwise"},
};
constexpr UINT32 heldFlags = MOUSE_LEFTSINGLE | MOUSE_DOWN_REPEAT;
constexpr MOUSERECT timerAreas[] = {
    MouseRoutine(110, 262, 45, 45, CURSOR_HAND, MOUSE_LEFTSINGLE, ChronoStartStop),
    MouseRoutine(197, 273, 30, 40, CURSOR_UPARROW, heldFlags, ChronoReset),
    MouseRoutine(223, 85, 30, 103, CURSOR_UPARROW, heldFlags, RingStepDown),
    MouseRoutine(22, 85, 30, 103, CURSOR_DOWNARROW, heldFlags, RingStepUp),
};

// A group over the whole timer holding the tooltip groups, then the areas.
constexpr std::size_t timerMouseCount = 1 + 3 * std::size(timerTooltips) + std::size(timerAreas) + 2;
constexpr std::array<MOUSERECT, timerMouseCount> TimerMouse() {
    std::array<MOUSERECT, timerMouseCount> list{};
    std::size_t n = 0;
    list[n++] = MouseGauge();
    for (const TimerTooltip& part : timerTooltips) {
        list[n++] = MouseParent(part.x, part.y, part.w, part.h);
        list[n++] = MouseTooltipText(part.text);
        list[n++] = MouseEndParent();
    }
    for (const MOUSERECT& area : timerAreas) list[n++] = area;
    list[n++] = MouseEndParent();
    list[n++] = MouseEnd();
    return list;
}
constinit std::array<MOUSERECT, timerMouseCount> timerMouse = TimerMouse();

}  // namespace

constinit GAUGEHDR Breguet_Timer = GaugeHeader("Breguet_Timer", listOf<timerCase>, 100, timerMouse.data());
