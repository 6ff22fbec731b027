#include "host/picture/screen_view.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <ostream>

#include "host/picture/display_list.h"
#include "host/picture/painter.h"
#include "host/core/messages.h"

namespace panelhost {

namespace {

// What the screen shows where no window lies.
constexpr std::uint32_t desktopRgb = 0x101418;

}  // namespace

bool WriteScreenPicture(const Host& host, PlacedPanel& placed, BitmapSource& bitmaps, const ScreenRequest& request,
                        std::ostream& out, std::string* error) {
    const ScreenSize size = request.size;
    if (size.width <= 0 || size.height <= 0 || size.width > maxBitmapSide || size.height > maxBitmapSide) {
        if (error) *error = "a screen from 1x1 to " + std::to_string(maxBitmapSide) + "x" +
                            std::to_string(maxBitmapSide) + " pixels was expected";
        return false;
    }

    // What every window that may be shown paints, in its own pixels.
    const LightingScheme scheme = PanelLighting(request.lighting, placed.config.colours);
    std::map<const PanelWindow*, WindowList> lists;
    for (const PanelWindow& window : placed.config.windows) {
        if (window.virtualCockpit) continue;
        const bool named = std::any_of(request.show.begin(), request.show.end(),
                                       [&](const std::string& name) { return ScreenWindowNamed(window, name); });
        if (!window.visible && !named) continue;
        WindowList list = ComputeWindowList(host, placed, window, bitmaps, scheme, &placed.errors);
        if (list.width > 0 && list.height > 0) lists.emplace(&window, std::move(list));
    }
    const ScreenLayout layout =
        LayOutScreen(placed.config, size, request.show, [&](const PanelWindow& window) -> std::optional<PictureSize> {
            const auto found = lists.find(&window);
            if (found == lists.end()) return std::nullopt;
            return PictureSize{double(found->second.width), double(found->second.height)};
        });
    for (const std::string& name : layout.unknown) {
        placed.errors.push_back("panelhost: screen: expected --show to name a window (a section, an ident number "
                                "or a window name), found " + Quoted(name));
    }

    Painting painting(size.width, size.height);
    if (!painting.Made()) {
        if (error) {
            *error = "cannot make a picture of " + std::to_string(size.width) + "x" + std::to_string(size.height);
        }
        return false;
    }
    painting.Fill(desktopRgb);
    Painter painter(bitmaps, placed.backgrounds.get());
    for (const ScreenWindow& placedWindow : layout.windows) {
        const auto found = lists.find(placedWindow.window);
        if (found == lists.end()) continue;
        // Each window painted straight at screen resolution, inside its rectangle.
        const ClipBox into{placedWindow.x, placedWindow.y, placedWindow.width, placedWindow.height};
        painting.Paint(found->second, painter, &into);
        const PanelWindow& window = *placedWindow.window;
        out << "  " << window.section;
        if (!window.title.empty()) out << ' ' << Quoted(window.title);
        out << " at "
            << std::lround(placedWindow.x) << "," << std::lround(placedWindow.y) << ", "
            << std::lround(placedWindow.width) << "x" << std::lround(placedWindow.height) << ", zorder "
            << placedWindow.zorder << '\n';
    }
    if (!WritePngFile(painting, request.path, error)) return false;
    out << request.path << ": screen " << size.width << "x" << size.height << ", " << layout.windows.size()
        << " windows\n";
    return true;
}

}  // namespace panelhost
