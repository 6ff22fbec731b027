#include "host/picture/display_list.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "module/gauge_records.h"

namespace panelhost {

namespace {

// Pixel centres lie at half pixels: a bitmap pixel (i, j) placed on the
// picture pixel (x, y) covers it exactly.
constexpr double centre = 0.5;

}  // namespace

// --- Placements -------------------------------------------------------------

// `first` applied, then `then`.
Placement Then(const Placement& first, const Placement& then) {
    return Placement{.xx = then.xx * first.xx + then.xy * first.yx,
                     .yx = then.yx * first.xx + then.yy * first.yx,
                     .xy = then.xx * first.xy + then.xy * first.yy,
                     .yy = then.yx * first.xy + then.yy * first.yy,
                     .x0 = then.xx * first.x0 + then.xy * first.y0 + then.x0,
                     .y0 = then.yx * first.x0 + then.yy * first.y0 + then.y0};
}

Placement Moved(double x, double y) { return Placement{.x0 = x, .y0 = y}; }

Placement Scaled(double x, double y) { return Placement{.xx = x, .yy = y}; }

Placement Turned(double degrees, double x, double y, double pivotX, double pivotY, double scaleX,
                 double scaleY) {
    const double radians = std::fmod(degrees, 360.0) * std::numbers::pi / 180.0;
    const double c = std::cos(radians), s = std::sin(radians);
    const Placement turn{.xx = c, .yx = s, .xy = -s, .yy = c};
    return Then(Then(Then(Moved(-(pivotX + centre), -(pivotY + centre)), Scaled(scaleX, scaleY)), turn),
                Moved(x + centre, y + centre));
}

// A box through a placement that only scales and moves (gauge to window).
ClipBox Through(const Placement& placement, const ClipBox& box) {
    return ClipBox{.x = placement.xx * box.x + placement.x0, .y = placement.yy * box.y + placement.y0,
                   .w = placement.xx * box.w, .h = placement.yy * box.h};
}

ClipBox Overlap(const ClipBox& a, const ClipBox& b) {
    const double x = std::max(a.x, b.x), y = std::max(a.y, b.y);
    const double right = std::min(a.x + a.w, b.x + b.w), bottom = std::min(a.y + a.h, b.y + b.h);
    return ClipBox{.x = x, .y = y, .w = std::max(0.0, right - x), .h = std::max(0.0, bottom - y)};
}

bool Empty(const ClipBox& box) { return !(box.w > 0 && box.h > 0); }

// Coordinates far outside any picture are held where painters still
// compute them exactly; nothing placed there shows.
double HeldInDrawingRange(double value) { return std::isfinite(value) ? std::clamp(value, -1e7, 1e7) : 0.0; }

// 0x00BBGGRR, as Windows gives colours, to 0x00RRGGBB.
std::uint32_t RgbOf(std::uint32_t windowsColour) {
    return (windowsColour & 0xFF) << 16 | (windowsColour & 0xFF00) | (windowsColour >> 16 & 0xFF);
}

// --- Lighting ----------------------------------------------------------------

Light ElementLight(const LightingScheme& lighting, std::uint32_t imageFlags) {
    if (imageFlags & IMAGE_USE_BRIGHT) return {};
    if (lighting.lighting == Lighting::Day) return lighting.day;
    return (imageFlags & IMAGE_USE_LUMINOUS) ? lighting.luminous : lighting.night;
}

Light PanelLight(const LightingScheme& lighting) {
    return lighting.lighting == Lighting::Day ? lighting.day : lighting.night;
}

double PixelsToPaint(const WindowList& list) {
    const ClipBox whole{0, 0, double(list.width), double(list.height)};
    double pixels = whole.w * whole.h;
    std::string_view gauge;  // the gauge whose box is counted already
    for (const PaintItem& item : list.items) {
        if (!item.alias.empty() && gauge == item.alias) continue;
        gauge = item.alias;
        const ClipBox shown = Overlap(item.clip, whole);
        pixels += shown.w * shown.h;
    }
    return pixels;
}

}  // namespace panelhost
