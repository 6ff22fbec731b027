// The display list of a panel window for the live page, from the host's
// state after a frame: each gauge of the window scaled into its box, each
// element a bitmap through its placement (or a line of text), clipped to
// the gauge.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "host/bitmap_source.h"
#include "host/display_list.h"
#include "host/lighting.h"
#include "host/panel_view.h"

namespace panelhost {

// The light factors (r, g, b) an element or the panel takes in a lighting.
using LightFactors = std::function<std::array<double, 3>(Lighting, std::uint32_t imageFlags)>;

struct WindowDesign {
    int width{1}, height{1};  // the window picture's pixels
    double scale{1};          // design units to pixels
};

// The window's design space: size_mm, else its background's size, else what
// its gauges cover.
WindowDesign DesignOf(const Host& host, const PlacedPanel& placed, const PanelWindow& window,
                      BitmapSource& bitmaps, const Picture* background);

// Fills `list` (its storage reused from frame to frame).
void LiveWindowList(const Host& host, const PlacedPanel& placed, const PanelWindow& window, BitmapSource& bitmaps,
                    const Picture* background, Lighting lighting, const LightFactors& light, WindowList& list);

}  // namespace panelhost
