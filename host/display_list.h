// What a panel window shows after a frame, as a list of things to paint in
// order: the one drawing computation behind every picture. The cairo
// painter turns a list into a PNG; the live page paints the same list, sent
// as JSON, on a canvas. Computing a list needs no drawing library, so the
// Windows host computes the same lists it cannot paint.
//
// Coordinates are the window picture's pixels (x right, y down). Bitmaps are
// the module's own, known by resource id, or a window's background bitmap,
// known by the window's section name; a painter fetches each once.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace panelhost {

// What the light does to a part's colours: a factor per channel (1 keeps
// the colour, 0 is dark).
struct Light {
    double r{1}, g{1}, b{1};
    bool Plain() const { return r == 1 && g == 1 && b == 1; }
    bool operator==(const Light&) const = default;
    bool operator<(const Light& other) const {
        return r != other.r ? r < other.r : g != other.g ? g < other.g : b < other.b;
    }
};

// An axis-aligned rectangle in window pixels.
struct ClipBox {
    double x{}, y{}, w{}, h{};
    bool operator==(const ClipBox&) const = default;
};

// Bitmap space to window space, as cairo and the canvas take it:
// x' = xx*x + xy*y + x0, y' = yx*x + yy*y + y0.
struct Placement {
    double xx{1}, yx{0}, xy{0}, yy{1}, x0{0}, y0{0};
    bool operator==(const Placement&) const = default;
};

enum class PaintKind : std::uint8_t {
    Fill,    // a rectangle of one colour (window colour, placeholders)
    Bitmap,  // a bitmap through its placement
    Text,    // one line of text centred in a box
};

struct PaintItem {
    PaintKind kind{PaintKind::Fill};
    // Everything is clipped to this box (the gauge's rectangle, narrowed by
    // an element's own window where it has one).
    ClipBox clip;
    Light light;

    // Bitmap: a module bitmap by id, or (id < 0) the background bitmap of the
    // window named in `background`.
    std::int32_t bitmap{-1};
    std::string background;
    Placement placement;
    bool blackTransparent{};
    bool bilinear{};

    // Fill and Text: the box; Fill paints it in `foreground` at `alpha`.
    ClipBox box;
    std::string text;  // UTF-8
    std::string face;  // as the gauge names it ("Arial"); painters resolve it
    int weight{400};
    std::uint32_t foreground{};  // 0x00RRGGBB
    std::uint32_t backgroundColour{};  // 0x00RRGGBB, behind the text
    bool transparentBackground{};
    double alpha{1};

    // Which placed gauge and element this came from ("Window00.gauge03",
    // element number), for hit-testing and for sending only what changed.
    std::string alias;
    int element{};

    bool operator==(const PaintItem&) const = default;
};

struct WindowList {
    std::string section;  // "Window00"
    int width{}, height{};
    std::vector<PaintItem> items;
};

}  // namespace panelhost
