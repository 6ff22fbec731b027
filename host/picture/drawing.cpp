#include "host/picture/drawing.h"

#include <algorithm>
#include <cmath>

#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>
#include <pango/pangofc-fontmap.h>

#include "host/picture/fonts_conf.h"  // fontsConf: host/fonts.conf, embedded at build time

namespace panelhost {

namespace {

// Text fills this share of its box's height, less when it would be wider
// than the box.
constexpr double textHeightShare = 0.8;
constexpr double textWidthShare = 0.96;

// A picture drawn at less than this share of its own area is averaged, not
// sampled.
constexpr double shrunkArea = 0.5;
constexpr double speckArea = 1.0 / 64;

std::uint8_t Scaled(std::uint8_t channel, double factor) {
    return static_cast<std::uint8_t>(std::clamp(std::lround(channel * factor), 0L, 255L));
}

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

void SetColour(cairo_t* cr, UINT32 colour, const Light& light) {
    const auto part = [&](int shift, double factor) { return Scaled(std::uint8_t(colour >> shift), factor) / 255.0; };
    cairo_set_source_rgb(cr, part(16, light.r), part(8, light.g), part(0, light.b));
}

}  // namespace

SurfacePtr NewCanvas(int width, int height) {
    if (width <= 0 || height <= 0) return nullptr;
    SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
    return surface;
}

cairo_surface_t* SurfaceCache::Get(const Picture& picture, bool blackTransparent, const Light& light) {
    auto& slot = surfaces_[{&picture, blackTransparent, light}];
    if (slot) return slot.get();
    SurfacePtr surface = NewCanvas(picture.width, picture.height);
    if (!surface) return nullptr;
    cairo_surface_flush(surface.get());
    unsigned char* data = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    for (int y = 0; y < picture.height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + std::ptrdiff_t(y) * stride);
        for (int x = 0; x < picture.width; ++x) {
            const Rgb& pixel = picture.At(x, y);
            if (blackTransparent && pixel == Rgb{}) {
                row[x] = 0;
                continue;
            }
            row[x] = 0xFF000000u | std::uint32_t(Scaled(pixel.r, light.r)) << 16 |
                     std::uint32_t(Scaled(pixel.g, light.g)) << 8 | Scaled(pixel.b, light.b);
        }
    }
    cairo_surface_mark_dirty(surface.get());
    slot = std::move(surface);
    return slot.get();
}

void PaintSurface(cairo_t* cr, cairo_surface_t* surface, const cairo_matrix_t& placement, bool bilinear, bool wrap) {
    if (!surface) return;
    // Shrunk, a picture is averaged over the pixels it covers; near its own
    // size it is sampled between pixels, and so is a picture shrunk to a
    // speck, whose average would cost far more than it shows.
    const double area = std::fabs(placement.xx * placement.yy - placement.xy * placement.yx);
    const cairo_filter_t smooth =
        area < shrunkArea && area > speckArea ? CAIRO_FILTER_GOOD : CAIRO_FILTER_BILINEAR;
    const double entries[] = {placement.xx, placement.yx, placement.xy, placement.yy, placement.x0, placement.y0};
    if (!std::all_of(std::begin(entries), std::end(entries), [](double v) { return std::isfinite(v); })) return;
    if (!(std::fabs(placement.xx * placement.yy - placement.xy * placement.yx) > 1e-12)) return;
    cairo_save(cr);
    cairo_transform(cr, &placement);
    cairo_set_source_surface(cr, surface, 0, 0);
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

void DrawTextBox(cairo_t* cr, double x, double y, double width, double height, std::string_view utf8,
                 const TextStyle& style) {
    if (!(width > 0 && height > 0)) return;
    cairo_save(cr);
    cairo_rectangle(cr, x, y, width, height);
    cairo_clip(cr);
    if (!(style.transparentBlack && (style.background & 0xFFFFFF) == 0)) {
        SetColour(cr, style.background, style.light);
        cairo_paint(cr);
    }
    if (!utf8.empty() && TheFonts().map) {
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
        pango_layout_set_text(layout, utf8.data(), int(utf8.size()));
        pango_layout_set_single_paragraph_mode(layout, TRUE);
        PangoFontDescription* font = pango_font_description_new();
        pango_font_description_set_family(font, style.face.empty() ? "Arial" : style.face.c_str());
        pango_font_description_set_weight(font, PangoWeight(std::clamp(style.weight, 100, 1000)));
        double size = height * textHeightShare;
        for (int fit = 0; fit < 2; ++fit) {
            pango_font_description_set_absolute_size(font, size * PANGO_SCALE);
            pango_layout_set_font_description(layout, font);
            PangoRectangle ink, logical;
            pango_layout_get_extents(layout, &ink, &logical);
            const double textWidth = double(logical.width) / PANGO_SCALE;
            if (textWidth <= width * textWidthShare || textWidth <= 0) break;
            size *= width * textWidthShare / textWidth;
        }
        PangoRectangle ink, logical;
        pango_layout_get_extents(layout, &ink, &logical);
        const double textX = x + (width - double(logical.width) / PANGO_SCALE) / 2 - double(logical.x) / PANGO_SCALE;
        // Centred on the digits and letters themselves, as a display shows them.
        const double textY = y + (height - double(ink.height) / PANGO_SCALE) / 2 - double(ink.y) / PANGO_SCALE;
        cairo_move_to(cr, textX, textY);
        SetColour(cr, style.foreground, style.light);
        pango_cairo_show_layout(cr, layout);
        pango_font_description_free(font);
        g_object_unref(layout);
        g_object_unref(context);
    }
    cairo_restore(cr);
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

Picture PictureFromCanvas(cairo_surface_t* canvas, Rgb under) {
    cairo_surface_flush(canvas);
    const int width = cairo_image_surface_get_width(canvas), height = cairo_image_surface_get_height(canvas);
    const int stride = cairo_image_surface_get_stride(canvas);
    const unsigned char* data = cairo_image_surface_get_data(canvas);
    Picture picture(width, height);
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + std::ptrdiff_t(y) * stride);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t pixel = row[x];
            const double keep = 1.0 - double(pixel >> 24) / 255.0;  // premultiplied colour over what lies under
            const auto channel = [&](int shift, std::uint8_t below) {
                return static_cast<std::uint8_t>(
                    std::clamp(std::lround(double((pixel >> shift) & 0xFF) + keep * below), 0L, 255L));
            };
            picture.At(x, y) = Rgb{channel(16, under.r), channel(8, under.g), channel(0, under.b)};
        }
    }
    return picture;
}

SurfacePtr CanvasFromPicture(const Picture& picture) {
    SurfaceCache cache;
    cairo_surface_t* image = cache.Get(picture, false, {});
    SurfacePtr canvas = NewCanvas(picture.width, picture.height);
    if (!canvas || !image) return nullptr;
    cairo_t* cr = cairo_create(canvas.get());
    cairo_set_source_surface(cr, image, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    return canvas;
}

void PaintList(cairo_t* cr, const WindowList& list, BitmapSource& bitmaps, const PanelBackgrounds* backgrounds,
               SurfaceCache& surfaces) {
    for (const PaintItem& item : list.items) {
        if (!(item.clip.w > 0 && item.clip.h > 0)) continue;
        cairo_save(cr);
        cairo_rectangle(cr, item.clip.x, item.clip.y, item.clip.w, item.clip.h);
        cairo_clip(cr);
        switch (item.kind) {
        case PaintKind::Fill: {
            const auto part = [&](int shift, double factor) {
                return Scaled(std::uint8_t(item.foreground >> shift), factor) / 255.0;
            };
            cairo_set_source_rgba(cr, part(16, item.light.r), part(8, item.light.g), part(0, item.light.b),
                                  std::clamp(item.alpha, 0.0, 1.0));
            cairo_rectangle(cr, item.box.x, item.box.y, item.box.w, item.box.h);
            cairo_fill(cr);
            break;
        }
        case PaintKind::Bitmap: {
            const Picture* picture = item.bitmap >= 0 ? bitmaps.Find(item.bitmap)
                                     : backgrounds   ? backgrounds->Section(item.background)
                                                     : nullptr;
            if (!picture) break;
            const cairo_matrix_t placement{item.placement.xx, item.placement.yx, item.placement.xy,
                                           item.placement.yy, item.placement.x0, item.placement.y0};
            PaintSurface(cr, surfaces.Get(*picture, item.blackTransparent, item.light), placement, item.bilinear,
                         item.wrap);
            break;
        }
        case PaintKind::Text:
            DrawTextBox(cr, item.box.x, item.box.y, item.box.w, item.box.h, item.text,
                        TextStyle{.face = item.face, .weight = item.weight, .foreground = item.foreground,
                                  .background = item.transparentBackground ? 0 : item.backgroundColour,
                                  .transparentBlack = item.transparentBackground, .light = item.light});
            break;
        }
        cairo_restore(cr);
    }
}

SurfacePtr PaintedList(const WindowList& list, BitmapSource& bitmaps, const PanelBackgrounds* backgrounds,
                       SurfaceCache& surfaces) {
    SurfacePtr canvas = NewCanvas(list.width, list.height);
    if (!canvas) return nullptr;
    cairo_t* cr = cairo_create(canvas.get());
    PaintList(cr, list, bitmaps, backgrounds, surfaces);
    cairo_destroy(cr);
    return canvas;
}

bool WritePngFile(cairo_surface_t* surface, const std::string& path, std::string* error) {
    const cairo_status_t status = surface ? cairo_surface_write_to_png(surface, path.c_str()) : CAIRO_STATUS_NULL_POINTER;
    if (status == CAIRO_STATUS_SUCCESS) return true;
    if (error) *error = "cannot write " + path + " (" + cairo_status_to_string(status) + ")";
    return false;
}

}  // namespace panelhost
