// A placed gauge put on a display list: each element kind's draw routine
// adds the paint items of what the element shows.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "host/core/element_state.h"
#include "host/picture/bitmap_source.h"
#include "host/picture/display_list.h"
#include "host/picture/lighting.h"

namespace panelhost {

class Host;

// The list a gauge is drawn into, as each element kind's draw routine sees
// it: the module's bitmaps, the light, where the gauge lies in the window
// (its pixels to the window's, and the box it is clipped to) and the element
// being drawn. No drawing library is involved: the routines add paint items.
class Canvas {
public:
    Canvas(BitmapSource& bitmaps, const LightingScheme& lighting, std::vector<PaintItem>& items,
           std::vector<std::string>* skipped)
        : bitmaps(bitmaps), lighting(lighting), items_(items), skipped_(skipped) {}

    BitmapSource& bitmaps;
    const LightingScheme& lighting;
    Placement toWindow;  // gauge pixels to window pixels: a scale and a move
    ClipBox clip;        // the gauge's box in window pixels
    std::string_view alias;  // the name items are marked with, kept by the caller
    int number{};  // drawing-order number of the element being drawn

    // The element's own bitmap; null, and noted as skipped, when the module
    // has none of that id (or the id is out of range).
    const Picture* Bitmap(const ElementState& state, std::optional<SINT32> id);
    // A bitmap the element may do without (a drum's window): null when absent.
    const Picture* Optional(std::optional<SINT32> id);

    // Bitmap `id` through `placement` (bitmap to gauge pixels), as the
    // element's image flags say, clipped to the gauge and to `window` (gauge
    // pixels) when given; `wrap` repeats it beyond its edges over the window.
    void AddBitmap(const ELEMENT_HEADER& header, SINT32 id, const Placement& placement,
                   const ClipBox* window = nullptr, bool wrap = false);
    // One line of text centred in the box (gauge pixels); colours 0x00BBGGRR
    // as the gauge's records hold them.
    void AddText(const ELEMENT_HEADER& header, const ClipBox& box, std::string utf8, std::string face, int weight,
                 UINT32 foreground, UINT32 background);

private:
    std::vector<PaintItem>& items_;
    std::vector<std::string>* skipped_;
};

// Adds the items of the instance placed as `alias`, every element in drawing
// order, placed into the window by canvas.toWindow and clipped to
// canvas.clip. False, with a reason, when the alias is unknown or has no
// elements. `posed`, when not empty, is drawn in place of what the elements
// show: a state of the instance set by a tool rather than by a frame.
bool AddGaugeItems(const Host& host, const std::string& alias, Canvas& canvas, std::string* error = nullptr,
                   std::span<const ElementState> posed = {});

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

}  // namespace panelhost
