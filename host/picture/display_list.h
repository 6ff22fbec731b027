// What a panel window shows after a frame, as a list of things to paint in
// order: the one drawing computation behind every picture. The system's
// painter (painter.h: cairo natively, GDI+ under Windows) turns a list into
// a PNG; the live page paints the same list, sent as JSON, on a canvas.
// Computing a list needs no drawing library.
//
// Coordinates are the window picture's pixels (x right, y down). Bitmaps are
// the module's own, known by resource id, or a window's background bitmap,
// known by the window's section name; a painter fetches each once.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/picture/lighting.h"

namespace panelhost {

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
    ClipBox clip{};
    Light light{};

    // Bitmap: a module bitmap by id, or (id < 0) the background bitmap of the
    // window named in `background`.
    std::int32_t bitmap{-1};
    std::string background{};
    Placement placement{};
    bool blackTransparent{};
    bool bilinear{};
    // The bitmap repeats beyond its edges over the whole clip box, as a
    // texture sampled by graphics hardware wraps round (a sprite seen
    // through its window).
    bool wrap{};

    // Fill and Text: the box; Fill paints it in `foreground` at `alpha`.
    ClipBox box{};
    std::string text{};  // UTF-8
    std::string face{};  // as the gauge names it ("Arial"); painters resolve it
    int weight{400};
    std::uint32_t foreground{};  // 0x00RRGGBB
    std::uint32_t backgroundColour{};  // 0x00RRGGBB, behind the text
    bool transparentBackground{};
    double alpha{1};

    // Which placed gauge and element this came from ("Window00.gauge03",
    // element number), for hit-testing and for sending only what changed.
    // The name is the placement's own (or the one a gauge's list was asked
    // for), which outlives the list: a frame's lists copy no names.
    std::string_view alias{};
    int element{};

    bool operator==(const PaintItem&) const = default;
};

struct WindowList {
    std::string section;  // "Window00"
    int width{}, height{};
    std::vector<PaintItem> items{};
};

// --- Placing things on a list ------------------------------------------------

// `first` applied, then `then`.
Placement Then(const Placement& first, const Placement& then);
Placement Moved(double x, double y);
Placement Scaled(double x, double y);
// Turned clockwise by `degrees` (screen y down) about the pivot inside the
// bitmap, the pivot put on (x, y) of the picture; scaled about the pivot.
Placement Turned(double degrees, double x, double y, double pivotX, double pivotY, double scaleX = 1,
                 double scaleY = 1);
// A box through a placement that only scales and moves (gauge to window).
ClipBox Through(const Placement& placement, const ClipBox& box);
ClipBox Overlap(const ClipBox& a, const ClipBox& b);
bool Empty(const ClipBox& box);
// Coordinates far outside any picture are held where painters still
// compute them exactly; nothing placed there shows.
double HeldInDrawingRange(double value);
// 0x00BBGGRR, as Windows gives colours, to 0x00RRGGBB.
std::uint32_t RgbOf(std::uint32_t windowsColour);

// What a light makes of an element drawn with these image flags: bright
// parts keep their full brightness, luminous ones are lit by the panel
// lights at night, the rest takes the light of the hour.
Light ElementLight(const LightingScheme& lighting, std::uint32_t imageFlags);
// The cockpit around the instruments (window backgrounds, panel colour).
Light PanelLight(const LightingScheme& lighting);

// The pixels a painter covers for the list: the window and every bitmap's
// and fill's box clipped to it. What a configuration's drawing costs.
double PixelsToPaint(const WindowList& list);

}  // namespace panelhost
