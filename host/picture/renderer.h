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
//   sprite        the texture, lying at the element's position, moved by
//                 the shown shift, turned clockwise by the shown rotation
//                 about its centre (the element's offset, a point of the
//                 gauge: offset - position inside the texture) and scaled by
//                 its texture scale about it; clipped to a window the size
//                 of bitmap id + 1 at the position when the module has one,
//                 which the texture fills, repeating beyond its edges;
//   string        the text the routine left in the buffer, one line centred
//                 in the text box, in the element's face (by name, as the
//                 painter's system finds it) and weight, foreground colour over the
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
// The elements become a display list (display_list.h) that the system's
// painter paints (painter.h: cairo natively, GDI+ under Windows).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/picture/bitmap_source.h"
#include "host/picture/display_list.h"
#include "host/picture/gauge_canvas.h"
#include "host/picture/lighting.h"
#include "host/core/panel_host.h"

namespace panelhost {

// Draws the instance placed as `alias` into `picture`. False, with a reason
// in *error, when the alias is unknown or the background bitmap cannot be
// had. Elements skipped for a missing or unusable bitmap are listed in
// *skipped ("element N: bitmap ID missing").
// Transparent parts of the gauge are black in the picture.
bool RenderInstance(const Host& host, const std::string& alias, BitmapSource& bitmaps, Picture& picture,
                    std::string* error = nullptr, std::vector<std::string>* skipped = nullptr,
                    const LightingScheme& lighting = {});

// Writes a picture as a 24-bit BMP file or, for a name ending in ".png"
// (any case), a compressed PNG file written by the painter. False with a reason
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
