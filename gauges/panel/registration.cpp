// Registration: the aircraft's registration on a small plate. The simulator's
// ATC identifier by default; the parameters may give a fixed text and choose
// the font and the colour of the letters:
//
//   t<text>  fixed text, only at the very start ("_" stands for a space)
//   f<name>  font face, to the end of the parameters
//   r<n> g<n> b<n>  red, green and blue parts of the letters, 0 to 255
//
// Reads:  the ATC identifier, "(A:ATC ID,string)", every frame.
// Keeps:  atcIdText, the host's text of the last query; the placed plate's
//         font and colour, set at pre-install.
#include <cstdio>
#include <cstring>

#include "module/gauge_builders.h"
#include "module/host_services.h"
#include "module/parameters.h"

extern GAUGEHDR Registration;

namespace {

constexpr const char* atcIdQuery = "(A:ATC ID,string)";
const char* atcIdText = nullptr;  // the host's, valid until the next query

constexpr SINT32 colourPartMax = 255;

ELEMENT_STRING* PlateText(GAUGEHDR* gauge) {
    if (!gauge || !gauge->elements_list || !gauge->elements_list[0]) return nullptr;
    ELEMENT_HEADER** next = gauge->elements_list[0]->next_element;
    if (!next || !next[0] || next[0]->element_type != ELEMENT_TYPE_STRING) return nullptr;
    return ElementAs<ELEMENT_STRING>(next[0]);
}

// A colour part from its keyword: above 255 or negative gives full.
void ColourPart(const char* parameters, const char* keyword, UINT32& part) {
    const char* at = FindParameterKeyword(parameters, keyword);
    if (!at) return;
    const SINT32 value = ParameterInteger(at + 1);
    part = static_cast<UINT32>(value < 0 || value > colourPartMax ? colourPartMax : value);
}

// Font and colour of the placed plate, once at pre-install.
void ApplyPlateParameters(GAUGEHDR* gauge) {
    if (!gauge || !gauge->parameters || gauge->parameters[0] == '\0') return;
    ELEMENT_STRING* text = PlateText(gauge);
    if (!text) return;

    // The font name runs to the end of the parameters: it is cut off them so
    // that its letters are taken neither for keywords nor for the plate's text.
    if (char* font = const_cast<char*>(FindParameterKeyword(gauge->parameters, "f"))) {
        std::snprintf(text->font_name, sizeof text->font_name, "%s", font + 1);
        *font = '\0';
    }

    UINT32 red = text->fg_color & 0xFF;
    UINT32 green = (text->fg_color >> 8) & 0xFF;
    UINT32 blue = (text->fg_color >> 16) & 0xFF;
    ColourPart(gauge->parameters, "r", red);
    ColourPart(gauge->parameters, "g", green);
    ColourPart(gauge->parameters, "b", blue);
    text->fg_color = red + green * 256 + blue * 65536;
}

void FSAPI RegistrationRoutine(GAUGEHDR* gauge, SINT32 serviceId, UINT32) {
    switch (serviceId) {
    case PANEL_SERVICE_PRE_INSTALL:
        ApplyPlateParameters(gauge);
        break;
    case PANEL_SERVICE_PRE_UPDATE:
        atcIdText = ExecuteCalculatorText(atcIdQuery);
        break;
    default:
        break;
    }
}

// The plate shows the first word of its text, "_" as a space. The text never
// runs past the element's buffer, which holds its number of characters.
FLOAT64 FSAPI RegistrationText(ELEMENT_STRING* plate) {
    if (!plate || !plate->string) return 0;
    const char* parameters = plate->header.gauge_header ? plate->header.gauge_header->parameters : nullptr;
    const char* fixed = FindParameterKeyword(parameters, "t");
    const char* source = fixed && fixed == parameters ? fixed + 1 : (atcIdText ? atcIdText : "");

    char* shown = plate->string;
    std::snprintf(shown, static_cast<std::size_t>(plate->max_string_length) + 1, "%s", source);
    if (char* blank = const_cast<char*>(FindParameterKeyword(shown, " "))) *blank = '\0';
    while (char* underscore = const_cast<char*>(FindParameterKeyword(shown, "_"))) *underscore = ' ';
    return 0;
}

constexpr TextLook plateLook = {.box = {150, 25}, .characters = 7, .foreground = 0x00FFFFFF,
                                 .background = 0x00000000, .highlight = 0x005C5C5C,
                                 .font = "Arial", .weight = 400};
ELEMENT_STRING plateText =
    String({0, 0}, &Registration, nullptr, IMAGE_PLATE, nullptr, {}, plateLook, RegistrationText);
ELEMENT_STATIC_IMAGE plate = StaticImage(50, &Registration, listOf<plateText>, IMAGE_PLATE);

MOUSERECT plateMouse[] = {
    MouseGauge(),
    MouseTooltipText("Registration number"),
    MouseEndParent(),
    MouseEnd(),
};

}  // namespace

constinit GAUGEHDR Registration = GaugeHeader("Registration", listOf<plate>, 150, plateMouse, RegistrationRoutine);
