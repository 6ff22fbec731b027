#include "host/renderer.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstring>
#include <fstream>
#include <numbers>

#include "host/element_kinds.h"
#include "host/panel_config.h"

namespace panelhost {

namespace {

void Put16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(std::uint8_t(value));
    out.push_back(std::uint8_t(value >> 8));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

}  // namespace

std::string NoDrawingReason() {
    return "this panelhost draws nothing: pictures are drawn with cairo by the native (Linux) build only";
}

bool EndsWithPng(const std::string& path) {
    if (path.size() < 4) return false;
    std::string end = path.substr(path.size() - 4);
    for (char& c : end) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return end == ".png";
}

std::vector<std::uint8_t> EncodeBmp(const Picture& picture) {
    const std::uint32_t stride = (std::uint32_t(picture.width) * 3 + 3) / 4 * 4;
    const std::uint32_t pixelBytes = stride * std::uint32_t(picture.height);
    std::vector<std::uint8_t> out;
    out.reserve(54 + pixelBytes);
    out.push_back('B');
    out.push_back('M');
    Put32(out, 54 + pixelBytes);
    Put32(out, 0);
    Put32(out, 54);
    Put32(out, 40);
    Put32(out, std::uint32_t(picture.width));
    Put32(out, std::uint32_t(picture.height));  // bottom-up
    Put16(out, 1);
    Put16(out, 24);
    Put32(out, 0);
    Put32(out, pixelBytes);
    Put32(out, 2835);  // 72 dots per inch
    Put32(out, 2835);
    Put32(out, 0);
    Put32(out, 0);
    for (int y = picture.height - 1; y >= 0; --y) {
        for (int x = 0; x < picture.width; ++x) {
            const Rgb& pixel = picture.At(x, y);
            out.push_back(pixel.b);
            out.push_back(pixel.g);
            out.push_back(pixel.r);
        }
        for (std::uint32_t pad = std::uint32_t(picture.width) * 3; pad < stride; ++pad) out.push_back(0);
    }
    return out;
}

const Picture* Canvas::Optional(std::optional<SINT32> id) { return id ? bitmaps.Find(*id) : nullptr; }

bool PreviewGauge(Host& host, const std::string& gauge, const std::optional<std::string>& params,
                  BitmapSource& bitmaps, Picture& picture, std::string* error, std::vector<std::string>* skipped,
                  Lighting lighting) {
    if (!DrawingBuilt()) {
        if (error) *error = NoDrawingReason();
        return false;
    }
    if (!host.Place(gauge, gauge, params, error)) return false;
    host.Connect();
    host.Frame();
    return RenderInstance(host, gauge, bitmaps, picture, error, skipped, lighting);
}

#if defined(QR_DRAWING)

namespace {

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

// Pixel centres lie at half pixels: a bitmap pixel (i, j) placed on the
// picture pixel (x, y) covers it exactly.
constexpr double centre = 0.5;

cairo_matrix_t Moved(double x, double y) {
    cairo_matrix_t m;
    cairo_matrix_init_translate(&m, x, y);
    return m;
}

// Turned clockwise by `degrees` (screen y down) about the pivot inside the
// bitmap, the pivot put on (x, y) of the picture; scaled about the pivot.
cairo_matrix_t Turned(double degrees, double x, double y, double pivotX, double pivotY, double scaleX = 1,
                      double scaleY = 1) {
    cairo_matrix_t m;
    cairo_matrix_init_translate(&m, x + centre, y + centre);
    cairo_matrix_rotate(&m, std::fmod(degrees, 360.0) * std::numbers::pi / 180.0);
    cairo_matrix_scale(&m, scaleX, scaleY);
    cairo_matrix_translate(&m, -(pivotX + centre), -(pivotY + centre));
    return m;
}

// Draws the bitmap as the element's flags say: black transparent, filtered,
// in the canvas's light.
void Paint(Canvas& canvas, const ELEMENT_HEADER& header, const Picture& bitmap, const cairo_matrix_t& placement) {
    const UINT32 flags = header.image_flags;
    cairo_surface_t* surface = canvas.surfaces.Get(bitmap, (flags & IMAGE_USE_TRANSPARENCY) != 0,
                                                   ElementLight(canvas.lighting, flags));
    PaintSurface(canvas.cr, surface, placement, (flags & IMAGE_BILINEAR_COLOR) != 0);
}

// Clips the canvas to a window box for the rest of the element.
class Clipped {
public:
    Clipped(cairo_t* cr, double x, double y, double w, double h) : cr_(cr) {
        cairo_save(cr_);
        cairo_rectangle(cr_, x, y, w, h);
        cairo_clip(cr_);
    }
    ~Clipped() { cairo_restore(cr_); }
    Clipped(const Clipped&) = delete;
    Clipped& operator=(const Clipped&) = delete;

private:
    cairo_t* cr_;
};

// Coordinates far outside any picture are held where cairo still computes
// them exactly; nothing drawn there shows.
double Held(double value) { return std::isfinite(value) ? std::clamp(value, -1e7, 1e7) : 0.0; }

}  // namespace

bool DrawingBuilt() { return true; }

const Picture* Canvas::Bitmap(const ElementState& state, std::optional<SINT32> id) {
    const Picture* bitmap = Optional(id);
    if (!bitmap && skipped) {
        skipped->push_back("element " + std::to_string(number) + " (" + KindOf(state.kind).noun + "): bitmap " +
                           (id ? std::to_string(*id) : std::string("out of range")) + " missing");
    }
    return bitmap;
}

// The bitmap at the element's position (static images, and kinds the host
// does not know).
void DrawStaticImage(Canvas& canvas, const ElementState& state) {
    const ELEMENT_HEADER& header = *state.record;
    if (const Picture* bitmap = canvas.Bitmap(state, header.resource_id)) {
        Paint(canvas, header, *bitmap, Moved(header.position.x, header.position.y));
    }
}

// Turned by the shown angle about its pivot, the pivot on the position.
void DrawNeedle(Canvas& canvas, const ElementState& state) {
    const ELEMENT_HEADER& header = *state.record;
    if (const Picture* bitmap = canvas.Bitmap(state, header.resource_id)) {
        Paint(canvas, header, *bitmap,
              Turned(Held(state.angle), header.position.x, header.position.y, header.ofs.x, header.ofs.y));
    }
}

void DrawSlider(Canvas& canvas, const ElementState& state) {
    const ELEMENT_HEADER& header = *state.record;
    if (const Picture* bitmap = canvas.Bitmap(state, header.resource_id)) {
        Paint(canvas, header, *bitmap,
              Moved(Held(header.position.x + state.shiftX), Held(header.position.y + state.shiftY)));
    }
}

// Bitmap id + the shown image; nothing for none.
void DrawIcon(Canvas& canvas, const ElementState& state) {
    if (state.image < 0) return;
    const ELEMENT_HEADER& header = *state.record;
    if (const Picture* bitmap = canvas.Bitmap(state, BitmapId(header.resource_id, state.image))) {
        Paint(canvas, header, *bitmap, Moved(header.position.x, header.position.y));
    }
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
    const Clipped clip(canvas.cr, x, y, windowW, windowH);
    Paint(canvas, header, *strip,
          Moved(x - fractionX * (strip->width - windowW), y - fractionY * (strip->height - windowH)));
}

// Turned about its centre (the offset inside the texture, drawn at position
// + offset + shift) and scaled by its texture scale; clipped to its window.
void DrawSprite(Canvas& canvas, const ElementState& state) {
    const ELEMENT_HEADER& header = *state.record;
    const Picture* texture = canvas.Bitmap(state, header.resource_id);
    if (!texture) return;
    const Picture* window = canvas.Optional(BitmapId(header.resource_id, 1));
    const auto& sprite = *reinterpret_cast<const ELEMENT_SPRITE*>(state.record);
    // A texture scale that is not a positive number leaves the texture as it is.
    const auto scale = [](FLOAT32 value) { return std::isfinite(value) && value > 0.01f ? double(value) : 1.0; };
    const PIXPOINT position = header.position, pivot = header.ofs;
    const cairo_matrix_t placement =
        Turned(Held(state.rotation), Held(position.x + state.shiftX + pivot.x),
               Held(position.y + state.shiftY + pivot.y), pivot.x, pivot.y, scale(sprite.texture_scale_x),
               scale(sprite.texture_scale_y));
    if (!window) return Paint(canvas, header, *texture, placement);
    const Clipped clip(canvas.cr, position.x, position.y, window->width, window->height);
    Paint(canvas, header, *texture, placement);
}

// The routine's text centred in the text box, in the element's face.
void DrawString(Canvas& canvas, const ElementState& state) {
    const auto& record = *reinterpret_cast<const ELEMENT_STRING*>(state.record);
    const UINT32 flags = record.header.image_flags;
    TextStyle style{.face = std::string(record.font_name, strnlen(record.font_name, sizeof record.font_name)),
                    .weight = record.font_weight > 0 ? record.font_weight : 400,
                    .foreground = record.fg_color,
                    .background = record.bg_color,
                    .transparentBlack = (flags & IMAGE_USE_TRANSPARENCY) != 0,
                    .light = ElementLight(canvas.lighting, flags)};
    DrawTextBox(canvas.cr, record.header.position.x, record.header.position.y, record.img_size.x,
                record.img_size.y, Utf8FromWindows1252(state.text), style);
}

SurfacePtr RenderInstanceCanvas(const Host& host, const std::string& alias, BitmapSource& bitmaps,
                                SurfaceCache& surfaces, Lighting lighting, std::string* error,
                                std::vector<std::string>* skipped) {
    if (!host.Has(alias)) {
        if (error) *error = "no gauge placed as " + alias;
        return nullptr;
    }
    const int count = host.ElementCount(alias);
    if (count == 0) {
        if (error) *error = alias + " has no elements";
        return nullptr;
    }
    const SINT32 backgroundId = host.Element(alias, 1).record->resource_id;
    const Picture* background = bitmaps.Find(backgroundId);
    SurfacePtr picture = background ? NewCanvas(background->width, background->height) : nullptr;
    if (!picture) {
        if (error) *error = alias + ": no usable background bitmap " + std::to_string(backgroundId);
        return nullptr;
    }
    cairo_t* cr = cairo_create(picture.get());
    Canvas canvas(cr, bitmaps, surfaces, lighting, skipped);
    for (int number = 1; number <= count; ++number) {
        const ElementState& state = host.Element(alias, number);
        if (state.hidden || !KindOf(state.kind).draw) continue;
        canvas.number = number;
        KindOf(state.kind).draw(canvas, state);
    }
    cairo_destroy(cr);
    return picture;
}

bool RenderInstance(const Host& host, const std::string& alias, BitmapSource& bitmaps, Picture& picture,
                    std::string* error, std::vector<std::string>* skipped, Lighting lighting) {
    SurfaceCache surfaces;
    const SurfacePtr canvas = RenderInstanceCanvas(host, alias, bitmaps, surfaces, lighting, error, skipped);
    if (!canvas) return false;
    picture = PictureFromCanvas(canvas.get());
    return true;
}

bool WritePicture(const Picture& picture, const std::string& path, std::string* error) {
    if (EndsWithPng(path)) {
        const SurfacePtr canvas = CanvasFromPicture(picture);
        return WritePngFile(canvas.get(), path, error);
    }
    const std::vector<std::uint8_t> bytes = EncodeBmp(picture);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (file) file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!file) {
        if (error) *error = "cannot write " + path;
        return false;
    }
    return true;
}

#else  // a host without drawing

bool DrawingBuilt() { return false; }

const Picture* Canvas::Bitmap(const ElementState&, std::optional<SINT32> id) { return Optional(id); }
void DrawStaticImage(Canvas&, const ElementState&) {}
void DrawNeedle(Canvas&, const ElementState&) {}
void DrawSlider(Canvas&, const ElementState&) {}
void DrawIcon(Canvas&, const ElementState&) {}
void DrawMovingImage(Canvas&, const ElementState&) {}
void DrawSprite(Canvas&, const ElementState&) {}
void DrawString(Canvas&, const ElementState&) {}

bool RenderInstance(const Host&, const std::string&, BitmapSource&, Picture&, std::string* error,
                    std::vector<std::string>*, Lighting) {
    if (error) *error = NoDrawingReason();
    return false;
}

bool WritePicture(const Picture&, const std::string&, std::string* error) {
    if (error) *error = NoDrawingReason();
    return false;
}

#endif

}  // namespace panelhost
