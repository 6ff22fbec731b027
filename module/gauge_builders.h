// Small builders that let gauge sources read like the tables that define them.
#pragma once

#include <cstddef>

#include "module/gauge_records.h"
#include "module/tokens.h"

// Mouse rectangle entries, in list order. Every entry has every field set,
// so that the records read the same whatever the host leaves in them.
constexpr MOUSERECT MouseEntry(UINT32 type, PIXPOINT position, PIXPOINT size, SINT32 cursor, UINT32 helpId,
                               UINT32 mouseFlags, UINT32 eventId, MOUSE_TARGET function) {
    return MOUSERECT{.rect_type = type, .relative_box_pos = position, .relative_box_size = size,
                     .cursor = cursor, .help_id = helpId, .mouse_flags = mouseFlags, .event_id = eventId,
                     .mouse_function = function, .api_data = 0};
}

// A group of areas, with the help text shown over all of them.
constexpr MOUSERECT MouseParent(SINT32 x, SINT32 y, SINT32 w, SINT32 h, UINT32 helpId = 0,
                                SINT32 cursor = CURSOR_NONE) {
    return MouseEntry(MOUSE_RECT_PARENT, {x, y}, {w, h}, cursor, helpId, MOUSE_NONE, 0, nullptr);
}

// A group over the whole gauge.
constexpr MOUSERECT MouseGauge(UINT32 helpId = 0) { return MouseParent(0, 0, 0, 0, helpId); }

// A clickable area whose key event the host sends itself (value 0).
constexpr MOUSERECT MouseEvent(SINT32 x, SINT32 y, SINT32 w, SINT32 h, SINT32 cursor,
                               UINT32 mouseFlags, UINT32 eventId) {
    return MouseEntry(MOUSE_RECT_CHILD, {x, y}, {w, h}, cursor, 0, mouseFlags, eventId, nullptr);
}

// A clickable area handled by a mouse routine.
constexpr MOUSERECT MouseRoutine(SINT32 x, SINT32 y, SINT32 w, SINT32 h, SINT32 cursor,
                                 UINT32 mouseFlags, MOUSE_FUNCTION routine) {
    return MouseEntry(MOUSE_RECT_CHILD, {x, y}, {w, h}, cursor, 0, mouseFlags, 0, routine);
}

// Tooltip of the current group naming one of the host's tooltip texts.
constexpr MOUSERECT MouseTooltipId(UINT32 helpId) {
    return MouseEntry(MOUSE_RECT_USER, {0, 0}, {0, 0}, CURSOR_NONE, helpId, MOUSE_NONE, 0, nullptr);
}

// Tooltip of the current group with a text of its own, kept in the routine field.
constexpr MOUSERECT MouseTooltipText(const char* text) {
    MOUSERECT rect = MouseTooltipId(0);
    rect.mouse_function = MOUSE_TARGET(text);
    return rect;
}

// The text of a tooltip entry that carries one.
inline const char* TooltipText(const MOUSERECT& rect) {
    return rect.rect_type == MOUSE_RECT_USER ? rect.mouse_function.text : nullptr;
}

constexpr MOUSERECT MouseEndParent() { return MOUSERECT{.rect_type = MOUSE_RECT_END_PARENT}; }
constexpr MOUSERECT MouseEnd() { return MOUSERECT{.rect_type = MOUSE_RECT_EOL}; }

// A token with only its number set, as element records and lookups carry it.
constexpr MODULE_VAR Token(SINT32 id) { return MODULE_VAR{.id = id}; }

// The common part of an element record.
constexpr ELEMENT_HEADER ElementHeader(UINT32 kind, SINT32 bitmap, PIXPOINT position,
                                       GAUGEHDR* gauge, ELEMENT_HEADER** next,
                                       UINT32 imageFlags, FAILURE_RECORD* failures = nullptr,
                                       PIXPOINT offset = {0, 0}) {
    return ELEMENT_HEADER{.element_type = kind,
                          .resource_id = bitmap,
                          .position = position,
                          .previous_position = {0, 0},
                          .ofs = offset,
                          .gauge_header = gauge,
                          .previous_element = nullptr,
                          .next_element = next,
                          .failure_systems = failures,
                          .image_flags = imageFlags,
                          .aircraft_special_instrumentation = 0,
                          .reserved = 0};
}

// A gauge header: the name the panel configuration uses, its element list,
// default width and mouse list, and its gauge routine if it has one.
constexpr GAUGEHDR GaugeHeader(const char* name, ELEMENT_HEADER** elements, UINT32 sizeMm,
                               MOUSERECT* mouse, GAUGE_CALLBACK routine = nullptr) {
    return GAUGEHDR{.gauge_header_version = GAUGEHDR_VERSION,
                    .gauge_name = name,
                    .elements_list = elements,
                    .size_x_mm = sizeMm,
                    .mouse_rect = mouse,
                    .gauge_callback = routine};
}

// A static image: a dial, plate, cover or bezel drawn where it stands.
constexpr ELEMENT_STATIC_IMAGE StaticImage(SINT32 bitmap, GAUGEHDR* gauge, ELEMENT_HEADER** next,
                                           UINT32 imageFlags, PIXPOINT position = {0, 0},
                                           FAILURE_RECORD* failures = nullptr) {
    return ELEMENT_STATIC_IMAGE{
        .header = ElementHeader(ELEMENT_TYPE_STATIC_IMAGE, bitmap, position, gauge, next, imageFlags, failures)};
}

// A next list: the elements drawn over one element, in drawing order, or the
// element list of a gauge drawn from one face.
template <auto&... Elements>
inline ELEMENT_HEADER* listOf[] = {&Elements.header..., nullptr};

// A scale table and its length, taken from the table itself.
struct NeedleScale {
    NONLINEARITY* points{};
    SINT32 count{};

    constexpr NeedleScale() = default;
    template <std::size_t N>
    constexpr NeedleScale(NONLINEARITY (&table)[N]) : points(table), count(static_cast<SINT32>(N)) {}
};

// A needle turning about position through its scale table (none: its value
// is its angle); pivot is the turning point inside its bitmap.
constexpr ELEMENT_NEEDLE Needle(SINT32 bitmap, PIXPOINT position, PIXPOINT pivot, GAUGEHDR* gauge,
                                ELEMENT_HEADER** next, UINT32 imageFlags,
                                FAILURE_RECORD* failures, SimToken token, NeedleScale scale,
                                NEEDLE_UPDATE_CALLBACK value = nullptr) {
    return ELEMENT_NEEDLE{
        .header = ElementHeader(ELEMENT_TYPE_NEEDLE, bitmap, position, gauge, next, imageFlags,
                                failures, pivot),
        .source_var = Token(token),
        .nonlinearity = scale.points,
        .nonlinearity_table_size = scale.count,
        .max_degrees_per_tick = 0,
        .update_cb = value,
    };
}

// An icon showing one of its pictures (bitmap, bitmap + 1, ...) by its value;
// -1 shows none.
constexpr ELEMENT_ICON Icon(SINT32 bitmap, PIXPOINT position, GAUGEHDR* gauge,
                            ELEMENT_HEADER** next, UINT32 imageFlags, SimToken token,
                            SINT32 pictures, ICON_UPDATE_CALLBACK value,
                            FAILURE_RECORD* failures = nullptr, FLOAT64 scale = 1.0) {
    return ELEMENT_ICON{
        .header = ElementHeader(ELEMENT_TYPE_ICON, bitmap, position, gauge, next, imageFlags,
                                failures),
        .source_var = Token(token),
        .scale = scale,
        .picture_count = pictures,
        .update_cb = value,
    };
}

// The row of a gauge in its family's table (rows name their gauge in a
// field `gauge`); the table's size when the gauge has none, which a family
// turns into a build error with a static_assert.
template <typename Row, std::size_t N>
constexpr std::size_t GaugeRowIndex(const Row (&rows)[N], const GAUGEHDR* gauge) {
    for (std::size_t i = 0; i < N; ++i) {
        if (rows[i].gauge == gauge) return i;
    }
    return N;
}

// One axis of a slider's or sprite's motion: the token it follows, the
// pixels (or degrees) per unit, and the routine that gives the value, if
// any. An axis left empty does not move.
template <typename Callback>
struct ScaledAxis {
    SimToken token{};
    FLOAT64 scale{};
    Callback value{};
};
using SliderAxis = ScaledAxis<SLIDER_UPDATE_CALLBACK>;
using SpriteAxis = ScaledAxis<SPRITE_UPDATE_CALLBACK>;

// A sprite: its texture shifted along x and y and turned about its centre
// (the offset inside the texture) by the rotation, scaled by the texture scale.
constexpr ELEMENT_SPRITE Sprite(SINT32 bitmap, PIXPOINT position, PIXPOINT centre,
                                GAUGEHDR* gauge, ELEMENT_HEADER** next, UINT32 imageFlags,
                                FAILURE_RECORD* failures, SpriteAxis x, SpriteAxis y,
                                SpriteAxis rotation, FLOAT32 textureScaleX,
                                FLOAT32 textureScaleY) {
    return ELEMENT_SPRITE{
        .header = ElementHeader(ELEMENT_TYPE_SPRITE, bitmap, position, gauge, next, imageFlags,
                                failures, centre),
        .source_var_x = Token(x.token),
        .scale_x = x.scale,
        .source_var_y = Token(y.token),
        .scale_y = y.scale,
        .source_var_0 = Token(rotation.token),
        .scale_0 = rotation.scale,
        .texture_scale_x = textureScaleX,
        .texture_scale_y = textureScaleY,
        .update_x_cb = x.value,
        .update_y_cb = y.value,
        .update_0_cb = rotation.value,
    };
}

// One axis of a moving image's travel: the token it follows, the values
// that put the image at either end of its window, and the routine that gives
// the value, if any. An axis left empty does not move.
struct MovingAxis {
    SimToken token{};
    FLOAT64 min{};
    FLOAT64 max{};
    MOVING_IMAGE_UPDATE_CALLBACK value{};
};

// A moving image: a drum or strip shifted across its window along x and y.
constexpr ELEMENT_MOVING_IMAGE MovingImage(SINT32 bitmap, PIXPOINT position, GAUGEHDR* gauge,
                                           ELEMENT_HEADER** next, UINT32 imageFlags,
                                           FAILURE_RECORD* failures, MovingAxis x, MovingAxis y) {
    return ELEMENT_MOVING_IMAGE{
        .header = ElementHeader(ELEMENT_TYPE_MOVING_IMAGE, bitmap, position, gauge, next, imageFlags,
                                failures),
        .source_var_x = Token(x.token),
        .min_x = x.min,
        .max_x = x.max,
        .source_var_y = Token(y.token),
        .min_y = y.min,
        .max_y = y.max,
        .update_x_cb = x.value,
        .update_y_cb = y.value,
    };
}

// A slider: a lever, ball or bar shifted from where it stands along x and y.
constexpr ELEMENT_SLIDER Slider(SINT32 bitmap, PIXPOINT position, GAUGEHDR* gauge, ELEMENT_HEADER** next,
                                UINT32 imageFlags, FAILURE_RECORD* failures, SliderAxis x, SliderAxis y) {
    return ELEMENT_SLIDER{
        .header = ElementHeader(ELEMENT_TYPE_SLIDER, bitmap, position, gauge, next, imageFlags, failures),
        .source_var_x = Token(x.token),
        .scale_x = x.scale,
        .source_var_y = Token(y.token),
        .scale_y = y.scale,
        .update_x_cb = x.value,
        .update_y_cb = y.value,
    };
}

// Windows text of the frequency, course and registration windows: centred
// horizontally and vertically on a single line, in the Western character set.
constexpr UINT32 windowTextFlags = 0x25;
constexpr UINT32 windowCharset = 1;

// The look of a text window.
struct TextLook {
    PIXPOINT box{};          // text box, pixels
    UINT32 characters{};     // what the host's buffer holds, less its terminator
    UINT32 foreground{}, background{}, highlight{};
    const char* font{};
    SINT32 weight{};
};

// Up to two source tokens a text window carries for its routine.
struct TextTokens {
    SimToken first{};
    SimToken second{};
};

// A text window: its tokens, its look and the routine that writes its text.
// A face name longer than the record holds is cut, keeping its terminator.
constexpr ELEMENT_STRING String(PIXPOINT position, GAUGEHDR* gauge, ELEMENT_HEADER** next, UINT32 imageFlags,
                                FAILURE_RECORD* failures, TextTokens tokens, const TextLook& look,
                                STRING_UPDATE_CALLBACK text) {
    ELEMENT_STRING window{
        .header = ElementHeader(ELEMENT_TYPE_STRING, -1, position, gauge, next, imageFlags, failures),
        .source_var = {Token(tokens.first), Token(tokens.second), Token(tokenNone)},
        .img_size = look.box,
        .fg_color = look.foreground,
        .bg_color = look.background,
        .hilite_color = look.highlight,
        .font_weight = look.weight,
        .font_charset = windowCharset,
        .draw_text_flags = windowTextFlags,
        .max_string_length = look.characters,
        .update_cb = text,
    };
    for (std::size_t i = 0; look.font && look.font[i] && i + 1 < FONT_FACE_SIZE; ++i) {
        window.font_name[i] = look.font[i];
    }
    return window;
}

// Reaches an element's full record from its common part.
template <typename Record>
Record* ElementAs(ELEMENT_HEADER* element) {
    return reinterpret_cast<Record*>(element);
}
