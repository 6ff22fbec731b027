// The eighteen push buttons that open, close and toggle panel windows and
// step views from the panel itself. Three only have the host send one key
// event; the fifteen others share ToggleClick and ToggleGaugeRoutine and do
// what their parameters in the panel configuration program:
//
//   o<window>  open on a click         c<window>  close on a click
//   t<window>  toggle on a click       p<n>       n view steps (0: reset view)
//   a<window>  close once, at the first installation of the placed button
//   b<bitmap>  button face (100 to 240 in tens)
//   h<help>    host tooltip, by name or number
//
// Reads:  nothing from the simulator; the placed gauge's parameters.
// Sends:  keyPanelWindowOpen, keyPanelWindowClose, keyPanelWindowToggle
//         (value: window), keyViewReset, keyViewNext / keyViewPrevious,
//         keyKneeboard, keyMapWindow, keyAtcWindow.
// Keeps:  the placed gauge's user data (1 once installed), its face and help id.
#include <array>
#include <cstddef>
#include <cstring>

#include "gauges/panel/toggles.h"
#include "module/gauge_builders.h"
#include "module/host_services.h"
#include "module/panel_windows.h"
#include "module/parameters.h"
#include "module/tokens.h"

extern GAUGEHDR Kneeboard_Toggle;
extern GAUGEHDR ATC_Toggle;
extern GAUGEHDR Map_Toggle;
extern GAUGEHDR Invisible_Toggle;
extern GAUGEHDR Fuel_Toggle;
extern GAUGEHDR Close_Subpanel;
extern GAUGEHDR Radios_Toggle;
extern GAUGEHDR Show_Yoke;
extern GAUGEHDR Landing_View_Toggle;
extern GAUGEHDR Nav_Instruments_Toggle;
extern GAUGEHDR GPS_Toggle;
extern GAUGEHDR Throttle_Toggle;
extern GAUGEHDR Overhead_Toggle;
extern GAUGEHDR Compass_Toggle;
extern GAUGEHDR Electricity_Toggle;
extern GAUGEHDR Gear_Toggle;
extern GAUGEHDR Starter_Toggle;
extern GAUGEHDR Bombardier_View_Toggle;

namespace {

struct NamedNumber {
    const char* name;
    SINT32 number;
};

// Host tooltips by name, tried in this order as prefixes.
constexpr NamedNumber helpNames[] = {
    {"TOGGLE_RADIO_WINDOW", helpRadioWindow},       {"TOGGLE_GPS_WINDOW", helpGpsWindow},
    {"TOGGLE_THROTTLE_WINDOW", helpThrottleWindow}, {"TOGGLE_COMPASS_WINDOW", helpCompassWindow},
    {"TOGGLE_FUEL_WINDOW", helpFuelWindow},         {"TOGGLE_COLLECTIVE_WINDOW", helpCollectiveWindow},
};

// Numbers below this are not the host's tooltips.
constexpr SINT32 firstHelpNumber = 0xA000;

// Button faces a parameter may choose: those of the fifteen programmable toggles.
constexpr SINT32 firstFace = 100;
constexpr SINT32 lastFace = 240;
constexpr SINT32 faceStep = 10;

constexpr UINT32 mainPanelWindow = 0;

template <typename Named, std::size_t N>
const Named* FindPrefix(const Named (&names)[N], const char* text) {
    for (const Named& entry : names) {
        if (std::strncmp(text, entry.name, std::strlen(entry.name)) == 0) return &entry;
    }
    return nullptr;
}

// The argument of a keyword: the text right after its letter.
const char* Argument(const char* keyword) { return keyword ? keyword + 1 : nullptr; }

// Sends a window event for each occurrence of the keyword, in text order.
void SendForEvery(const char* parameters, const char* keyword, UINT32 eventId) {
    for (const char* at = FindParameterKeyword(parameters, keyword); at;
         at = FindParameterKeyword(at + 1, keyword)) {
        const SINT32 window = WindowId(Argument(at));
        if (window >= 0) TriggerKeyEvent(eventId, static_cast<UINT32>(window));
    }
}

void SendViewSteps(const char* parameters) {
    const char* at = FindParameterKeyword(parameters, "p");
    if (!at) return;
    const SINT32 steps = ParameterInteger(Argument(at));
    if (steps == 0) {
        TriggerKeyEvent(keyViewReset, 0);
        return;
    }
    const UINT32 eventId = steps > 0 ? keyViewNext : keyViewPrevious;
    SINT32 count = steps > 0 ? steps : (steps < -maxViewSteps ? maxViewSteps : -steps);
    if (count > maxViewSteps) count = maxViewSteps;
    for (SINT32 i = 0; i < count; ++i) TriggerKeyEvent(eventId, 0);
}

bool HasText(const char* parameters) { return parameters && parameters[0] != '\0'; }

// "b" then "h"; a face that cannot be shown ends the step, help id unchanged.
void ApplyFaceAndHelp(GAUGEHDR* gauge) {
    const char* parameters = gauge->parameters;
    if (const char* at = FindParameterKeyword(parameters, "b")) {
        ELEMENT_HEADER* face = gauge->elements_list ? gauge->elements_list[0] : nullptr;
        const SINT32 bitmap = ParameterInteger(Argument(at));
        if (!face || bitmap < firstFace || bitmap > lastFace || bitmap % faceStep != 0) return;
        face->resource_id = bitmap;
    }
    if (const char* at = FindParameterKeyword(parameters, "h")) {
        if (gauge->mouse_rect) gauge->mouse_rect[0].help_id = HelpIdByName(Argument(at));
    }
}

}  // namespace

SINT32 WindowId(const char* text) {
    if (!text || text[0] == '\0') return -1;
    if (const PanelWindowName* named = FindPrefix(panelWindowNames, text)) return named->number;
    return ParameterInteger(text);
}

UINT32 HelpIdByName(const char* text) {
    if (!text || text[0] == '\0') return helpNone;
    if (const NamedNumber* named = FindPrefix(helpNames, text)) return static_cast<UINT32>(named->number);
    const SINT32 number = ParameterInteger(text);
    return number >= firstHelpNumber ? static_cast<UINT32>(number) : helpNone;
}

SINT32 FSAPI ToggleClick(MOUSECALLBACK_POINT* point, UINT32) {
    const GAUGEHDR* gauge = point ? point->gauge : nullptr;
    if (!gauge) return 0;
    const char* parameters = gauge->parameters;
    if (!HasText(parameters)) {
        PanelWindowToggle(mainPanelWindow);
        return 0;
    }
    // Opening comes first, then closing, then toggling, whatever the order
    // in the text; the view steps last.
    SendForEvery(parameters, "o", keyPanelWindowOpen);
    SendForEvery(parameters, "c", keyPanelWindowClose);
    SendForEvery(parameters, "t", keyPanelWindowToggle);
    SendViewSteps(parameters);
    return 0;
}

void FSAPI ToggleGaugeRoutine(GAUGEHDR* gauge, SINT32 serviceId, UINT32) {
    if (serviceId != PANEL_SERVICE_PRE_INSTALL || !gauge) return;
    if (HasText(gauge->parameters)) ApplyFaceAndHelp(gauge);
    // The user data remembers the first installation of the placed button:
    // "a" closes its window once when the panel is set up, not at every
    // reinstallation.
    if (gauge->user_data != 0) return;
    if (HasText(gauge->parameters)) {
        if (const char* at = FindParameterKeyword(gauge->parameters, "a")) {
            const SINT32 window = WindowId(Argument(at));
            if (window >= 0) TriggerKeyEvent(keyPanelWindowClose, static_cast<UINT32>(window));
        }
    }
    gauge->user_data = 1;
}

namespace {

struct ToggleMember {
    GAUGEHDR* gauge{};
    const char* name{};
    SINT32 face{};
    UINT32 helpId{};
    const char* tooltip{};  // null: the group's help id names the host's tooltip
    UINT32 eventId{};       // the host sends it; 0: programmable, ToggleClick
};

// clang-format off
constexpr ToggleMember toggles[] = {
    {.gauge = &Kneeboard_Toggle, .name = "Kneeboard_Toggle", .face = 60, .helpId = helpKneeboard, .eventId = keyKneeboard},
    {.gauge = &ATC_Toggle, .name = "ATC_Toggle", .face = 80, .helpId = helpAtcWindow, .eventId = keyAtcWindow},
    {.gauge = &Map_Toggle, .name = "Map_Toggle", .face = 70, .helpId = helpMapWindow, .eventId = keyMapWindow},
    {.gauge = &Invisible_Toggle, .name = "Invisible_Toggle", .face = 100},
    {.gauge = &Fuel_Toggle, .name = "Fuel_Toggle", .face = 110, .helpId = helpFuelWindow,
     .tooltip = "Display/Hide the fuel subpanel"},
    {.gauge = &Close_Subpanel, .name = "Close_Subpanel", .face = 120, .tooltip = "Close the subpanel"},
    {.gauge = &Radios_Toggle, .name = "Radios_Toggle", .face = 130, .helpId = helpRadioWindow},
    {.gauge = &Show_Yoke, .name = "Show_Yoke", .face = 140, .tooltip = "Display/Hide the yoke"},
    {.gauge = &Landing_View_Toggle, .name = "Landing_View_Toggle", .face = 150,
     .tooltip = "Switch between Normal and Landing view"},
    {.gauge = &Nav_Instruments_Toggle, .name = "Nav_Instruments_Toggle", .face = 160,
     .tooltip = "Display/Hide navigation instruments"},
    {.gauge = &GPS_Toggle, .name = "GPS_Toggle", .face = 170, .helpId = helpGpsWindow},
    {.gauge = &Throttle_Toggle, .name = "Throttle_Toggle", .face = 180, .helpId = helpThrottleWindow},
    {.gauge = &Overhead_Toggle, .name = "Overhead_Toggle", .face = 190, .helpId = helpOverheadWindow},
    {.gauge = &Compass_Toggle, .name = "Compass_Toggle", .face = 200, .helpId = helpCompassWindow},
    {.gauge = &Electricity_Toggle, .name = "Electricity_Toggle", .face = 210,
     .tooltip = "Display/Hide the electricity switches"},
    {.gauge = &Gear_Toggle, .name = "Gear_Toggle", .face = 220, .tooltip = "Display/Hide the gear subpanel"},
    {.gauge = &Starter_Toggle, .name = "Starter_Toggle", .face = 230, .tooltip = "Display/Hide starter subpanel"},
    {.gauge = &Bombardier_View_Toggle, .name = "Bombardier_View_Toggle", .face = 240,
     .tooltip = "Switch between Normal and Bombardier view"},
};
// clang-format on

constexpr UINT32 toggleSizeMm = 19;
constexpr std::size_t toggleCount = std::size(toggles);

// One button's records, built from its row.
template <GAUGEHDR* Gauge>
struct Toggle {
    static constexpr std::size_t index = GaugeRowIndex(toggles, Gauge);
    static_assert(index < toggleCount, "a toggle needs its row in the table");
    static constexpr const ToggleMember& member = toggles[index];
    static constexpr bool programmable = member.eventId == keyNone;

    static inline ELEMENT_STATIC_IMAGE face = StaticImage(member.face, Gauge, nullptr, IMAGE_PLATE);

    // Group, its tooltip text if any, the button, end of group.
    static constexpr std::size_t mouseSlots = 5;
    static constexpr auto MouseList() {
        std::array<MOUSERECT, mouseSlots> list{};
        std::size_t n = 0;
        list[n++] = MouseGauge(member.helpId);
        if (member.tooltip) list[n++] = MouseTooltipText(member.tooltip);
        list[n++] = programmable
                        ? MouseRoutine(3, 3, 13, 13, CURSOR_HAND, MOUSE_LEFTSINGLE, ToggleClick)
                        : MouseEvent(3, 3, 13, 13, CURSOR_HAND, MOUSE_LEFTSINGLE, member.eventId);
        list[n++] = MouseEndParent();
        list[n++] = MouseEnd();
        return list;
    }
    static inline constinit std::array<MOUSERECT, mouseSlots> mouse = MouseList();

    static constexpr GAUGEHDR Header() {
        return GaugeHeader(member.name, listOf<face>, toggleSizeMm, mouse.data(),
                           programmable ? ToggleGaugeRoutine : nullptr);
    }
};

}  // namespace

constinit GAUGEHDR Kneeboard_Toggle = Toggle<&Kneeboard_Toggle>::Header();
constinit GAUGEHDR ATC_Toggle = Toggle<&ATC_Toggle>::Header();
constinit GAUGEHDR Map_Toggle = Toggle<&Map_Toggle>::Header();
constinit GAUGEHDR Invisible_Toggle = Toggle<&Invisible_Toggle>::Header();
constinit GAUGEHDR Fuel_Toggle = Toggle<&Fuel_Toggle>::Header();
constinit GAUGEHDR Close_Subpanel = Toggle<&Close_Subpanel>::Header();
constinit GAUGEHDR Radios_Toggle = Toggle<&Radios_Toggle>::Header();
constinit GAUGEHDR Show_Yoke = Toggle<&Show_Yoke>::Header();
constinit GAUGEHDR Landing_View_Toggle = Toggle<&Landing_View_Toggle>::Header();
constinit GAUGEHDR Nav_Instruments_Toggle = Toggle<&Nav_Instruments_Toggle>::Header();
constinit GAUGEHDR GPS_Toggle = Toggle<&GPS_Toggle>::Header();
constinit GAUGEHDR Throttle_Toggle = Toggle<&Throttle_Toggle>::Header();
constinit GAUGEHDR Overhead_Toggle = Toggle<&Overhead_Toggle>::Header();
constinit GAUGEHDR Compass_Toggle = Toggle<&Compass_Toggle>::Header();
constinit GAUGEHDR Electricity_Toggle = Toggle<&Electricity_Toggle>::Header();
constinit GAUGEHDR Gear_Toggle = Toggle<&Gear_Toggle>::Header();
constinit GAUGEHDR Starter_Toggle = Toggle<&Starter_Toggle>::Header();
constinit GAUGEHDR Bombardier_View_Toggle = Toggle<&Bombardier_View_Toggle>::Header();
