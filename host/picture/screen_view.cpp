#include "host/picture/screen_view.h"

#include "host/picture/renderer.h"

#if defined(QR_DRAWING)

#include <algorithm>
#include <cmath>
#include <map>
#include <ostream>

#include "host/picture/display_list.h"
#include "host/picture/drawing.h"
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

    SurfacePtr canvas = NewCanvas(size.width, size.height);
    if (!canvas) {
        if (error) {
            *error = "cannot make a picture of " + std::to_string(size.width) + "x" + std::to_string(size.height);
        }
        return false;
    }
    cairo_t* cr = cairo_create(canvas.get());
    cairo_set_source_rgb(cr, ((desktopRgb >> 16) & 0xFF) / 255.0, ((desktopRgb >> 8) & 0xFF) / 255.0,
                         (desktopRgb & 0xFF) / 255.0);
    cairo_paint(cr);
    SurfaceCache surfaces;
    for (const ScreenWindow& placedWindow : layout.windows) {
        const auto found = lists.find(placedWindow.window);
        if (found == lists.end()) continue;
        // Each window painted straight at screen resolution, inside its rectangle.
        const WindowList& list = found->second;
        cairo_save(cr);
        cairo_rectangle(cr, placedWindow.x, placedWindow.y, placedWindow.width, placedWindow.height);
        cairo_clip(cr);
        cairo_translate(cr, placedWindow.x, placedWindow.y);
        cairo_scale(cr, placedWindow.width / list.width, placedWindow.height / list.height);
        PaintList(cr, list, bitmaps, placed.backgrounds.get(), surfaces);
        cairo_restore(cr);
        const PanelWindow& window = *placedWindow.window;
        out << "  " << window.section;
        if (!window.title.empty()) out << ' ' << Quoted(window.title);
        out << " at "
            << std::lround(placedWindow.x) << "," << std::lround(placedWindow.y) << ", "
            << std::lround(placedWindow.width) << "x" << std::lround(placedWindow.height) << ", zorder "
            << placedWindow.zorder << '\n';
    }
    cairo_destroy(cr);
    if (!WritePngFile(canvas.get(), request.path, error)) return false;
    out << request.path << ": screen " << size.width << "x" << size.height << ", " << layout.windows.size()
        << " windows\n";
    return true;
}

}  // namespace panelhost

#else  // a host without drawing

namespace panelhost {

bool WriteScreenPicture(const Host&, PlacedPanel&, BitmapSource&, const ScreenRequest&, std::ostream&,
                        std::string* error) {
    if (error) *error = NoDrawingReason();
    return false;
}

}  // namespace panelhost

#endif
