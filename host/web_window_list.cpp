#include "host/web_window_list.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <numbers>
#include <optional>

namespace panelhost {

namespace {

constexpr std::uint32_t neutralPanelRgb = 0x3A3F45;
constexpr int placeholderSide = 100;
// Other modules' gauges: a veiled grey box with their name.
constexpr std::uint32_t placeholderRgb = 0x8C949E;
constexpr double placeholderAlpha = 0.55;
constexpr int stripCellsWithoutWindow = 11;
// Pixel centres lie at half pixels.
constexpr double centre = 0.5;

struct Box {
    double x, y, w, h;
};

std::optional<SINT32> BitmapId(SINT32 id, long long add) {
    const long long sum = static_cast<long long>(id) + add;
    if (id < 0 || sum < 0 || sum > INT32_MAX) return std::nullopt;
    return static_cast<SINT32>(sum);
}

const Picture* Find(BitmapSource& bitmaps, std::optional<SINT32> id) { return id ? bitmaps.Find(*id) : nullptr; }

double Held(double value) { return std::isfinite(value) ? std::clamp(value, -1e7, 1e7) : 0.0; }

bool HasSource(const MODULE_VAR& var, const void* routine) { return var.id != 0 || routine != nullptr; }

Placement Moved(double x, double y) {
    Placement p;
    p.x0 = x;
    p.y0 = y;
    return p;
}

// Turned clockwise about the pivot inside the bitmap, the pivot put on
// (x, y), scaled about the pivot.
Placement Turned(double degrees, double x, double y, double pivotX, double pivotY, double sx = 1, double sy = 1) {
    const double a = std::fmod(degrees, 360.0) * std::numbers::pi / 180.0;
    const double c = std::cos(a), s = std::sin(a);
    Placement p{.xx = c * sx, .yx = s * sx, .xy = -s * sy, .yy = c * sy};
    const double px = pivotX + centre, py = pivotY + centre;
    p.x0 = x + centre - (p.xx * px + p.xy * py);
    p.y0 = y + centre - (p.yx * px + p.yy * py);
    return p;
}

// The gauge's pixels to the window's: scaled, then moved.
Placement Into(const Placement& gauge, const Placement& e) {
    return Placement{.xx = gauge.xx * e.xx, .yx = gauge.yy * e.yx, .xy = gauge.xx * e.xy, .yy = gauge.yy * e.yy,
                     .x0 = gauge.x0 + gauge.xx * e.x0, .y0 = gauge.y0 + gauge.yy * e.y0};
}

ClipBox BoxInto(const Placement& gauge, double x, double y, double w, double h) {
    return ClipBox{gauge.x0 + gauge.xx * x, gauge.y0 + gauge.yy * y, gauge.xx * w, gauge.yy * h};
}

ClipBox Narrowed(const ClipBox& a, const ClipBox& b) {
    const double x = std::max(a.x, b.x), y = std::max(a.y, b.y);
    const double r = std::min(a.x + a.w, b.x + b.w), bottom = std::min(a.y + a.h, b.y + b.h);
    return ClipBox{x, y, std::max(0.0, r - x), std::max(0.0, bottom - y)};
}

PaintItem FillItem(const ClipBox& clip, const Light& light, std::uint32_t rgb, double alpha = 1) {
    PaintItem item;
    item.clip = clip;
    item.light = light;
    item.box = clip;
    item.foreground = rgb;
    item.alpha = alpha;
    return item;
}

PaintItem TextItem(const ClipBox& clip, const Light& light, const ClipBox& box, std::string text, std::string face) {
    PaintItem item;
    item.kind = PaintKind::Text;
    item.clip = clip;
    item.light = light;
    item.box = box;
    item.text = std::move(text);
    item.face = std::move(face);
    return item;
}

Light LightOf(const LightFactors& light, Lighting lighting, std::uint32_t flags) {
    const auto f = light(lighting, flags);
    return Light{f[0], f[1], f[2]};
}

// Windows colours are 0x00BBGGRR; the list holds 0x00RRGGBB.
std::uint32_t Rgb(UINT32 colour) {
    return ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
}

Box GaugeBox(const PanelGauge& entry, double defaultWidth, int pictureWidth, int pictureHeight) {
    const double w = entry.width ? *entry.width : defaultWidth;
    const double h = entry.height ? *entry.height : (pictureWidth > 0 ? w * pictureHeight / pictureWidth : w);
    return Box{double(entry.x), double(entry.y), w, h};
}

const Picture* GaugePicture(const Host& host, const std::string& alias, BitmapSource& bitmaps) {
    if (alias.empty() || !host.Has(alias) || host.ElementCount(alias) == 0) return nullptr;
    return bitmaps.Find(host.Element(alias, 1).record->resource_id);
}

Box BoxOf(const Host& host, const PlacedGauge& gauge, BitmapSource& bitmaps) {
    const PanelGauge& entry = *gauge.entry;
    if (const Picture* picture = GaugePicture(host, gauge.alias, bitmaps)) {
        const GAUGEHDR* header = host.Header(gauge.alias);
        return GaugeBox(entry, header ? double(header->size_x_mm) : placeholderSide, picture->width,
                        picture->height);
    }
    const double w = entry.width ? *entry.width : placeholderSide;
    return Box{double(entry.x), double(entry.y), w, entry.height ? double(*entry.height) : w};
}

// One element's items, in the gauge's pixels before `gauge` places them.
void AddElement(const ElementState& state, const Placement& gauge, const ClipBox& gaugeClip, BitmapSource& bitmaps,
                const Light& light, const std::string& alias, int number, WindowList& list) {
    const ELEMENT_HEADER& header = *state.record;
    const UINT32 flags = header.image_flags;
    PaintItem item;
    item.kind = PaintKind::Bitmap;
    item.clip = gaugeClip;
    item.light = light;
    item.bitmap = header.resource_id;
    item.blackTransparent = (flags & IMAGE_USE_TRANSPARENCY) != 0;
    item.bilinear = (flags & IMAGE_BILINEAR_COLOR) != 0;
    item.alias = alias;
    item.element = number;
    const double x = header.position.x, y = header.position.y;
    switch (state.kind) {
        case ELEMENT_TYPE_NEEDLE:
            item.placement = Turned(Held(state.angle), x, y, header.ofs.x, header.ofs.y);
            break;
        case ELEMENT_TYPE_SLIDER:
            item.placement = Moved(Held(x + state.shiftX), Held(y + state.shiftY));
            break;
        case ELEMENT_TYPE_ICON: {
            const auto id = state.image < 0 ? std::nullopt : BitmapId(header.resource_id, state.image);
            if (!id) return;
            item.bitmap = *id;
            item.placement = Moved(x, y);
            break;
        }
        case ELEMENT_TYPE_MOVING_IMAGE: {
            const Picture* strip = bitmaps.Find(header.resource_id);
            if (!strip) return;
            const Picture* window = Find(bitmaps, BitmapId(header.resource_id, 1));
            const auto& image = *reinterpret_cast<const ELEMENT_MOVING_IMAGE*>(state.record);
            const bool movesX = HasSource(image.source_var_x, reinterpret_cast<const void*>(image.update_x_cb));
            const bool movesY = HasSource(image.source_var_y, reinterpret_cast<const void*>(image.update_y_cb));
            const auto side = [](int stripSide, bool moves, int windowSide) {
                if (windowSide > 0) return std::min(windowSide, stripSide);
                return moves ? std::max(1, stripSide / stripCellsWithoutWindow) : stripSide;
            };
            const int windowW = side(strip->width, movesX, window ? window->width : 0);
            const int windowH = side(strip->height, movesY, window ? window->height : 0);
            const double fx = movesX && std::isfinite(state.shiftX) ? std::clamp(state.shiftX, 0.0, 1.0) : 0.0;
            const double fy = movesY && std::isfinite(state.shiftY) ? std::clamp(state.shiftY, 0.0, 1.0) : 0.0;
            item.clip = Narrowed(gaugeClip, BoxInto(gauge, x, y, windowW, windowH));
            item.placement = Moved(x - fx * (strip->width - windowW), y - fy * (strip->height - windowH));
            break;
        }
        case ELEMENT_TYPE_SPRITE: {
            const auto& sprite = *reinterpret_cast<const ELEMENT_SPRITE*>(state.record);
            const auto scale = [](FLOAT32 v) { return std::isfinite(v) && v > 0.01f ? double(v) : 1.0; };
            item.placement = Turned(Held(state.rotation), Held(x + state.shiftX + header.ofs.x),
                                    Held(y + state.shiftY + header.ofs.y), header.ofs.x, header.ofs.y,
                                    scale(sprite.texture_scale_x), scale(sprite.texture_scale_y));
            if (const Picture* window = Find(bitmaps, BitmapId(header.resource_id, 1))) {
                item.clip = Narrowed(gaugeClip, BoxInto(gauge, x, y, window->width, window->height));
            }
            break;
        }
        case ELEMENT_TYPE_STRING: {
            const auto& record = *reinterpret_cast<const ELEMENT_STRING*>(state.record);
            const ClipBox box = BoxInto(gauge, x, y, record.img_size.x, record.img_size.y);
            PaintItem& text = list.items.emplace_back(TextItem(
                Narrowed(gaugeClip, box), light, box, Utf8FromWindows1252(state.text),
                std::string(record.font_name, strnlen(record.font_name, sizeof record.font_name))));
            text.weight = record.font_weight > 0 ? record.font_weight : 400;
            text.foreground = Rgb(record.fg_color);
            text.backgroundColour = Rgb(record.bg_color);
            text.transparentBackground = (flags & IMAGE_USE_TRANSPARENCY) != 0 && (record.bg_color & 0xFFFFFF) == 0;
            text.alias = alias;
            text.element = number;
            return;
        }
        default:
            item.placement = Moved(x, y);
            break;
    }
    if (!bitmaps.Find(item.bitmap)) return;
    item.placement = Into(gauge, item.placement);
    list.items.push_back(std::move(item));
}

}  // namespace

WindowDesign DesignOf(const Host& host, const PlacedPanel& placed, const PanelWindow& window,
                      BitmapSource& bitmaps, const Picture* background) {
    double w = 1, h = 1;
    for (const PlacedGauge& gauge : placed.gauges) {
        if (gauge.window != &window) continue;
        const Box box = BoxOf(host, gauge, bitmaps);
        w = std::max(w, box.x + box.w);
        h = std::max(h, box.y + box.h);
    }
    if (window.sizeWidth && window.sizeHeight && *window.sizeWidth > 0 && *window.sizeHeight > 0) {
        w = *window.sizeWidth;
        h = *window.sizeHeight;
    } else if (background) {
        w = background->width;
        h = background->height;
    }
    const double scale = std::min(1.0, double(maxBitmapSide) / std::max(w, h));
    return WindowDesign{std::max(1, int(std::lround(w * scale))), std::max(1, int(std::lround(h * scale))), scale};
}

void LiveWindowList(const Host& host, const PlacedPanel& placed, const PanelWindow& window, BitmapSource& bitmaps,
                    const Picture* background, Lighting lighting, const LightFactors& light, WindowList& list) {
    const WindowDesign design = DesignOf(host, placed, window, bitmaps, background);
    list.section = window.section;
    list.width = design.width;
    list.height = design.height;
    list.items.clear();
    const ClipBox all{0, 0, double(design.width), double(design.height)};
    const Light panel = LightOf(light, lighting, 0);
    list.items.push_back(FillItem(all, panel, window.backgroundRgb.value_or(neutralPanelRgb)));
    if (background) {
        PaintItem& item = list.items.emplace_back(FillItem(all, panel, 0));
        item.kind = PaintKind::Bitmap;
        item.background = window.section;
        item.placement.xx = double(design.width) / background->width;
        item.placement.yy = double(design.height) / background->height;
        item.bilinear = true;
    }
    for (const PlacedGauge& gauge : placed.gauges) {
        if (gauge.window != &window) continue;
        const Box box = BoxOf(host, gauge, bitmaps);
        const ClipBox clip{box.x * design.scale, box.y * design.scale, box.w * design.scale, box.h * design.scale};
        const Picture* picture = GaugePicture(host, gauge.alias, bitmaps);
        if (!picture) {
            // Another module's gauge: a labelled placeholder.
            list.items.push_back(FillItem(clip, panel, placeholderRgb, placeholderAlpha));
            const double labelHeight = std::min(clip.h, std::max(8.0, clip.h / 6));
            const ClipBox label{clip.x, clip.y + (clip.h - labelHeight) / 2, clip.w, labelHeight};
            PaintItem& text = list.items.emplace_back(TextItem(
                label, panel, label, Utf8FromWindows1252(gauge.entry->module + "!" + gauge.entry->gauge), "Arial"));
            text.foreground = 0xFFFFFF;
            text.transparentBackground = true;
            continue;
        }
        const Placement place{.xx = clip.w / picture->width, .yy = clip.h / picture->height, .x0 = clip.x,
                              .y0 = clip.y};
        const int count = host.ElementCount(gauge.alias);
        for (int number = 1; number <= count; ++number) {
            const ElementState& state = host.Element(gauge.alias, number);
            if (state.hidden) continue;
            AddElement(state, place, clip, bitmaps, LightOf(light, lighting, state.record->image_flags), gauge.alias,
                       number, list);
        }
    }
}

}  // namespace panelhost
