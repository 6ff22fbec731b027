#include "host/picture/gauge_canvas.h"

#include <climits>
#include <cmath>
#include <cstring>

#include "host/core/element_kinds.h"
#include "host/core/messages.h"
#include "host/core/panel_host.h"
#include "host/panel/panel_config.h"  // Utf8FromWindows1252

namespace panelhost {

namespace {

// --- Element kinds -----------------------------------------------------------

// A moving image without a window bitmap shows this part of its strip along
// the axis it travels: one cell of a drum holding 0 to 9 and a second 0.
constexpr int stripCellsWithoutWindow = 11;

// Resource id plus a count, or nothing when it leaves the 32-bit range.
std::optional<SINT32> BitmapId(SINT32 id, long long add) {
    const long long sum = static_cast<long long>(id) + add;
    if (id < 0 || sum < 0 || sum > INT32_MAX) return std::nullopt;
    return static_cast<SINT32>(sum);
}

bool HasSource(const MODULE_VAR& var, const void* routine) { return var.id != 0 || routine != nullptr; }

}  // namespace

// --- The element kinds' draw routines ----------------------------------------

const Picture* Canvas::Optional(std::optional<SINT32> id) { return id ? bitmaps.Find(*id) : nullptr; }

const Picture* Canvas::Bitmap(const ElementState& state, std::optional<SINT32> id) {
    const Picture* bitmap = Optional(id);
    if (!bitmap && skipped_) {
        skipped_->push_back("element " + std::to_string(number) + " (" + KindOf(state.kind).noun + "): bitmap " +
                            (id ? std::to_string(*id) : std::string("out of range")) + " missing");
    }
    return bitmap;
}

void Canvas::AddBitmap(const ELEMENT_HEADER& header, SINT32 id, const Placement& placement, const ClipBox* window,
                       bool wrap) {
    const ClipBox box = window ? Overlap(clip, Through(toWindow, *window)) : clip;
    if (Empty(box)) return;
    const UINT32 flags = header.image_flags;
    // A gauge scaled into its box is filtered whatever its flags: the nearest
    // pixel of a scaled picture leaves ragged edges.
    const bool scaled = toWindow.xx != 1 || toWindow.yy != 1;
    items_.push_back(PaintItem{.kind = PaintKind::Bitmap, .clip = box, .light = ElementLight(lighting, flags),
                               .bitmap = id, .placement = Then(placement, toWindow),
                               .blackTransparent = (flags & IMAGE_USE_TRANSPARENCY) != 0,
                               .bilinear = scaled || (flags & IMAGE_BILINEAR_COLOR) != 0, .wrap = wrap, .alias = alias,
                               .element = number});
}

void Canvas::AddText(const ELEMENT_HEADER& header, const ClipBox& box, std::string utf8, std::string face,
                     int weight, UINT32 foreground, UINT32 background) {
    const ClipBox placed = Through(toWindow, box);
    const ClipBox shown = Overlap(clip, placed);
    if (Empty(shown)) return;
    const bool clear = (header.image_flags & IMAGE_USE_TRANSPARENCY) && (background & 0xFFFFFF) == 0;
    items_.push_back(PaintItem{.kind = PaintKind::Text, .clip = shown,
                               .light = ElementLight(lighting, header.image_flags), .box = placed,
                               .text = std::move(utf8), .face = std::move(face), .weight = weight,
                               .foreground = RgbOf(foreground), .backgroundColour = RgbOf(background),
                               .transparentBackground = clear, .alias = alias, .element = number});
}

namespace {

// The bitmap at the element's position (static images, and kinds the host
// does not know).
void DrawStaticImage(Canvas& canvas, const ElementState& state) {
    const ELEMENT_HEADER& header = *state.record;
    if (canvas.Bitmap(state, header.resource_id)) {
        canvas.AddBitmap(header, header.resource_id, Moved(header.position.x, header.position.y));
    }
}

// Turned by the shown angle about its pivot, the pivot on the position.
void DrawNeedle(Canvas& canvas, const ElementState& state) {
    const ELEMENT_HEADER& header = *state.record;
    if (canvas.Bitmap(state, header.resource_id)) {
        canvas.AddBitmap(header, header.resource_id,
                         Turned(HeldInDrawingRange(state.angle), header.position.x, header.position.y, header.ofs.x,
                                header.ofs.y));
    }
}

void DrawSlider(Canvas& canvas, const ElementState& state) {
    const ELEMENT_HEADER& header = *state.record;
    if (canvas.Bitmap(state, header.resource_id)) {
        canvas.AddBitmap(header, header.resource_id,
                         Moved(HeldInDrawingRange(header.position.x + state.shiftX),
                               HeldInDrawingRange(header.position.y + state.shiftY)));
    }
}

// Bitmap id + the shown image; nothing for none.
void DrawIcon(Canvas& canvas, const ElementState& state) {
    if (state.image < 0) return;
    const ELEMENT_HEADER& header = *state.record;
    const std::optional<SINT32> id = BitmapId(header.resource_id, state.image);
    if (canvas.Bitmap(state, id)) canvas.AddBitmap(header, *id, Moved(header.position.x, header.position.y));
}

// The strip behind its window, moved by the shown fraction of its travel.
void DrawMovingImage(Canvas& canvas, const ElementState& state) {
    const ELEMENT_HEADER& header = *state.record;
    const Picture* strip = canvas.Bitmap(state, header.resource_id);
    if (!strip) return;
    const Picture* window = canvas.Optional(BitmapId(header.resource_id, 1));
    const auto& image = *reinterpret_cast<const ELEMENT_MOVING_IMAGE*>(state.record);
    const bool movesX = HasSource(image.source_var_x, reinterpret_cast<const void*>(image.update_x_cb));
    const bool movesY = HasSource(image.source_var_y, reinterpret_cast<const void*>(image.update_y_cb));
    const auto windowSide = [](int stripSide, bool moves, int windowSide) {
        if (windowSide > 0) return std::min(windowSide, stripSide);
        return moves ? std::max(1, stripSide / stripCellsWithoutWindow) : stripSide;
    };
    const int windowW = windowSide(strip->width, movesX, window ? window->width : 0);
    const int windowH = windowSide(strip->height, movesY, window ? window->height : 0);
    const double fractionX = movesX && std::isfinite(state.shiftX) ? std::clamp(state.shiftX, 0.0, 1.0) : 0.0;
    const double fractionY = movesY && std::isfinite(state.shiftY) ? std::clamp(state.shiftY, 0.0, 1.0) : 0.0;
    const double x = header.position.x, y = header.position.y;
    const ClipBox shown{x, y, double(windowW), double(windowH)};
    canvas.AddBitmap(header, header.resource_id,
                     Moved(x - fractionX * (strip->width - windowW), y - fractionY * (strip->height - windowH)), &shown);
}

// Turned about its centre (the offset, a point of the gauge, moved by the
// shift) and scaled by its texture scale; clipped to its window.
// A sprite is a texture: with a window, the window is filled from the
// texture, and where the window reaches past the texture's edges the texture
// wraps round, as graphics hardware samples a texture unless told otherwise.
// That is what lets a horizon card narrower than its opening fill it at any
// bank: no artwork within the card's 190 pixels could reach the far side of
// an opening 200 across once the card is turned. Without a window only the
// texture's own rectangle is drawn.
void DrawSprite(Canvas& canvas, const ElementState& state) {
    const ELEMENT_HEADER& header = *state.record;
    if (!canvas.Bitmap(state, header.resource_id)) return;
    const Picture* window = canvas.Optional(BitmapId(header.resource_id, 1));
    const auto& sprite = *reinterpret_cast<const ELEMENT_SPRITE*>(state.record);
    // A texture scale that is not a positive number leaves the texture as it is.
    const auto scale = [](FLOAT32 value) { return std::isfinite(value) && value > 0.01f ? double(value) : 1.0; };
    // The centre of rotation is a point of the gauge, as the instruments' own
    // hands and dials are placed: the compass card turns under its heading
    // bug, the minute ring about the clock's hands, the band card about the
    // frequency disc. The texture lies at the element's position, so inside
    // it the centre is offset - position.
    const PIXPOINT position = header.position, centre = header.ofs;
    const Placement placement =
        Turned(HeldInDrawingRange(state.rotation), HeldInDrawingRange(centre.x + state.shiftX),
               HeldInDrawingRange(centre.y + state.shiftY), double(centre.x) - position.x,
               double(centre.y) - position.y, scale(sprite.texture_scale_x), scale(sprite.texture_scale_y));
    if (!window) return canvas.AddBitmap(header, header.resource_id, placement);
    const ClipBox shown{double(position.x), double(position.y), double(window->width), double(window->height)};
    canvas.AddBitmap(header, header.resource_id, placement, &shown, true);
}

// The routine's text centred in the text box, in the element's face.
void DrawString(Canvas& canvas, const ElementState& state) {
    const auto& record = *reinterpret_cast<const ELEMENT_STRING*>(state.record);
    const ClipBox box{double(record.header.position.x), double(record.header.position.y), double(record.img_size.x),
                      double(record.img_size.y)};
    canvas.AddText(record.header, box, Utf8FromWindows1252(state.text),
                   std::string(record.font_name, strnlen(record.font_name, sizeof record.font_name)),
                   record.font_weight > 0 ? record.font_weight : 400, record.fg_color, record.bg_color);
}

struct ElementDrawing {
    UINT32 type;
    void (*draw)(Canvas& canvas, const ElementState& state);
};

// How each kind of element goes on the picture. A kind the host does not
// know is drawn as a static image: its bitmap at its position.
constexpr ElementDrawing elementDrawings[] = {
    {ELEMENT_TYPE_STATIC_IMAGE, DrawStaticImage}, {ELEMENT_TYPE_NEEDLE, DrawNeedle},
    {ELEMENT_TYPE_STRING, DrawString},            {ELEMENT_TYPE_SLIDER, DrawSlider},
    {ELEMENT_TYPE_ICON, DrawIcon},                {ELEMENT_TYPE_MOVING_IMAGE, DrawMovingImage},
    {ELEMENT_TYPE_SPRITE, DrawSprite},
};

void DrawElement(Canvas& canvas, const ElementState& state) {
    for (const ElementDrawing& drawing : elementDrawings) {
        if (drawing.type == state.kind) return drawing.draw(canvas, state);
    }
    DrawStaticImage(canvas, state);
}

}  // namespace

bool AddGaugeItems(const Host& host, const std::string& alias, Canvas& canvas, std::string* error,
                   std::span<const ElementState> posed) {
    const std::span<const ElementState> elements = posed.empty() ? host.Elements(alias) : posed;
    if (elements.empty()) {
        if (error) *error = host.Has(alias) ? Quoted(alias) + " has no elements" : "no gauge placed as " + Quoted(alias);
        return false;
    }
    if (Empty(canvas.clip)) return true;
    canvas.alias = alias;
    for (std::size_t i = 0; i < elements.size(); ++i) {
        const ElementState& state = elements[i];
        if (state.hidden) continue;
        canvas.number = int(i + 1);
        DrawElement(canvas, state);
    }
    return true;
}

WindowList ComputeGaugeList(const Host& host, const std::string& alias, BitmapSource& bitmaps,
                            const LightingScheme& lighting, std::string* error, std::vector<std::string>* skipped,
                            std::span<const ElementState> posed) {
    WindowList list{.section = alias, .width = 0, .height = 0, .items = {}};
    if (!host.Has(alias) || host.ElementCount(alias) == 0) {
        if (error) *error = host.Has(alias) ? Quoted(alias) + " has no elements" : "no gauge placed as " + Quoted(alias);
        return list;
    }
    const SINT32 backgroundId = host.Element(alias, 1).record->resource_id;
    const Picture* background = bitmaps.Find(backgroundId);
    if (!background) {
        if (error) *error = alias + ": no usable background bitmap " + std::to_string(backgroundId);
        return list;
    }
    Canvas canvas(bitmaps, lighting, list.items, skipped);
    canvas.clip = ClipBox{0, 0, double(background->width), double(background->height)};
    AddGaugeItems(host, alias, canvas, error, posed);
    list.width = background->width;
    list.height = background->height;
    return list;
}

}  // namespace panelhost
