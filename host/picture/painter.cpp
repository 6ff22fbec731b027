#include "host/picture/painter.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

#include "host/picture/panel_backgrounds.h"

namespace panelhost {

namespace {

// A picture drawn at less than this share of its own area is averaged, not
// sampled.
constexpr double shrunkArea = 0.5;
constexpr double speckArea = 1.0 / 64;

std::uint8_t Channel(std::uint8_t value, double factor) {
    return static_cast<std::uint8_t>(std::clamp(std::lround(value * factor), 0L, 255L));
}

double Area(const Placement& placement) { return std::fabs(placement.xx * placement.yy - placement.xy * placement.yx); }

}  // namespace

const Picture* Painter::Source(const PaintItem& item) {
    if (item.bitmap >= 0) return bitmaps_.Find(item.bitmap);
    return backgrounds_ ? backgrounds_->Section(item.background) : nullptr;
}

bool WritePngFile(const Painting& painting, const std::string& path, std::string* error) {
    const std::string bytes = painting.Made() ? painting.Png() : std::string();
    if (bytes.empty()) {
        if (error) *error = "cannot write " + path + " (" + PainterName() + " cannot encode the picture)";
        return false;
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (file) file.write(bytes.data(), std::streamsize(bytes.size()));
    if (file) file.close();
    if (!file) {
        if (error) *error = "cannot write " + path;
        return false;
    }
    return true;
}

std::uint32_t PaintedPixel(const Rgb& pixel, bool blackTransparent, const Light& light) {
    if (blackTransparent && pixel == Rgb{}) return 0;
    return 0xFF000000u | std::uint32_t(Channel(pixel.r, light.r)) << 16 | std::uint32_t(Channel(pixel.g, light.g)) << 8 |
           Channel(pixel.b, light.b);
}

Rgb LitColour(std::uint32_t rgb, const Light& light) {
    return Rgb{Channel(std::uint8_t(rgb >> 16), light.r), Channel(std::uint8_t(rgb >> 8), light.g),
               Channel(std::uint8_t(rgb), light.b)};
}

Rgb PixelOver(std::uint32_t pixel, const Rgb& under) {
    const double keep = 1.0 - double(pixel >> 24) / 255.0;
    const auto channel = [&](int shift, std::uint8_t below) {
        return static_cast<std::uint8_t>(std::clamp(std::lround(double((pixel >> shift) & 0xFF) + keep * below), 0L, 255L));
    };
    return Rgb{channel(16, under.r), channel(8, under.g), channel(0, under.b)};
}

bool AveragedWhenShrunk(const Placement& placement) {
    const double area = Area(placement);
    return area < shrunkArea && area > speckArea;
}

bool Paintable(const Placement& placement) {
    const double entries[] = {placement.xx, placement.yx, placement.xy, placement.yy, placement.x0, placement.y0};
    return std::all_of(std::begin(entries), std::end(entries), [](double v) { return std::isfinite(v); }) &&
           Area(placement) > 1e-12;
}

void CentredTextOrigin(const ClipBox& box, const TextExtents& extents, double& x, double& y) {
    x = box.x + (box.w - extents.logicalWidth) / 2 - extents.logicalX;
    y = box.y + (box.h - extents.inkHeight) / 2 - extents.inkY;
}

}  // namespace panelhost
