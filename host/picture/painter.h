// The painting step of every picture: a display list (display_list.h)
// turned into pixels by the system's own 2D library, cairo in the native
// host (drawing.cpp) and GDI+ in the Windows host (drawing_gdiplus.cpp).
// Everything above this step is the same on both, and the live page paints
// the same lists again in the browser. What both painters share (how a
// bitmap's pixels are lit, how a line of text is fitted into its box, when a
// shrunk picture is averaged) is written here once.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "host/picture/bitmap_source.h"
#include "host/picture/display_list.h"
#include "host/picture/lighting.h"

namespace panelhost {

class PanelBackgrounds;

// "cairo" or "GDI+": which library paints in this host.
const char* PainterName();

// Paints display lists: module bitmaps by id from `bitmaps`, window
// backgrounds by section from `backgrounds` (none without). Each bitmap is
// converted once for each way it is painted, for all the pictures painted
// through one painter.
class Painter {
public:
    Painter(BitmapSource& bitmaps, const PanelBackgrounds* backgrounds = nullptr);
    ~Painter();
    Painter(const Painter&) = delete;
    Painter& operator=(const Painter&) = delete;

    // The picture a bitmap item paints, or null when there is none.
    const Picture* Source(const PaintItem& item);

    struct Converted;  // the painting library's own copies of the bitmaps
    Converted& converted() { return *converted_; }

private:
    BitmapSource& bitmaps_;
    const PanelBackgrounds* backgrounds_;
    std::unique_ptr<Converted> converted_;
};

// Premultiplied ARGB pixels that lists are painted on; transparent when made.
class Painting {
public:
    Painting(int width, int height);
    // The picture, opaque.
    explicit Painting(const Picture& picture);
    ~Painting();
    Painting(Painting&&) noexcept;
    Painting& operator=(Painting&&) noexcept;

    // False when the library could not make pixels of that size: nothing is
    // painted on it then and it gives no picture.
    bool Made() const;
    int Width() const { return width_; }
    int Height() const { return height_; }

    // Covers everything with one opaque colour (0x00RRGGBB).
    void Fill(std::uint32_t rgb);
    // Paints the list item by item, the list's window scaled into `into`
    // (the whole painting when none) and clipped to it.
    void Paint(const WindowList& list, Painter& painter, const ClipBox* into = nullptr);

    // The pixels over `under`: transparent parts show it.
    Picture Over(Rgb under = {}) const;
    // A PNG file's bytes, RGB when every pixel is opaque, else RGBA; empty
    // when the library cannot encode it.
    std::string Png() const;

    struct Pixels;  // the painting library's own

private:
    int width_{}, height_{};
    std::unique_ptr<Pixels> pixels_;
};

// Writes the painting as a PNG file. False with a reason.
bool WritePngFile(const Painting& painting, const std::string& path, std::string* error = nullptr);
// A PNG file read back as RGB (over black); nothing when it cannot be read.
std::optional<Picture> ReadPngFile(const std::string& path);

// --- What both painters share --------------------------------------------------

// A bitmap's pixel as both libraries hold it (premultiplied 0xAARRGGBB),
// lit, with black left out when it is the transparent colour.
std::uint32_t PaintedPixel(const Rgb& pixel, bool blackTransparent, const Light& light);
// A colour (0x00RRGGBB) in a light, each channel 0 to 255.
Rgb LitColour(std::uint32_t rgb, const Light& light);
// A premultiplied pixel over what lies under it.
Rgb PixelOver(std::uint32_t pixel, const Rgb& under);

// Whether a bitmap drawn through the placement is averaged over the pixels
// it covers (shrunk well below its size) rather than sampled between pixels
// (near its own size, or shrunk to a speck whose average would cost far
// more than it shows).
bool AveragedWhenShrunk(const Placement& placement);
// Whether a placement can be painted at all: finite, not flattened to a line.
bool Paintable(const Placement& placement);

// A line of text in its box: the size it is set at (the box's height less
// a margin, smaller when the line would be wider than the box), found from
// the width the library measures at a trial size.
template <typename MeasureWidth>
double FittedTextSize(double boxWidth, double boxHeight, const MeasureWidth& widthAt);
// Where the text's origin goes so that its logical width is centred across
// the box and its ink (the digits and letters themselves, as a display
// shows them) down it.
struct TextExtents {
    double logicalX{}, logicalWidth{};
    double inkY{}, inkHeight{};
};
void CentredTextOrigin(const ClipBox& box, const TextExtents& extents, double& x, double& y);

inline constexpr double textHeightShare = 0.8;
inline constexpr double textWidthShare = 0.96;
// The face a string names none.
inline constexpr const char* defaultTextFace = "Arial";

template <typename MeasureWidth>
double FittedTextSize(double boxWidth, double boxHeight, const MeasureWidth& widthAt) {
    double size = boxHeight * textHeightShare;
    const double wide = widthAt(size);
    if (wide > boxWidth * textWidthShare && wide > 0) size *= boxWidth * textWidthShare / wide;
    return size;
}

}  // namespace panelhost
