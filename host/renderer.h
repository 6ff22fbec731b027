// Draws a placed gauge instance as the panel host would after the last
// frame: the gauge's bitmaps composed in drawing order from what each
// element shows. The picture is the size of the instance's first element's
// bitmap (the background).
//
// Per kind:
//   static image  the bitmap at the element's position (kinds the host does
//                 not know are drawn the same way);
//   needle        the bitmap, pointing along +x as drawn, turned clockwise
//                 (screen y down) by the shown angle about its pivot (the
//                 element's offset inside the bitmap), the pivot on the
//                 element's position;
//   slider        the bitmap moved by the shown shift in pixels;
//   icon          bitmap id + shown image at the position; none for -1;
//   moving image  a strip seen through a window at the element's position:
//                 the window is as large as bitmap id + 1 when the module
//                 has one, else the whole strip across its travel and one
//                 eleventh of it along (drums of the digits 0 to 9 and a
//                 second 0). Along each axis that has a source token or
//                 routine, the strip is moved by the shown fraction of its
//                 travel (strip length less window length): at fraction 0
//                 the window shows the strip's start (top or left), at 1 its
//                 end;
//   sprite        the texture moved by the shown shift, turned clockwise by
//                 the shown rotation about its centre (the element's offset
//                 inside the texture, drawn at position + offset + shift) and
//                 scaled by its texture scale; clipped to a window the size
//                 of bitmap id + 1 at the position when the module has one;
//   string        the text the routine left in the buffer, one line centred
//                 in the text box, in the element's face (by name, through
//                 fontconfig) and weight, foreground colour over the
//                 background colour (a black background is left out with
//                 transparency).
// Image flag 0x1 makes black (0,0,0) transparent; flag 0x80 samples
// bilinearly (edges and turned images smoothed), else nearest pixel.
// Hidden elements (failure action 3) are skipped, their next lists drawn on
// their own. An element whose bitmap is missing or unusable is skipped and
// reported; a picture needs only its background.
//
// By night (lighting.h) elements without the bright (0x4) or luminous
// (0x4000) flag are dimmed, luminous ones are lit as the panel lights light
// them and bright ones keep their full brightness.
//
// Drawing is cairo's and native only: the Windows host draws nothing and
// says so (DrawingBuilt).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/bitmap_source.h"
#include "host/lighting.h"
#include "host/panel_host.h"

#if defined(QR_DRAWING)
#include "host/drawing.h"
#endif

struct _cairo;  // cairo_t

namespace panelhost {

class SurfaceCache;

// False in a host built without drawing (Windows), whose `render`, `preview`
// and `panel` give NoDrawingReason().
bool DrawingBuilt();
std::string NoDrawingReason();

// The picture being drawn, as each element kind's draw routine (the `draw`
// slot of its row in element_kinds.h) sees it: the
// cairo context (already moved and scaled to the gauge), the module's
// bitmaps and the element being drawn.
class Canvas {
public:
    Canvas(_cairo* cr, BitmapSource& bitmaps, SurfaceCache& surfaces, Lighting lighting,
           std::vector<std::string>* skipped)
        : cr(cr), bitmaps(bitmaps), surfaces(surfaces), lighting(lighting), skipped(skipped) {}

    _cairo* cr;
    BitmapSource& bitmaps;
    SurfaceCache& surfaces;
    Lighting lighting;
    int number{};  // drawing-order number of the element being drawn

    // The element's own bitmap; null, and noted as skipped, when the module
    // has none of that id (or the id is out of range).
    const Picture* Bitmap(const ElementState& state, std::optional<SINT32> id);
    // A bitmap the element may do without (a drum's window): null when absent.
    const Picture* Optional(std::optional<SINT32> id);

private:
    std::vector<std::string>* skipped;
};

// Draw routines per element kind.
void DrawStaticImage(Canvas& canvas, const ElementState& state);
void DrawNeedle(Canvas& canvas, const ElementState& state);
void DrawSlider(Canvas& canvas, const ElementState& state);
void DrawIcon(Canvas& canvas, const ElementState& state);
void DrawMovingImage(Canvas& canvas, const ElementState& state);
void DrawSprite(Canvas& canvas, const ElementState& state);
void DrawString(Canvas& canvas, const ElementState& state);

// Draws the instance placed as `alias` into `picture`. False, with a reason
// in *error, when the alias is unknown or the background bitmap cannot be
// had. Elements skipped for a missing or unusable bitmap are listed in
// *skipped ("element N: bitmap ID missing").
// Transparent parts of the gauge are black in the picture.
bool RenderInstance(const Host& host, const std::string& alias, BitmapSource& bitmaps, Picture& picture,
                    std::string* error = nullptr, std::vector<std::string>* skipped = nullptr,
                    Lighting lighting = Lighting::Day);

#if defined(QR_DRAWING)
// The same as a canvas the size of the background with its transparency
// kept (what a panel window scales into a gauge's box); null on failure.
SurfacePtr RenderInstanceCanvas(const Host& host, const std::string& alias, BitmapSource& bitmaps,
                                SurfaceCache& surfaces, Lighting lighting, std::string* error = nullptr,
                                std::vector<std::string>* skipped = nullptr);
#endif

// Writes a picture as a 24-bit BMP file or, for a name ending in ".png"
// (any case), a compressed PNG file written by cairo. False with a reason
// when it cannot be written.
bool WritePicture(const Picture& picture, const std::string& path, std::string* error = nullptr);

// The BMP file image itself, for tests.
std::vector<std::uint8_t> EncodeBmp(const Picture& picture);
bool EndsWithPng(const std::string& path);

// Places the gauge alone (with its parameters text, if any), connects, runs
// one frame and renders it: what `panelhost preview` writes.
bool PreviewGauge(Host& host, const std::string& gauge, const std::optional<std::string>& params,
                  BitmapSource& bitmaps, Picture& picture, std::string* error = nullptr,
                  std::vector<std::string>* skipped = nullptr, Lighting lighting = Lighting::Day);

}  // namespace panelhost
