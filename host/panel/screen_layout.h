// Where the simulator shows a panel configuration's windows on a screen of a
// given size: a computation only (no drawing library), shared by the screen
// picture and the live page.
//
// How a window is placed:
// - Its size: window_size (fractions of the screen's width and height; a
//   width alone, the height following the window's aspect), else its design
//   size (size_mm, the height following the window picture where size_mm
//   gives a width only) scaled by the screen's width over the main panel's
//   design width, the same factor on both axes, and by the window's
//   window_size_ratio. The main panel is
//   the window whose ident is MAIN_PANEL (0), else the first window. A
//   window so scaled that would overflow the screen is shrunk to fit,
//   keeping its aspect.
// - Its corner: window_pos (fractions of the screen), else `position`, the
//   nine places of the screen (0 top left, 1 top centre, ... 8 bottom right),
//   0 where neither is given.
// - Which: the visible windows and those named (by section, ident number or
//   ident name), never the virtual cockpit's textures nor windows of size 0.
// - In which order: by zorder (0 where absent), lower first, file order
//   among equals; each window covers those before it.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/panel/panel_config.h"

namespace panelhost {

struct ScreenSize {
    int width{}, height{};
};

struct PictureSize {
    double width{}, height{};
};

struct ScreenWindow {
    const PanelWindow* window{};
    double x{}, y{}, width{}, height{};  // screen pixels, x right, y down
    int zorder{};
};

struct ScreenLayout {
    std::vector<ScreenWindow> windows;  // bottom first
    std::vector<std::string> unknown;   // names asked for that match no window
};

// The size of a window's picture where the caller knows it (a background
// bitmap's size); nothing where it does not.
using PictureSizeOf = std::function<std::optional<PictureSize>(const PanelWindow&)>;

// True when `name` names the window: its section ("Window03"), its ident
// number ("50") or its ident's window name ("RADIO_STACK_PANEL"), in any case.
bool ScreenWindowNamed(const PanelWindow& window, std::string_view name);

// The windows of `config` on a screen of `screen` pixels, with the windows
// named in `show` shown whether visible or not. Windows whose size cannot
// be known from size_mm or `pictureSize` take the main panel's width at a
// 4:3 aspect.
ScreenLayout LayOutScreen(const PanelConfig& config, ScreenSize screen, const std::vector<std::string>& show = {},
                          const PictureSizeOf& pictureSize = {});

}  // namespace panelhost
