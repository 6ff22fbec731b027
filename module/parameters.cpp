#include "module/parameters.h"

#include <cstring>

const char* FindParameterKeyword(const char* text, const char* keyword) {
    if (!text || !keyword) return nullptr;
    const char* found = std::strstr(text, keyword);
    if (!found) return nullptr;
    for (const char* c = text; c < found; ++c) {
        if (*c == '/' || *c == '#' || *c == '\'') return nullptr;
    }
    return found;
}

int EngineFromParameters(const char* parameters) {
    static constexpr const char* digits[] = {"1", "2", "3", "4"};
    for (int engine = 1; engine <= 4; ++engine) {
        if (FindParameterKeyword(parameters, digits[engine - 1])) return engine;
    }
    return 1;
}

namespace {

// A block of numbers that differ per engine: [first, last) moves by step.
struct EngineStep {
    std::int64_t first;
    std::int64_t last;
    std::int64_t step;
};

constexpr EngineStep tokenSteps[] = {
    {127, 162, 35}, {390, 429, 39}, {558, 568, 10}, {608, 609, 1}, {624, 643, 19},
    {700, 708, 8},  {732, 734, 2},  {761, 763, 2},  {801, 802, 1}, {883, 884, 1},
    {887, 888, 1},  {891, 892, 1},  {895, 896, 1},  {899, 900, 1},
};

// A single event is a block of one.
constexpr EngineStep keyEventSteps[] = {
    {0x10002, 0x10003, 1}, {0x1011C, 0x1011D, 1}, {0x1017F, 0x10180, 1},
    {0x10183, 0x10184, 1}, {0x10187, 0x1018D, 6}, {0x101AB, 0x101B0, 5},
    {0x101BF, 0x101C4, 5}, {0x101D3, 0x101D8, 5}, {0x10221, 0x10224, 3},
    {0x1024E, 0x10250, 2}, {0x102FC, 0x102FD, 1}, {0x10309, 0x1030A, 1},
    {0x10319, 0x1031B, 2}, {0x10324, 0x10325, 1}, {0x10329, 0x1032A, 1},
    {0x1032D, 0x1032E, 1}, {0x10337, 0x10338, 1}, {0x1033B, 0x1033C, 1},
    {0x10360, 0x10361, 1}, {0x10374, 0x10377, 3}, {0x103B4, 0x103B5, 1},
    {0x103B8, 0x103B9, 1}, {0x103BE, 0x103BF, 1}, {0x103E9, 0x103EA, 1},
    {0x1044B, 0x1044C, 1}, {0x10450, 0x10451, 1}, {0x10455, 0x10456, 1},
};

constexpr std::int64_t engineHelpIds[] = {
    12449, 12457, 12465, 12481, 12486, 12491, 12497, 12505, 12513, 12521, 12529,
    12537, 12545, 12553, 12689, 12697, 12705, 12713, 12737, 12742, 12747, 12753,
    12758, 12769, 12777, 12793, 12817, 12851, 12945, 12960, 12968, 12977, 13016,
    13033, 13041, 13137, 13148, 13150, 13161, 13163, 13200, 13268,
};

template <std::size_t N>
std::int64_t StepOf(const EngineStep (&steps)[N], std::int64_t value) {
    for (const EngineStep& block : steps) {
        if (value >= block.first && value < block.last) return block.step;
    }
    return 0;
}

std::int64_t HelpStepOf(std::int64_t helpId) {
    for (std::int64_t id : engineHelpIds) {
        if (id == helpId) return 1;
    }
    return 0;
}

int ClampEngine(int engine) { return engine < 1 ? 1 : engine > 4 ? 4 : engine; }

void MoveToken(MODULE_VAR& var, int engine) { var.id = EngineToken(var.id, engine); }

void MoveElementTokens(ELEMENT_HEADER* element, int engine, int depth);

void MoveElementList(ELEMENT_HEADER** list, int engine, int depth) {
    // Element trees are a few levels deep; the bound only guards against a
    // record that names itself.
    if (!list || depth > 64) return;
    for (; *list; ++list) MoveElementTokens(*list, engine, depth);
}

void MoveElementTokens(ELEMENT_HEADER* element, int engine, int depth) {
    switch (element->element_type) {
    case ELEMENT_TYPE_NEEDLE:
        MoveToken(reinterpret_cast<ELEMENT_NEEDLE*>(element)->source_var, engine);
        break;
    case ELEMENT_TYPE_ICON:
        MoveToken(reinterpret_cast<ELEMENT_ICON*>(element)->source_var, engine);
        break;
    case ELEMENT_TYPE_STRING:
        for (MODULE_VAR& var : reinterpret_cast<ELEMENT_STRING*>(element)->source_var) {
            MoveToken(var, engine);
        }
        break;
    case ELEMENT_TYPE_SLIDER: {
        auto* slider = reinterpret_cast<ELEMENT_SLIDER*>(element);
        MoveToken(slider->source_var_x, engine);
        MoveToken(slider->source_var_y, engine);
        break;
    }
    case ELEMENT_TYPE_MOVING_IMAGE: {
        auto* image = reinterpret_cast<ELEMENT_MOVING_IMAGE*>(element);
        MoveToken(image->source_var_x, engine);
        MoveToken(image->source_var_y, engine);
        break;
    }
    case ELEMENT_TYPE_SPRITE: {
        auto* sprite = reinterpret_cast<ELEMENT_SPRITE*>(element);
        MoveToken(sprite->source_var_x, engine);
        MoveToken(sprite->source_var_y, engine);
        MoveToken(sprite->source_var_0, engine);
        break;
    }
    default:
        break;
    }
    MoveElementList(element->next_element, engine, depth + 1);
}

}  // namespace

SINT32 EngineToken(SINT32 token, int engine) {
    const std::int64_t moved = token + (ClampEngine(engine) - 1) * StepOf(tokenSteps, token);
    return static_cast<SINT32>(moved);
}

UINT32 EngineKeyEvent(UINT32 eventId, int engine) {
    const std::int64_t moved = eventId + (ClampEngine(engine) - 1) * StepOf(keyEventSteps, eventId);
    return static_cast<UINT32>(moved);
}

UINT32 EngineHelpId(UINT32 helpId, int engine) {
    return static_cast<UINT32>(helpId + (ClampEngine(engine) - 1) * HelpStepOf(helpId));
}

void FSAPI EngineGaugeRoutine(GAUGEHDR* gauge, SINT32 serviceId, UINT32) {
    if (serviceId != PANEL_SERVICE_PRE_INSTALL || !gauge) return;
    const int engine = EngineFromParameters(gauge->parameters);
    if (engine == 1) return;

    if (MOUSERECT* rect = gauge->mouse_rect) {
        for (; rect->rect_type != MOUSE_RECT_EOL; ++rect) {
            if (rect->rect_type == MOUSE_RECT_USER) {
                rect->help_id = EngineHelpId(rect->help_id, engine);
                rect->relative_box_pos.x = static_cast<SINT32>(
                    EngineHelpId(static_cast<UINT32>(rect->relative_box_pos.x), engine));
                rect->relative_box_pos.y = static_cast<SINT32>(
                    EngineHelpId(static_cast<UINT32>(rect->relative_box_pos.y), engine));
            } else if (rect->rect_type == MOUSE_RECT_CHILD) {
                rect->event_id = EngineKeyEvent(rect->event_id, engine);
            }
        }
    }
    if (gauge->elements_list && gauge->elements_list[0]) {
        MoveElementList(gauge->elements_list, engine, 0);
    }
}

SINT32 ParameterInteger(const char* text) {
    if (!text) return 0;
    while (*text == ' ' || (*text >= '\t' && *text <= '\r')) ++text;
    const bool negative = *text == '-';
    if (*text == '-' || *text == '+') ++text;
    // Counted past the 32-bit range only as far as needed to know it is past.
    constexpr std::int64_t beyond = std::int64_t{INT32_MAX} + 2;
    std::int64_t magnitude = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        magnitude = magnitude * 10 + (*text - '0');
        if (magnitude > beyond) magnitude = beyond;
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<SINT32>(value);
}
