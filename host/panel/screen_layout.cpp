#include "host/panel/screen_layout.h"

#include <algorithm>
#include <charconv>

namespace panelhost {

namespace {

std::optional<int> IdentNamed(std::string_view name) {
    int number = 0;
    const auto [end, problem] = std::from_chars(name.data(), name.data() + name.size(), number);
    if (!name.empty() && problem == std::errc{} && end == name.data() + name.size()) return number;
    return PanelWindowByName(name);
}

// Design units of a window, or nothing where neither size_mm nor its
// picture tells them.
std::optional<PictureSize> DesignSize(const PanelWindow& window, const PictureSizeOf& pictureSize) {
    const std::optional<PictureSize> picture = pictureSize ? pictureSize(window) : std::nullopt;
    const bool pictureKnown = picture && picture->width > 0 && picture->height > 0;
    if (window.sizeWidth && window.sizeHeight) {
        return PictureSize{double(*window.sizeWidth), double(*window.sizeHeight)};
    }
    if (window.sizeWidth && pictureKnown) {
        return PictureSize{double(*window.sizeWidth), *window.sizeWidth * picture->height / picture->width};
    }
    if (!window.sizeWidth && pictureKnown) return picture;
    return std::nullopt;
}

}  // namespace

bool ScreenWindowNamed(const PanelWindow& window, std::string_view name) {
    if (SameWord(window.section, name)) return true;
    if (!window.identName.empty() && SameWord(window.identName, name)) return true;
    const std::optional<int> ident = IdentNamed(name);
    return ident && window.ident == ident;
}

ScreenLayout LayOutScreen(const PanelConfig& config, ScreenSize screen, const std::vector<std::string>& show,
                          const PictureSizeOf& pictureSize) {
    ScreenLayout layout;
    for (const std::string& name : show) {
        const bool found = std::any_of(config.windows.begin(), config.windows.end(), [&](const PanelWindow& window) {
            return !window.virtualCockpit && ScreenWindowNamed(window, name);
        });
        if (!found) layout.unknown.push_back(name);
    }
    if (screen.width <= 0 || screen.height <= 0) return layout;
    const double screenW = screen.width, screenH = screen.height;

    const PanelWindow* main = nullptr;
    for (const PanelWindow& window : config.windows) {
        if (window.virtualCockpit || NothingToDraw(window)) continue;
        if (!main || (window.ident == 0 && main->ident != 0)) main = &window;
    }
    if (!main) return layout;
    const std::optional<PictureSize> mainDesign = DesignSize(*main, pictureSize);
    const double mainWidth = mainDesign ? mainDesign->width : screenW;
    const double scale = screenW / mainWidth;

    for (const PanelWindow& window : config.windows) {
        if (window.virtualCockpit) continue;
        const bool named = std::any_of(show.begin(), show.end(),
                                       [&](const std::string& name) { return ScreenWindowNamed(window, name); });
        if ((!window.visible && !named) || NothingToDraw(window)) continue;
        ScreenWindow placed{.window = &window, .zorder = window.zorder.value_or(0)};
        const PictureSize design = DesignSize(window, pictureSize).value_or(PictureSize{mainWidth, mainWidth * 3 / 4});
        if (window.screenWidth && window.screenHeight) {
            placed.width = *window.screenWidth * screenW;
            placed.height = *window.screenHeight * screenH;
        } else if (window.screenWidth) {
            placed.width = *window.screenWidth * screenW;
            placed.height = placed.width * design.height / design.width;
            const double fit = std::min(1.0, screenH / placed.height);  // keeping its aspect
            placed.width *= fit;
            placed.height *= fit;
        } else {
            const double ratio = window.sizeRatio.value_or(1);
            placed.width = design.width * scale * ratio;
            placed.height = design.height * scale * ratio;
            const double fit = std::min({1.0, screenW / placed.width, screenH / placed.height});
            placed.width *= fit;
            placed.height *= fit;
        }
        if (window.screenX && window.screenY) {
            placed.x = *window.screenX * screenW;
            placed.y = *window.screenY * screenH;
        } else {
            const int position = window.position.value_or(0);
            placed.x = (position % 3) * (screenW - placed.width) / 2;
            placed.y = (position / 3) * (screenH - placed.height) / 2;
        }
        layout.windows.push_back(placed);
    }
    std::stable_sort(layout.windows.begin(), layout.windows.end(),
                     [](const ScreenWindow& a, const ScreenWindow& b) { return a.zorder < b.zorder; });
    return layout;
}

}  // namespace panelhost
