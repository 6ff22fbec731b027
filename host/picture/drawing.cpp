#include "host/picture/drawing.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>
#include <pango/pangofc-fontmap.h>

#include "host/picture/fonts_conf.h"  // fontsConf: host/fonts.conf, embedded at build time
#include "host/picture/painter.h"

namespace panelhost {

namespace {

struct SurfaceDeleter {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
using SurfacePtr = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;

// One fontconfig set-up for the process: the machine's, plus the project's
// substitutions; and the pango font map that uses it.
struct Fonts {
    FcConfig* config{};
    PangoFontMap* map{};

    Fonts() {
        config = FcInitLoadConfigAndFonts();
        if (config) {
            FcConfigParseAndLoadFromMemory(config, reinterpret_cast<const FcChar8*>(fontsConf), FcTrue);
        }
        map = pango_cairo_font_map_new_for_font_type(CAIRO_FONT_TYPE_FT);
        if (map && config && PANGO_IS_FC_FONT_MAP(map)) pango_fc_font_map_set_config(PANGO_FC_FONT_MAP(map), config);
    }
};

Fonts& TheFonts() {
    static Fonts fonts;
    return fonts;
}

void SetColour(cairo_t* cr, std::uint32_t rgb, const Light& light, double alpha = 1) {
    const Rgb lit = LitColour(rgb, light);
    cairo_set_source_rgba(cr, lit.r / 255.0, lit.g / 255.0, lit.b / 255.0, std::clamp(alpha, 0.0, 1.0));
}

// An empty (transparent) ARGB surface; null when cairo cannot make one.
SurfacePtr NewSurface(int width, int height) {
    if (width <= 0 || height <= 0) return nullptr;
    SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
    return surface;
}

SurfacePtr SurfaceOf(const Picture& picture, bool blackTransparent, const Light& light) {
    SurfacePtr surface = NewSurface(picture.width, picture.height);
    if (!surface) return nullptr;
    cairo_surface_flush(surface.get());
    unsigned char* data = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    for (int y = 0; y < picture.height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + std::ptrdiff_t(y) * stride);
        for (int x = 0; x < picture.width; ++x) row[x] = PaintedPixel(picture.At(x, y), blackTransparent, light);
    }
    cairo_surface_mark_dirty(surface.get());
    return surface;
}

void PaintSurface(cairo_t* cr, cairo_surface_t* surface, const Placement& placement, bool bilinear, bool wrap) {
    if (!surface || !Paintable(placement)) return;
    const cairo_matrix_t matrix{placement.xx, placement.yx, placement.xy, placement.yy, placement.x0, placement.y0};
    cairo_save(cr);
    cairo_transform(cr, &matrix);
    cairo_set_source_surface(cr, surface, 0, 0);
    const cairo_filter_t smooth = AveragedWhenShrunk(placement) ? CAIRO_FILTER_GOOD : CAIRO_FILTER_BILINEAR;
    cairo_pattern_set_filter(cairo_get_source(cr), bilinear ? smooth : CAIRO_FILTER_NEAREST);
    cairo_pattern_set_extend(cairo_get_source(cr), wrap ? CAIRO_EXTEND_REPEAT : CAIRO_EXTEND_NONE);
    if (wrap) {
        cairo_paint(cr);
    } else {
        cairo_rectangle(cr, 0, 0, cairo_image_surface_get_width(surface), cairo_image_surface_get_height(surface));
        cairo_fill(cr);
    }
    cairo_restore(cr);
}

void PaintText(cairo_t* cr, const PaintItem& item) {
    const ClipBox& box = item.box;
    if (!(box.w > 0 && box.h > 0)) return;
    cairo_save(cr);
    cairo_rectangle(cr, box.x, box.y, box.w, box.h);
    cairo_clip(cr);
    if (!item.transparentBackground) {
        SetColour(cr, item.backgroundColour, item.light);
        cairo_paint(cr);
    }
    if (!item.text.empty() && TheFonts().map) {
        PangoContext* context = pango_font_map_create_context(TheFonts().map);
        cairo_font_options_t* options = cairo_font_options_create();
        // Outlines as designed, not hinted to this machine: pictures stay the
        // same from one machine to the next.
        cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
        cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
        pango_cairo_context_set_font_options(context, options);
        cairo_font_options_destroy(options);
        pango_cairo_update_context(cr, context);

        PangoLayout* layout = pango_layout_new(context);
        pango_layout_set_text(layout, item.text.data(), int(item.text.size()));
        pango_layout_set_single_paragraph_mode(layout, TRUE);
        PangoFontDescription* font = pango_font_description_new();
        pango_font_description_set_family(font, item.face.empty() ? defaultTextFace : item.face.c_str());
        pango_font_description_set_weight(font, PangoWeight(std::clamp(item.weight, 100, 1000)));
        PangoRectangle ink, logical;
        const auto setAt = [&](double size) {
            pango_font_description_set_absolute_size(font, size * PANGO_SCALE);
            pango_layout_set_font_description(layout, font);
            pango_layout_get_extents(layout, &ink, &logical);
            return double(logical.width) / PANGO_SCALE;
        };
        setAt(FittedTextSize(box.w, box.h, setAt));
        double x = 0, y = 0;
        CentredTextOrigin(box,
                          TextExtents{.logicalX = double(logical.x) / PANGO_SCALE,
                                      .logicalWidth = double(logical.width) / PANGO_SCALE,
                                      .inkY = double(ink.y) / PANGO_SCALE,
                                      .inkHeight = double(ink.height) / PANGO_SCALE},
                          x, y);
        cairo_move_to(cr, x, y);
        SetColour(cr, item.foreground, item.light);
        pango_cairo_show_layout(cr, layout);
        pango_font_description_free(font);
        g_object_unref(layout);
        g_object_unref(context);
    }
    cairo_restore(cr);
}

}  // namespace

const char* PainterName() { return "cairo"; }

struct Painter::Converted {
    std::map<std::tuple<const Picture*, bool, Light>, SurfacePtr> surfaces;

    cairo_surface_t* Get(const Picture& picture, bool blackTransparent, const Light& light) {
        auto& slot = surfaces[{&picture, blackTransparent, light}];
        if (!slot) slot = SurfaceOf(picture, blackTransparent, light);
        return slot.get();
    }
};

Painter::Painter(BitmapSource& bitmaps, const PanelBackgrounds* backgrounds)
    : bitmaps_(bitmaps), backgrounds_(backgrounds), converted_(std::make_unique<Converted>()) {}
Painter::~Painter() = default;

struct Painting::Pixels {
    SurfacePtr surface;
};

Painting::Painting(int width, int height)
    : width_(width), height_(height), pixels_(std::make_unique<Pixels>(NewSurface(width, height))) {}

Painting::Painting(const Picture& picture)
    : width_(picture.width),
      height_(picture.height),
      pixels_(std::make_unique<Pixels>(SurfaceOf(picture, false, Light{}))) {}

Painting::~Painting() = default;
Painting::Painting(Painting&&) noexcept = default;
Painting& Painting::operator=(Painting&&) noexcept = default;

bool Painting::Made() const { return pixels_ && pixels_->surface; }

void Painting::Fill(std::uint32_t rgb) {
    if (!Made()) return;
    cairo_t* cr = cairo_create(pixels_->surface.get());
    SetColour(cr, rgb, Light{});
    cairo_paint(cr);
    cairo_destroy(cr);
}

void Painting::Paint(const WindowList& list, Painter& painter, const ClipBox* into) {
    if (!Made() || list.width <= 0 || list.height <= 0) return;
    cairo_t* cr = cairo_create(pixels_->surface.get());
    if (into) {
        cairo_rectangle(cr, into->x, into->y, into->w, into->h);
        cairo_clip(cr);
        cairo_translate(cr, into->x, into->y);
        cairo_scale(cr, into->w / list.width, into->h / list.height);
    }
    for (const PaintItem& item : list.items) {
        if (!(item.clip.w > 0 && item.clip.h > 0)) continue;
        cairo_save(cr);
        cairo_rectangle(cr, item.clip.x, item.clip.y, item.clip.w, item.clip.h);
        cairo_clip(cr);
        switch (item.kind) {
        case PaintKind::Fill:
            SetColour(cr, item.foreground, item.light, item.alpha);
            cairo_rectangle(cr, item.box.x, item.box.y, item.box.w, item.box.h);
            cairo_fill(cr);
            break;
        case PaintKind::Bitmap:
            if (const Picture* picture = painter.Source(item)) {
                PaintSurface(cr, painter.converted().Get(*picture, item.blackTransparent, item.light), item.placement,
                             item.bilinear, item.wrap);
            }
            break;
        case PaintKind::Text:
            PaintText(cr, item);
            break;
        }
        cairo_restore(cr);
    }
    cairo_destroy(cr);
}

Picture Painting::Over(Rgb under) const {
    if (!Made()) return {};
    cairo_surface_t* surface = pixels_->surface.get();
    cairo_surface_flush(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    Picture picture(width_, height_);
    for (int y = 0; y < height_; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + std::ptrdiff_t(y) * stride);
        for (int x = 0; x < width_; ++x) picture.At(x, y) = PixelOver(row[x], under);
    }
    return picture;
}

std::string Painting::Png() const {
    std::string bytes;
    if (!Made()) return bytes;
    const auto append = [](void* closure, const unsigned char* data, unsigned int length) {
        static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
        return CAIRO_STATUS_SUCCESS;
    };
    if (cairo_surface_write_to_png_stream(pixels_->surface.get(), append, &bytes) != CAIRO_STATUS_SUCCESS) bytes.clear();
    return bytes;
}

std::optional<Picture> ReadPngFile(const std::string& path) {
    SurfacePtr surface(cairo_image_surface_create_from_png(path.c_str()));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return std::nullopt;
    const int width = cairo_image_surface_get_width(surface.get()), height = cairo_image_surface_get_height(surface.get());
    // An RGB file reads as an opaque 24-bit surface, an RGBA one as ARGB:
    // both hold their pixels as 32-bit words, the former with no alpha.
    const bool opaque = cairo_image_surface_get_format(surface.get()) == CAIRO_FORMAT_RGB24;
    cairo_surface_flush(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    const unsigned char* data = cairo_image_surface_get_data(surface.get());
    Picture picture(width, height);
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + std::ptrdiff_t(y) * stride);
        for (int x = 0; x < width; ++x) picture.At(x, y) = PixelOver(opaque ? row[x] | 0xFF000000u : row[x], Rgb{});
    }
    return picture;
}

std::string ResolvedFontFamily(const std::string& face) {
    Fonts& fonts = TheFonts();
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(face.c_str()));
    if (!pattern) return {};
    FcConfigSubstitute(fonts.config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(fonts.config, pattern, &result);
    std::string family;
    FcChar8* name = nullptr;
    if (match && FcPatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch) {
        family = reinterpret_cast<const char*>(name);
    }
    if (match) FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    return family;
}

}  // namespace panelhost
