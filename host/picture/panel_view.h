// A whole panel configuration on the host: every gauge of this module placed
// in every window with its parameters (alias WINDOW.GAUGE, e.g.
// "Window00.gauge03"), and each window drawn as one picture: the window's
// background bitmap (or a neutral panel colour) with every gauge scaled into
// its placement box and gauges of other modules as labelled placeholders.
#pragma once

#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/picture/display_list.h"
#include "host/picture/panel_backgrounds.h"
#include "host/picture/lighting.h"
#include "host/panel/panel_check.h"
#include "host/panel/panel_config.h"
#include "host/core/panel_host.h"

namespace panelhost {

class BitmapSource;

struct PlacedGauge {
    const PanelWindow* window{};
    const PanelGauge* entry{};
    std::string alias;  // "Window00.gauge03"; empty for gauges of other modules
};

struct PlacedPanel {
    PanelConfig config;
    std::string folder;  // where the configuration lies: backgrounds are found there
    std::vector<PlacedGauge> gauges;  // in file order, other modules' included
    // The reader's findings and the placement's, in line order: names of
    // gauges and modules, backgrounds, gauges outside their window.
    std::vector<PanelFinding> findings;
    // The errors among them as text ("FILE:LINE:COLUMN: error: ..."), then
    // the problems met while drawing.
    std::vector<std::string> errors;
    // The windows' background bitmaps, read when a window is first drawn.
    std::shared_ptr<PanelBackgrounds> backgrounds;
};

// The name of a window's picture, without ".png": its section's name, and
// "VCockpitNN" for a virtual-cockpit texture.
// The lighting of a panel: the designer's [Color] tints where the
// configuration gives them, ours for the rest.
LightingScheme PanelLighting(Lighting lighting, const PanelColours& colours);

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

std::string PictureName(const PanelWindow& window);

// Reads the file and places every gauge of this module that the host's
// module offers. Gauges it does not know get an error; the rest is placed.
// Each window is then measured as it will be drawn: a background that
// cannot be read is an error, a gauge wholly outside its window a warning.
PlacedPanel PlacePanelFile(Host& host, const std::string& path);
// The same for a configuration already read.
PlacedPanel PlacePanel(Host& host, PanelConfig config, const std::string& folder);

// Everything to tell of a placed panel, one line each: its findings in line
// order, then the problems met while drawing since.
std::vector<std::string> FindingTexts(const PlacedPanel& placed);

// Writes one PNG per window into `folder` (made when missing), named after
// the window's section ("Window00.png"). Problems found while drawing (a
// missing background bitmap, a gauge without its bitmaps) are added to
// placed.errors; a window is still written. Prints one line per picture to
// `out`. False when drawing is not built into this host or a file cannot be
// written.
bool WritePanelPictures(const Host& host, PlacedPanel& placed, BitmapSource& bitmaps, Lighting lighting,
                        const std::string& folder, std::ostream& out, std::string* error = nullptr);

// One window's picture as a PNG file; `summary` tells its name, size and
// gauge count.
bool WritePanelWindow(const Host& host, PlacedPanel& placed, const PanelWindow& window, BitmapSource& bitmaps,
                      Lighting lighting, const std::string& path, std::string* error = nullptr,
                      std::string* summary = nullptr);

}  // namespace panelhost
