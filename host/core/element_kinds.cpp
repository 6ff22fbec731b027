#include "host/core/element_kinds.h"

#include <algorithm>
#include <cmath>
#include <iomanip>
#include <iterator>
#include <sstream>

#include "host/core/element_math.h"
#include "host/core/module_code.h"

namespace panelhost {

namespace {

// Bounds on what a record may ask the host to copy.
constexpr int maxTableEntries = 1024;
constexpr UINT32 maxStringLength = 4096;

template <typename Record>
Record& As(ELEMENT_HEADER* header) {
    return *reinterpret_cast<Record*>(header);
}

template <typename Record>
ELEMENT_HEADER* CopyPlain(const ELEMENT_HEADER& source, RecordStore& store) {
    return &store.Keep(reinterpret_cast<const Record&>(source))->header;
}

void Refresh(const TokenStore& tokens, MODULE_VAR& var) {
    var.var_old = var.var_value;
    if (var.id != 0) var.var_value = tokens.Token(var.id);
}

// The value the element's routine returns, or its token's when it has none;
// 0 for an element failed to its zero.
template <typename Record, typename Callback>
double ValueOf(Record& record, Callback callback, const MODULE_VAR& var, bool zero) {
    if (zero) return 0.0;
    if (!callback) return var.var_value.n;
    const CodeRunning module(true);
    return callback(&record);
}

// A value that is not a finite number is drawn as 0: the host has no
// position or angle for it.
double Drawn(double value) { return std::isfinite(value) ? value : 0.0; }

bool HasY(const MODULE_VAR& var, const void* routine) { return var.id != 0 || routine != nullptr; }

std::string Values(const ElementState& s) { return " value " + FormatNumber(s.value); }
std::string Shift(const ElementState& s) {
    return " shift " + FormatNumber(s.shiftX) + ' ' + FormatNumber(s.shiftY);
}

// Elements with one source (needles, icons): its token, then its routine.
template <typename Record>
void ReadOne(const TokenStore& tokens, ElementState& state, bool zero) {
    auto& record = As<Record>(state.record);
    if (!zero) Refresh(tokens, record.source_var);
    state.value = ValueOf(record, record.update_cb, record.source_var, zero);
}

// Elements with x and y sources (sliders, moving images, sprites) read both
// tokens before either routine runs.
template <typename Record>
void ReadXY(const TokenStore& tokens, Record& record, ElementState& state, bool zero) {
    if (!zero) {
        Refresh(tokens, record.source_var_x);
        Refresh(tokens, record.source_var_y);
    }
    state.x = ValueOf(record, record.update_x_cb, record.source_var_x, zero);
    state.y = ValueOf(record, record.update_y_cb, record.source_var_y, zero);
}

// --- Needle: turns about its pivot to the angle its table gives the value.

ELEMENT_HEADER* CopyNeedle(const ELEMENT_HEADER& source, RecordStore& store) {
    auto* needle = store.Keep(reinterpret_cast<const ELEMENT_NEEDLE&>(source));
    const int size = needle->nonlinearity_table_size;
    if (needle->nonlinearity && size > 0) {
        needle->nonlinearity_table_size = std::min(size, maxTableEntries);
        needle->nonlinearity =
            store.KeepArray(needle->nonlinearity, static_cast<std::size_t>(needle->nonlinearity_table_size));
    } else {
        needle->nonlinearity = nullptr;
        needle->nonlinearity_table_size = 0;
    }
    return &needle->header;
}

// The table's degrees, from the needle's position to each entry's point.
void InstallNeedle(ElementState& state) {
    auto& needle = As<ELEMENT_NEEDLE>(state.record);
    FillNeedleDegrees(needle.header.position, needle.nonlinearity, needle.nonlinearity_table_size);
}

void ShowNeedle(ElementState& state) {
    auto& needle = As<ELEMENT_NEEDLE>(state.record);
    state.angle = NeedleAngle(Drawn(state.value), needle.nonlinearity, needle.nonlinearity_table_size);
    needle.save_value = state.value;
    needle.save_degrees = state.angle;
}

std::string DescribeNeedle(const ElementState& s) { return Values(s) + " angle " + FormatNumber(s.angle); }

// --- String: the text its routine leaves in the host's buffer.

ELEMENT_HEADER* CopyString(const ELEMENT_HEADER& source, RecordStore& store) {
    auto* string = store.Keep(reinterpret_cast<const ELEMENT_STRING&>(source));
    string->max_string_length = std::min(string->max_string_length, maxStringLength);
    string->string = store.NewArray<char>(string->max_string_length + 1);
    return &string->header;
}

void ReadString(const TokenStore& tokens, ElementState& state, bool zero) {
    auto& string = As<ELEMENT_STRING>(state.record);
    if (!zero) {
        for (MODULE_VAR& var : string.source_var) Refresh(tokens, var);
    }
    state.value = ValueOf(string, string.update_cb, string.source_var[0], zero);
}

// The routine may have filled the whole buffer: the host's last byte ends it.
void ShowString(ElementState& state) {
    auto& string = As<ELEMENT_STRING>(state.record);
    string.string[string.max_string_length] = '\0';
    state.text = string.string;
    string.save_value = state.value;
}

std::string DescribeString(const ElementState& s) { return Values(s) + " text \"" + s.text + '"'; }

// --- Slider: moved by value x scale pixels along each axis.

void ReadSlider(const TokenStore& tokens, ElementState& state, bool zero) {
    ReadXY(tokens, As<ELEMENT_SLIDER>(state.record), state, zero);
}

void ShowSlider(ElementState& state) {
    auto& slider = As<ELEMENT_SLIDER>(state.record);
    state.value = HasY(slider.source_var_y, reinterpret_cast<const void*>(slider.update_y_cb)) ? state.y : state.x;
    state.shiftX = Drawn(state.x) * slider.scale_x;
    state.shiftY = Drawn(state.y) * slider.scale_y;
    slider.save_x = state.x;
    slider.save_y = state.y;
}

std::string DescribeShift(const ElementState& s) { return Values(s) + Shift(s); }

// --- Icon: one of a row of bitmaps, picked by the value.

void ShowIcon(ElementState& state) {
    auto& icon = As<ELEMENT_ICON>(state.record);
    state.image = IconImage(state.value, icon.picture_count);
    icon.save_value = state.value;
}

std::string DescribeIcon(const ElementState& s) { return Values(s) + " image " + std::to_string(s.image); }

// --- Moving image: a strip behind a window, moved by the value's place
// between the record's minimum and maximum.

void ReadMovingImage(const TokenStore& tokens, ElementState& state, bool zero) {
    ReadXY(tokens, As<ELEMENT_MOVING_IMAGE>(state.record), state, zero);
}

void ShowMovingImage(ElementState& state) {
    auto& image = As<ELEMENT_MOVING_IMAGE>(state.record);
    state.value = HasY(image.source_var_y, reinterpret_cast<const void*>(image.update_y_cb)) ? state.y : state.x;
    state.shiftX = TravelFraction(state.x, image.min_x, image.max_x);
    state.shiftY = TravelFraction(state.y, image.min_y, image.max_y);
    image.save_x = state.x;
    image.save_y = state.y;
}

// --- Sprite: a texture moved and turned about its centre.

void ReadSprite(const TokenStore& tokens, ElementState& state, bool zero) {
    auto& sprite = As<ELEMENT_SPRITE>(state.record);
    if (!zero) Refresh(tokens, sprite.source_var_0);
    ReadXY(tokens, sprite, state, zero);
    state.rotationValue = ValueOf(sprite, sprite.update_0_cb, sprite.source_var_0, zero);
}

void ShowSprite(ElementState& state) {
    auto& sprite = As<ELEMENT_SPRITE>(state.record);
    state.value = state.rotationValue;
    state.shiftX = Drawn(state.x) * sprite.scale_x;
    state.shiftY = Drawn(state.y) * sprite.scale_y;
    state.rotation = Drawn(state.rotationValue) * sprite.scale_0;
    sprite.save_x = state.x;
    sprite.save_y = state.y;
    sprite.save_0 = state.rotationValue;
}

std::string DescribeSprite(const ElementState& s) {
    return Values(s) + Shift(s) + " rotation " + FormatNumber(s.rotation);
}

constexpr ElementKind elementKinds[] = {
    {.type = ELEMENT_TYPE_STATIC_IMAGE, .name = "static", .noun = "image",
     .copy = CopyPlain<ELEMENT_STATIC_IMAGE>, .install = nullptr, .read = nullptr, .show = nullptr,
     .describe = nullptr},
    {.type = ELEMENT_TYPE_NEEDLE, .name = "needle", .noun = "needle",
     .copy = CopyNeedle, .install = InstallNeedle, .read = ReadOne<ELEMENT_NEEDLE>, .show = ShowNeedle,
     .describe = DescribeNeedle},
    {.type = ELEMENT_TYPE_STRING, .name = "string", .noun = "string",
     .copy = CopyString, .install = nullptr, .read = ReadString, .show = ShowString,
     .describe = DescribeString},
    {.type = ELEMENT_TYPE_SLIDER, .name = "slider", .noun = "slider",
     .copy = CopyPlain<ELEMENT_SLIDER>, .install = nullptr, .read = ReadSlider, .show = ShowSlider,
     .describe = DescribeShift},
    {.type = ELEMENT_TYPE_ICON, .name = "icon", .noun = "icon",
     .copy = CopyPlain<ELEMENT_ICON>, .install = nullptr, .read = ReadOne<ELEMENT_ICON>, .show = ShowIcon,
     .describe = DescribeIcon},
    {.type = ELEMENT_TYPE_MOVING_IMAGE, .name = "moving", .noun = "moving image",
     .copy = CopyPlain<ELEMENT_MOVING_IMAGE>, .install = nullptr, .read = ReadMovingImage,
     .show = ShowMovingImage, .describe = DescribeShift},
    {.type = ELEMENT_TYPE_SPRITE, .name = "sprite", .noun = "sprite",
     .copy = CopyPlain<ELEMENT_SPRITE>, .install = nullptr, .read = ReadSprite, .show = ShowSprite,
     .describe = DescribeSprite},
};

// Kinds the host does not know: kept as they are (and drawn as static images).
constexpr ElementKind unknownKind = {
    .type = ~0u, .name = "unknown", .noun = "image", .copy = CopyPlain<ELEMENT_STATIC_IMAGE>,
    .install = nullptr, .read = nullptr, .show = nullptr, .describe = nullptr};

}  // namespace

const ElementKind& KindOf(UINT32 type) {
    for (const ElementKind& kind : elementKinds) {
        if (kind.type == type) return kind;
    }
    return unknownKind;
}

std::string DescribeElement(const ElementState& state) {
    const ElementKind& kind = KindOf(state.kind);
    if (state.hidden) return std::string(kind.name) + " hidden";
    return kind.name + (kind.describe ? kind.describe(state) : std::string{});
}

std::string FormatNumber(double value) {
    std::ostringstream out;
    out << std::setprecision(12) << value;
    return out.str();
}

}  // namespace panelhost
