// The screen as the simulator shows a panel: each window's display list
// painted at its place on a screen of the given size (host/panel/screen_layout.h),
// in zorder, over a dark desktop. Drawn by native hosts only.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "host/picture/lighting.h"
#include "host/picture/panel_view.h"
#include "host/panel/screen_layout.h"

namespace panelhost {

struct ScreenRequest {
    ScreenSize size;
    Lighting lighting{Lighting::Day};
    std::vector<std::string> show;  // windows shown whether visible or not
    std::string path;               // the PNG written
};

// Draws the placed panel's windows on one screen picture and tells each
// window's rectangle on `out`. Problems met while drawing a window are added
// to placed.errors; a name of `show` that matches no window is one error
// too. False (with `error`) when the picture cannot be made or written.
bool WriteScreenPicture(const Host& host, PlacedPanel& placed, BitmapSource& bitmaps, const ScreenRequest& request,
                        std::ostream& out, std::string* error = nullptr);

}  // namespace panelhost
