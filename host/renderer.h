// Draws a placed gauge instance as the panel host would after the last
// frame: the gauge's bitmaps composed in drawing order from what each
// element shows. The picture is the size of the instance's first element's
// bitmap (the background).
//
// Per kind (the draw routines below, named in each kind's row of element_kinds.h):
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
//   string        not drawn (no bitmap; the host has no fonts).
// Image flag 0x1 makes black (0,0,0) transparent; flag 0x80 samples
// bilinearly (edges and turned images smoothed), else nearest pixel.
// Hidden elements (failure action 3) are skipped, their next lists drawn on
// their own. An element whose bitmap is missing or unusable is skipped and
// reported; a picture needs only its background.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/bitmap_source.h"
#include "host/panel_host.h"

namespace panelhost {

// The picture being drawn, as each element kind's draw routine (the `draw`
// slot of its row in element_kinds.h) sees it: the picture so far, the
// module's bitmaps and the element being drawn.
class Canvas {
public:
    Canvas(Picture& picture, BitmapSource& bitmaps, std::vector<std::string>* skipped)
        : picture(picture), bitmaps(bitmaps), skipped(skipped) {}

    Picture& picture;
    BitmapSource& bitmaps;
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

// Draws the instance placed as `alias` into `picture`. False, with a reason
// in *error, when the alias is unknown or the background bitmap cannot be
// had. Elements skipped for a missing or unusable bitmap are listed in
// *skipped ("element N: bitmap ID missing").
bool RenderInstance(const Host& host, const std::string& alias, BitmapSource& bitmaps, Picture& picture,
                    std::string* error = nullptr, std::vector<std::string>* skipped = nullptr);

// Writes a picture as a 24-bit BMP file or, for a name ending in ".png"
// (any case), a PNG file. False with a reason when it cannot be written.
bool WritePicture(const Picture& picture, const std::string& path, std::string* error = nullptr);

// The file images themselves, for tests.
std::vector<std::uint8_t> EncodeBmp(const Picture& picture);
std::vector<std::uint8_t> EncodePng(const Picture& picture);

// Places the gauge alone (with its parameters text, if any), connects, runs
// one frame and renders it: what `panelhost preview` writes.
bool PreviewGauge(Host& host, const std::string& gauge, const std::optional<std::string>& params,
                  BitmapSource& bitmaps, Picture& picture, std::string* error = nullptr,
                  std::vector<std::string>* skipped = nullptr);

}  // namespace panelhost
