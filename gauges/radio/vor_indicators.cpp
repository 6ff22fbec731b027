// VOR1 and VOR2: the course indicators of the two NAV receivers, one
// definition with a row of differences each. A circular face with the
// selected course in a window, localizer and glide-slope needles, their
// flags, a pointer of the heading relative to the course, and the course knob.
//
// Reads:  the receiver's localizer, glide slope, signal flag, glide-slope
//         flag and course tokens; tokenGyroHeading.
// Sends:  the receiver's course-set event, value the new course in whole
//         degrees, from the course knob's areas.
// Keeps:  nothing; reads nav1Power or nav2Power (SystemsState), set by the
//         receiver's power switch.
//
// While the receiver is off the needles centre, the flags show and the
// pointer lies crosswise; the course window and knob work regardless.
#include <array>
#include <cstddef>

#include "gauges/electrical/systems_state.h"
#include "gauges/radio/radio_display.h"
#include "module/gauge_builders.h"
#include "module/host_services.h"
#include "module/numbers.h"
#include "module/tokens.h"

extern GAUGEHDR VOR1;
extern GAUGEHDR VOR2;

namespace {

struct VorIndicatorRow {
    GAUGEHDR* gauge{};
    const char* name{};
    const std::int32_t* power{};
    SimToken signal{}, glideSlopeFlag{}, course{}, localizer{}, glideSlope{};
    KeyEvent courseSet{};
    SINT32 receiverFailure{};
    bool glideSlopeOnTop{};  // drawn over the localizer needle
    HelpId dialHelp{}, knobHelp{};
    HelpId flagsHelp{};      // helpNone: no such help area
};

// clang-format off
constexpr VorIndicatorRow vorIndicators[] = {
    {.gauge = &VOR1, .name = "VOR1", .power = &nav1Power,
     .signal = tokenVor1Signal, .glideSlopeFlag = tokenVor1GlideSlopeFlag, .course = tokenVor1Course,
     .localizer = tokenVor1Localizer, .glideSlope = tokenVor1GlideSlope,
     .courseSet = keyVor1CourseSet, .receiverFailure = FAIL_GAUGE_NAVIGATION_VOR1,
     .glideSlopeOnTop = true, .dialHelp = helpVor1Dial, .knobHelp = helpVor1Knob, .flagsHelp = helpVor1Flags},
    {.gauge = &VOR2, .name = "VOR2", .power = &nav2Power,
     .signal = tokenVor2Signal, .glideSlopeFlag = tokenVor2GlideSlopeFlag, .course = tokenVor2Course,
     .localizer = tokenVor2Localizer, .glideSlope = tokenVor2GlideSlope,
     .courseSet = keyVor2CourseSet, .receiverFailure = FAIL_GAUGE_NAVIGATION_VOR2,
     .glideSlopeOnTop = false, .dialHelp = helpVor2Dial, .knobHelp = helpVor2Knob, .flagsHelp = helpNone},
};
// clang-format on

constexpr std::size_t vorIndicatorCount = sizeof vorIndicators / sizeof vorIndicators[0];

constexpr SINT32 vorFace = 3100;
constexpr SINT32 vorPointer = 3080;
constexpr SINT32 vorLocalizerNeedle = 3030;
constexpr SINT32 vorGlideSlopeNeedle = 3090;
constexpr SINT32 vorRing = 3040;
constexpr SINT32 vorGlideSlopeFlag = 3050;  // shown, 3051 hidden
constexpr SINT32 vorSignalFlag = 3070;      // OFF shown, 3071 hidden
constexpr SINT32 vorBezel = 3020;
constexpr SINT32 vorCourseKnob = 3000;

// The pointer lies crosswise (pointing right) without power or signal and
// while the heading is well away from both the course and its reciprocal.
constexpr FLOAT64 pointerCrosswise = 90.0;
constexpr FLOAT64 nearCourse = 45.0;
constexpr FLOAT64 nearReciprocal = 135.0;

constexpr SINT32 degreesInCircle = 360;

constexpr TextLook courseWindowLook = {.box = {66, 26}, .characters = 3, .foreground = 0xFFFFFF,
                                         .background = 0x000000, .highlight = 0xFFFFFF,
                                         .font = "Arial", .weight = 700};

// The pointer, localizer and glide-slope tables and the knob's are shared by
// both twins.
NONLINEARITY pointerTable[] = {{{159, 88}, 0.0, 0.0}, {{159, 248}, 180.0, 0.0}};
NONLINEARITY localizerTable[] = {{{221, 168}, 127.0, 0.0}, {{98, 168}, -127.0, 0.0}};
NONLINEARITY glideSlopeTable[] = {{{160, 107}, -119.0, 0.0}, {{160, 230}, 119.0, 0.0}};
// Half a turn of the knob per 30 degrees of course.
NONLINEARITY courseKnobTable[] = {{{40, 261}, 0.0, 0.0}, {{40, 301}, 30.0, 0.0}};

// A course read as whole degrees 0 to 359. The simulator keeps its course
// within the circle; anything else is brought back into it before a step.
SINT32 WholeCourse(FLOAT64 course) {
    SINT32 degrees = TruncateToInt32(course) % degreesInCircle;
    if (degrees < 0) degrees += degreesInCircle;
    return degrees;
}

template <GAUGEHDR* Gauge>
struct VorIndicator {
    static constexpr std::size_t index = GaugeRowIndex(vorIndicators, Gauge);
    static_assert(index < vorIndicatorCount, "a VOR indicator needs its row in the table");
    static constexpr const VorIndicatorRow& row = vorIndicators[index];

    static bool On() { return *row.power != 0; }

    // Needles and the glide-slope flag: the token while the receiver is on.
    static FLOAT64 FSAPI PoweredNeedle(ELEMENT_NEEDLE* needle) {
        return On() && needle ? needle->source_var.var_value.n : 0.0;
    }
    static FLOAT64 FSAPI PoweredFlag(ELEMENT_ICON* flag) {
        return On() && flag ? flag->source_var.var_value.n : 0.0;
    }
    // The OFF flag hides only with power and a usable signal.
    static FLOAT64 FSAPI SignalFlag(ELEMENT_ICON* flag) {
        return On() && flag && flag->source_var.var_value.u > 0 ? 1.0 : 0.0;
    }

    // The heading less the course, not wrapped into a half circle: a heading
    // of 350 on a course of 50 shows as 300.
    static FLOAT64 FSAPI HeadingToCourse(ELEMENT_NEEDLE*) {
        const FLOAT64 heading = LookupNumber(tokenGyroHeading);
        if (!On()) return pointerCrosswise;
        const UINT32 signal = LookupToken(row.signal).u;
        const FLOAT64 difference = heading - LookupNumber(row.course);
        if (signal == 0) return pointerCrosswise;
        const bool crosswise = (-nearReciprocal < difference && difference < -nearCourse) ||
                               (nearCourse < difference && difference < nearReciprocal);
        return crosswise ? pointerCrosswise : difference;
    }

    static FLOAT64 FSAPI CourseText(ELEMENT_STRING* window) {
        if (!window) return 0.0;
        const FLOAT64 course = window->source_var[0].var_value.n;
        ShowWindowNumber(window, "%03.0f", course);
        return course;
    }

    // Left button: one degree a step, wrapping through north. Right button:
    // ten degrees.
    static SINT32 FSAPI CourseDown(MOUSECALLBACK_POINT*, UINT32 mouseFlags) {
        const SINT32 course = WholeCourse(LookupNumber(row.course));
        if (mouseFlags & MOUSE_LEFTSINGLE) {
            SendCourse(course > 0 ? course - 1 : 359);
        } else if (mouseFlags & MOUSE_RIGHTSINGLE) {
            SendCourse(course >= 10 ? course - 10 : course + 350);
        }
        return 0;
    }
    static SINT32 FSAPI CourseUp(MOUSECALLBACK_POINT*, UINT32 mouseFlags) {
        const SINT32 course = WholeCourse(LookupNumber(row.course));
        if (mouseFlags & MOUSE_LEFTSINGLE) {
            SendCourse(course < 359 ? course + 1 : 0);
        } else if (mouseFlags & MOUSE_RIGHTSINGLE) {
            SendCourse(course <= 349 ? course + 10 : course - 350);
        }
        return 0;
    }
    static void SendCourse(SINT32 course) { TriggerKeyEvent(row.courseSet, static_cast<UINT32>(course)); }

    // Receiver or avionics failure zeroes the needles and flags; avionics
    // failure also hides the course window.
    static inline FAILURE_RECORD faceFailures[] = {
        {.key = row.receiverFailure, .action = FAIL_ACTION_NONE},
        {.key = FAIL_NONE},
    };
    static inline FAILURE_RECORD needleFailures[] = {
        {.key = row.receiverFailure, .action = FAIL_ACTION_ZERO},
        {.key = FAIL_SYSTEM_ELECTRICAL_AVIONICS, .action = FAIL_ACTION_ZERO},
        {.key = FAIL_NONE},
    };
    static inline FAILURE_RECORD windowFailures[] = {
        {.key = FAIL_SYSTEM_ELECTRICAL_AVIONICS, .action = FAIL_ACTION_NO_DRAW},
        {.key = FAIL_NONE},
    };

    // The flags show their first picture while set.
    static constexpr ELEMENT_ICON Flag(SINT32 bitmap, PIXPOINT at, ELEMENT_HEADER** next, SimToken token,
                                       ICON_UPDATE_CALLBACK value) {
        return Icon(bitmap, at, Gauge, next, IMAGE_NEEDLE, token, 2, value, needleFailures);
    }
    static constexpr ELEMENT_NEEDLE LocalizerNeedle(ELEMENT_HEADER** next) {
        return Needle(vorLocalizerNeedle, {158, 93}, {-7, 2}, Gauge, next, IMAGE_NEEDLE, needleFailures,
                      row.localizer, localizerTable, PoweredNeedle);
    }
    static constexpr ELEMENT_NEEDLE GlideSlopeNeedle(ELEMENT_HEADER** next) {
        return Needle(vorGlideSlopeNeedle, {77, 168}, {0, 2}, Gauge, next, IMAGE_NEEDLE, needleFailures,
                      row.glideSlope, glideSlopeTable, PoweredNeedle);
    }

    // 10 to 1, top of the chain first.
    static inline ELEMENT_NEEDLE knob = Needle(vorCourseKnob, {40, 281}, {37, 37}, Gauge, nullptr, IMAGE_KNOB,
                                               nullptr, row.course, courseKnobTable);
    static inline ELEMENT_STATIC_IMAGE bezel = StaticImage(vorBezel, Gauge, listOf<knob>, IMAGE_PLATE);
    static inline ELEMENT_STRING window = String({130, 43}, Gauge, listOf<bezel>, IMAGE_LAMP, windowFailures,
                                                 {row.course, row.course}, courseWindowLook, CourseText);
    static inline ELEMENT_ICON signalFlag =
        Flag(vorSignalFlag, {134, 232}, listOf<window>, row.signal, SignalFlag);
    static inline ELEMENT_ICON glideSlopeFlag =
        Flag(vorGlideSlopeFlag, {75, 148}, listOf<signalFlag>, row.glideSlopeFlag, PoweredFlag);
    static inline ELEMENT_STATIC_IMAGE ring = StaticImage(vorRing, Gauge, listOf<glideSlopeFlag>, IMAGE_NEEDLE);
    // The twins stack their two needles in opposite orders.
    static inline ELEMENT_NEEDLE upperNeedle =
        row.glideSlopeOnTop ? GlideSlopeNeedle(listOf<ring>) : LocalizerNeedle(listOf<ring>);
    static inline ELEMENT_NEEDLE lowerNeedle =
        row.glideSlopeOnTop ? LocalizerNeedle(listOf<upperNeedle>) : GlideSlopeNeedle(listOf<upperNeedle>);
    static inline ELEMENT_NEEDLE pointer = Needle(vorPointer, {159, 168}, {39, 12}, Gauge, listOf<lowerNeedle>,
                                                  IMAGE_NEEDLE, needleFailures, tokenNone, pointerTable,
                                                  HeadingToCourse);
    static inline ELEMENT_STATIC_IMAGE face =
        StaticImage(vorFace, Gauge, listOf<pointer>, IMAGE_DIAL, {0, 0}, faceFailures);

    // Help areas of the dial, the flags (VOR1 only) and the knob, then the
    // knob's two halves; unused entries stay end-of-list records.
    static constexpr std::size_t mouseSlots = 12;
    static constexpr UINT32 knobFlags = MOUSE_LEFTSINGLE | MOUSE_RIGHTSINGLE | MOUSE_DOWN_REPEAT;
    static constexpr auto MouseList() {
        std::array<MOUSERECT, mouseSlots> list{};
        std::size_t n = 0;
        list[n++] = MouseGauge();
        list[n++] = MouseParent(70, 70, 170, 170, row.dialHelp);
        list[n++] = MouseEndParent();
        if (row.flagsHelp != helpNone) {
            list[n++] = MouseParent(253, 18, 56, 56, row.flagsHelp);
            list[n++] = MouseEndParent();
        }
        list[n++] = MouseParent(3, 244, 74, 74, row.knobHelp);
        list[n++] = MouseEndParent();
        list[n++] = MouseRoutine(3, 244, 37, 74, CURSOR_DOWNARROW, knobFlags, CourseDown);
        list[n++] = MouseRoutine(40, 244, 37, 74, CURSOR_UPARROW, knobFlags, CourseUp);
        list[n++] = MouseEndParent();
        list[n++] = MouseEnd();
        return list;
    }
    static inline constinit std::array<MOUSERECT, mouseSlots> mouse = MouseList();

    static constexpr GAUGEHDR Header() { return GaugeHeader(row.name, listOf<face>, 100, mouse.data()); }
};

}  // namespace

constinit GAUGEHDR VOR1 = VorIndicator<&VOR1>::Header();
constinit GAUGEHDR VOR2 = VorIndicator<&VOR2>::Header();
