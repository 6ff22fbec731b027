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
// (0x4000) flag take the unlit tint, luminous ones are lit as the panel
// lights light them and bright ones keep their full brightness.
//
// The elements become a display list (display_list.h) that the cairo
// painter paints. Painting is native only: the Windows host computes lists
// but paints nothing and says so (DrawingBuilt).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "host/bitmap_source.h"
#include "host/display_list.h"
#include "host/lighting.h"
#include "host/panel_host.h"

#if defined(QR_DRAWING)
#include "host/drawing.h"
#endif

namespace panelhost {

// False in a host built without drawing (Windows), whose `render`, `preview`
// and `panel` give NoDrawingReason().
bool DrawingBuilt();
std::string NoDrawingReason();

// The list a gauge is drawn into, as each element kind's draw routine (the
// `draw` slot of its row in element_kinds.h) sees it: the module's bitmaps,
// the light, where the gauge lies in the window (its pixels to the window's,
// and the box it is clipped to) and the element being drawn. No drawing
// library is involved: the routines add paint items.
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

// Draw routines per element kind.
void DrawStaticImage(Canvas& canvas, const ElementState& state);
void DrawNeedle(Canvas& canvas, const ElementState& state);
void DrawSlider(Canvas& canvas, const ElementState& state);
void DrawIcon(Canvas& canvas, const ElementState& state);
void DrawMovingImage(Canvas& canvas, const ElementState& state);
void DrawSprite(Canvas& canvas, const ElementState& state);
void DrawString(Canvas& canvas, const ElementState& state);

// Adds the items of the instance placed as `alias`, every element in drawing
// order, placed into the window by canvas.toWindow and clipped to
// canvas.clip. False, with a reason, when the alias is unknown or has no
// elements. `posed`, when not empty, is drawn in place of what the elements
// show: a state of the instance set by a tool rather than by a frame.
bool AddGaugeItems(const Host& host, const std::string& alias, Canvas& canvas, std::string* error = nullptr,
                   std::span<const ElementState> posed = {});

// Draws the instance placed as `alias` into `picture`. False, with a reason
// in *error, when the alias is unknown or the background bitmap cannot be
// had. Elements skipped for a missing or unusable bitmap are listed in
// *skipped ("element N: bitmap ID missing").
// Transparent parts of the gauge are black in the picture.
bool RenderInstance(const Host& host, const std::string& alias, BitmapSource& bitmaps, Picture& picture,
                    std::string* error = nullptr, std::vector<std::string>* skipped = nullptr,
                    const LightingScheme& lighting = {});

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
                  std::vector<std::string>* skipped = nullptr, const LightingScheme& lighting = {});

}  // namespace panelhost
