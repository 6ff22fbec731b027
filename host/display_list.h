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
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "host/lighting.h"

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

struct ElementState;
struct Picture;
class BitmapSource;
class Host;
struct PanelColours;
struct PanelWindow;
struct PlacedPanel;

// What a light makes of an element drawn with these image flags: bright
// parts keep their full brightness, luminous ones are lit by the panel
// lights at night, the rest takes the light of the hour.
Light ElementLight(const LightingScheme& lighting, std::uint32_t imageFlags);
// The cockpit around the instruments (window backgrounds, panel colour).
Light PanelLight(const LightingScheme& lighting);

// The windows' background bitmaps, found beside the panel configuration
// (their names in any case) and decoded once per file however many windows
// name it. Painters fetch them by the window's section name.
class PanelBackgrounds {
public:
    explicit PanelBackgrounds(std::string folder) : folder_(std::move(folder)) {}
    // The window's background; null, with the reason in *why, when the file
    // is missing, cannot be read or holds no bitmap the host draws.
    const Picture* Of(const PanelWindow& window, std::string* why = nullptr);
    // What Of last gave for a section; null for none.
    const Picture* Section(const std::string& section) const;

private:
    struct File {
        std::unique_ptr<Picture> picture;  // null: none usable
        std::string why;
    };
    std::string folder_;
    std::map<std::string, std::string> paths_;  // the path found for each name written
    std::map<std::string, File> files_;  // by the path found
    std::map<std::string, const Picture*> sections_;
};

// The lighting of a panel: the designer's [Color] tints where the
// configuration gives them, ours for the rest.
LightingScheme PanelLighting(Lighting lighting, const PanelColours& colours);

// What one placed gauge shows, in the pixels of its own background bitmap
// (the picture that `render` and `preview` write). An empty list (width 0)
// with a reason in *error when the alias is unknown or the background bitmap
// cannot be had; elements whose bitmap is missing are named in *skipped
// ("element N (needle): bitmap ID missing").
// `posed`, when not empty, is drawn in place of what the elements show (see
// AddGaugeItems).
WindowList ComputeGaugeList(const Host& host, const std::string& alias, BitmapSource& bitmaps,
                            const LightingScheme& lighting, std::string* error = nullptr,
                            std::vector<std::string>* skipped = nullptr,
                            std::span<const ElementState> posed = {});

// What a window of a placed panel shows after the last frame: its colour,
// its background bitmap stretched over it, each gauge of this module drawn
// into its box and clipped to it, other modules' gauges as labelled
// placeholders. A virtual-cockpit section is its texture, pixel_size large.
// Problems (a missing background, a gauge without its bitmaps) are added to
// *problems as "FILE:LINE: what was expected"; the rest is still listed.
WindowList ComputeWindowList(const Host& host, const PlacedPanel& placed, const PanelWindow& window,
                             BitmapSource& bitmaps, const LightingScheme& lighting,
                             std::vector<std::string>* problems = nullptr);
// The same into `list`, whose storage is reused: a live panel computing its
// windows every frame allocates nothing once the lists have their size.
void ComputeWindowList(const Host& host, const PlacedPanel& placed, const PanelWindow& window, BitmapSource& bitmaps,
                       const LightingScheme& lighting, WindowList& list, std::vector<std::string>* problems = nullptr);

// The pixels a painter covers for the list: the window and every bitmap's
// and fill's box clipped to it. What a configuration's drawing costs.
double PixelsToPaint(const WindowList& list);

}  // namespace panelhost
