#include "module/parameters.h"

#include <cstddef>
#include <cstring>

#include "module/tokens.h"

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

// A block of numbers that differ per engine: engine 1's numbers run from
// first up to engine 2's first, and each engine's lie one block further on.
// Names are the vocabulary's where the module uses the number itself.
struct EngineBlock {
    std::int64_t first;
    std::int64_t engine2First;
};

// clang-format off
constexpr EngineBlock tokenBlocks[] = {
    {127, 162},
    {tokenEngine1Rpm, tokenEngine2Rpm},
    {558, 568},
    {608, 609},
    {624, 643},
    {700, 708},
    {tokenHydraulicPressure, 734},
    {761, 763},
    {801, 802},
    {883, 884},
    {887, 888},
    {tokenEngine1MiddleButton, tokenEngine2MiddleButton},
    {tokenEngine1System, tokenEngine2System},
    {899, 900},
};

// A single event is a block of one.
constexpr EngineBlock keyEventBlocks[] = {
    {0x10002, 0x10003},
    {keyThrottle1Set, keyThrottle2Set},
    {keyPropeller1Set, keyPropeller2Set},
    {0x10183, 0x10184},
    {keyMagnetos1Off, keyMagnetos2Off},
    {0x101AB, 0x101B0},
    {0x101BF, 0x101C4},
    {keyPropeller1PitchReset, keyPropeller2PitchReset},
    {0x10221, 0x10224},
    {keyMagnetos1Down, keyMagnetos2Down},
    {keyEngine1LowerButton, keyEngine2LowerButton},
    {0x10309, 0x1030A},
    {0x10319, 0x1031B},
    {keyEngine1MiddleButton, keyEngine2MiddleButton},
    {0x10329, 0x1032A},
    {0x1032D, 0x1032E},
    {0x10337, 0x10338},
    {keyLeftGeneratorToggle, keyRightGeneratorToggle},
    {0x10360, 0x10361},
    {0x10374, 0x10377},
    {0x103B4, 0x103B5},
    {0x103B8, 0x103B9},
    {keyEngine1SystemToggle, keyEngine2SystemToggle},
    {keyPropeller1Feather, keyPropeller2Feather},
    {0x1044B, 0x1044C},
    {keyPropeller1PitchIncrease, 0x10451},
    {0x10455, 0x10456},
};

// Help ids that move by one per engine.
constexpr std::int64_t engineHelpIds[] = {
    12449, 12457, 12465, 12481, 12486, 12491, 12497, 12505, 12513, 12521, 12529,
    12537, 12545, 12553, 12689, 12697, 12705, 12713, 12737, 12742, 12747, 12753,
    12758, 12769, 12777, 12793, tooltipEngine1Rpm, 12851, 12945, 12960, 12968, 12977, 13016,
    13033, 13041, 13137, 13148, 13150, 13161, 13163, 13200, 13268,
};
// clang-format on

template <std::size_t N>
std::int64_t StepOf(const EngineBlock (&blocks)[N], std::int64_t value) {
    for (const EngineBlock& block : blocks) {
        if (value >= block.first && value < block.engine2First) return block.engine2First - block.first;
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

// The source tokens of each element kind, as places in its record; a static
// image has none.
struct KindTokens {
    UINT32 kind;
    std::size_t count;
    std::size_t offsets[3];
};

constexpr std::size_t tokenSize = sizeof(MODULE_VAR);

// clang-format off
constexpr KindTokens kindTokens[] = {
    {ELEMENT_TYPE_NEEDLE, 1, {offsetof(ELEMENT_NEEDLE, source_var)}},
    {ELEMENT_TYPE_ICON, 1, {offsetof(ELEMENT_ICON, source_var)}},
    {ELEMENT_TYPE_STRING, 3, {offsetof(ELEMENT_STRING, source_var), offsetof(ELEMENT_STRING, source_var) + tokenSize,
                              offsetof(ELEMENT_STRING, source_var) + 2 * tokenSize}},
    {ELEMENT_TYPE_SLIDER, 2, {offsetof(ELEMENT_SLIDER, source_var_x), offsetof(ELEMENT_SLIDER, source_var_y)}},
    {ELEMENT_TYPE_MOVING_IMAGE, 2, {offsetof(ELEMENT_MOVING_IMAGE, source_var_x),
                                    offsetof(ELEMENT_MOVING_IMAGE, source_var_y)}},
    {ELEMENT_TYPE_SPRITE, 3, {offsetof(ELEMENT_SPRITE, source_var_x), offsetof(ELEMENT_SPRITE, source_var_y),
                              offsetof(ELEMENT_SPRITE, source_var_0)}},
};
// clang-format on

void MoveElementTokens(ELEMENT_HEADER* element, int engine, int depth) {
    for (const KindTokens& kind : kindTokens) {
        if (kind.kind != element->element_type) continue;
        auto* record = reinterpret_cast<unsigned char*>(element);
        for (std::size_t i = 0; i < kind.count; ++i) {
            MoveToken(*reinterpret_cast<MODULE_VAR*>(record + kind.offsets[i]), engine);
        }
    }
    MoveElementList(element->next_element, engine, depth + 1);
}

}  // namespace

SINT32 EngineToken(SINT32 token, int engine) {
    const std::int64_t moved = token + (ClampEngine(engine) - 1) * StepOf(tokenBlocks, token);
    return static_cast<SINT32>(moved);
}

UINT32 EngineKeyEvent(UINT32 eventId, int engine) {
    const std::int64_t moved = eventId + (ClampEngine(engine) - 1) * StepOf(keyEventBlocks, eventId);
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
