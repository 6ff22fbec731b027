// Drawing with cairo and pango: the canvas a gauge or a panel window is drawn
// on, the module's bitmaps as cairo image surfaces (black made transparent,
// lighting applied), text in the faces the gauges name, and PNG files.
// Native builds only: the Windows host has no drawing.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>

#include <cairo.h>

#include "host/picture/bitmap_source.h"
#include "host/picture/display_list.h"
#include "host/picture/lighting.h"
#include "host/picture/panel_backgrounds.h"
#include "module/gauge_records.h"

namespace panelhost {

struct SurfaceDeleter {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
using SurfacePtr = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;

// An empty (transparent) ARGB canvas; null when cairo cannot make one.
SurfacePtr NewCanvas(int width, int height);

// The decoded bitmaps as image surfaces, made once for each way an element
// draws them. Pictures are known by address: sources keep them in place.
class SurfaceCache {
public:
    cairo_surface_t* Get(const Picture& picture, bool blackTransparent, const Light& light);

private:
    std::map<std::tuple<const Picture*, bool, Light>, SurfacePtr> surfaces_;
};

// Draws the surface through `placement` (surface space to canvas space),
// sampled bilinearly or by nearest pixel; wrapped, it repeats beyond its
// edges over everything the clip lets through.
void PaintSurface(cairo_t* cr, cairo_surface_t* surface, const cairo_matrix_t& placement, bool bilinear,
                  bool wrap = false);

// Colours 0x00RRGGBB.
struct TextStyle {
    std::string face;  // family name, resolved through fontconfig
    int weight{400};
    UINT32 foreground{};
    UINT32 background{};
    bool transparentBlack{};  // a black background is not painted
    Light light;
};

// One line of text centred in the box (x, y, width, height), over the
// background colour, in the face by name (through fontconfig, with the
// project's substitutions), sized to the box.
void DrawTextBox(cairo_t* cr, double x, double y, double width, double height, std::string_view utf8,
                 const TextStyle& style);

// The family fontconfig picks for a face name, with the project's
// substitutions (e.g. "Arial" -> "Liberation Sans").
std::string ResolvedFontFamily(const std::string& face);

// The canvas as an RGB picture over `under` (transparent parts show it).
Picture PictureFromCanvas(cairo_surface_t* canvas, Rgb under = {});
// An RGB picture as an opaque canvas.
SurfacePtr CanvasFromPicture(const Picture& picture);

// Paints a display list onto the context, item by item: module bitmaps by
// id from `bitmaps`, window backgrounds by section from `backgrounds` (none
// without), each converted once through `surfaces`.
void PaintList(cairo_t* cr, const WindowList& list, BitmapSource& bitmaps, const PanelBackgrounds* backgrounds,
               SurfaceCache& surfaces);
// The list painted on a transparent canvas of its size; null when cairo
// cannot make one.
SurfacePtr PaintedList(const WindowList& list, BitmapSource& bitmaps, const PanelBackgrounds* backgrounds,
                       SurfaceCache& surfaces);

// A compressed PNG file written by cairo. False with a reason.
bool WritePngFile(cairo_surface_t* surface, const std::string& path, std::string* error = nullptr);

}  // namespace panelhost
