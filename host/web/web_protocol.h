// The live page's wire form of what the panel windows show: each window's
// display list as JSON, and after the first frame only what changed.
//
// A window update: {"s": section, "w": width, "h": height, "n": item count,
// "set": [[index, item], ...]}; items past "n" are dropped by the page, items
// not in "set" are kept as they were. An item holds only what differs from
// the defaults of PaintItem:
//   "k"  kind: "f" fill, "b" bitmap, "t" text
//   "c"  clip [x, y, w, h]        "l"  light [r, g, b] (absent: plain)
//   "i"  module bitmap id         "g"  background of the named window
//   "p"  placement [xx, yx, xy, yy, x0, y0]
//   "bt" black transparent        "bi" bilinear
//   "x"  box [x, y, w, h]         "tx" text, "f" face, "wt" weight
//   "fg" text or fill colour 0xRRGGBB, "bg" colour behind the text,
//   "tb" no colour behind the text, "a" alpha,
//   "al" the placed gauge it belongs to ("Window00.gauge05").
#pragma once

#include <nlohmann/json.hpp>

#include "host/picture/bitmap_source.h"  // the backgrounds the lists name
#include "host/picture/display_list.h"

namespace panelhost {

// JSON as text for the wire. Texts are converted to UTF-8 where they come
// in; a byte that is still not UTF-8 shows as U+FFFD rather than ending
// the server.
std::string JsonText(const nlohmann::json& json);

nlohmann::json PaintItemJson(const PaintItem& item);

// The whole window, as the first frame sends it.
nlohmann::json WindowListJson(const WindowList& list);

// What changed from `before` to `after` (the same window): null when nothing
// did. A change of size sends the whole list.
nlohmann::json WindowListChanges(const WindowList& before, const WindowList& after);

}  // namespace panelhost
