#include "host/screen_view.h"

#include "host/renderer.h"

#if defined(QR_DRAWING)

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <ostream>
#include <random>

#include "host/drawing.h"
#include "host/messages.h"

namespace panelhost {

namespace {

// What the screen shows where no window lies.
constexpr std::uint32_t desktopRgb = 0x101418;

// A folder of its own for the window pictures, removed when done.
class ScratchFolder {
public:
    ScratchFolder() {
        std::error_code problem;
        const std::filesystem::path base = std::filesystem::temp_directory_path(problem);
        std::random_device random;
        path_ = base / ("panelhost-screen-" + std::to_string(random()));
        made_ = !problem && std::filesystem::create_directory(path_, problem) && !problem;
    }
    ~ScratchFolder() {
        std::error_code problem;
        if (made_) std::filesystem::remove_all(path_, problem);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    bool Made() const { return made_; }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
    bool made_{};
};

}  // namespace

bool WriteScreenPicture(const Host& host, PlacedPanel& placed, BitmapSource& bitmaps, const ScreenRequest& request,
                        std::ostream& out, std::string* error) {
    const ScreenSize size = request.size;
    if (size.width <= 0 || size.height <= 0 || size.width > maxBitmapSide || size.height > maxBitmapSide) {
        if (error) *error = "a screen from 1x1 to " + std::to_string(maxBitmapSide) + "x" +
                            std::to_string(maxBitmapSide) + " pixels was expected";
        return false;
    }
    ScratchFolder scratch;
    if (!scratch.Made()) {
        if (error) *error = "no folder for the window pictures in the temporary folder";
        return false;
    }

    // Every window that may be shown, drawn as `panel` draws it.
    std::map<const PanelWindow*, SurfacePtr> pictures;
    for (const PanelWindow& window : placed.config.windows) {
        if (window.virtualCockpit) continue;
        const bool named = std::any_of(request.show.begin(), request.show.end(),
                                       [&](const std::string& name) { return ScreenWindowNamed(window, name); });
        if (!window.visible && !named) continue;
        const std::string file = scratch.File("window" + std::to_string(pictures.size()) + ".png");
        if (!WritePanelWindow(host, placed, window, bitmaps, request.lighting, file, error)) return false;
        SurfacePtr picture(cairo_image_surface_create_from_png(file.c_str()));
        if (cairo_surface_status(picture.get()) != CAIRO_STATUS_SUCCESS) {
            if (error) *error = window.section + ": its picture could not be read back";
            return false;
        }
        pictures.emplace(&window, std::move(picture));
    }
    const ScreenLayout layout =
        LayOutScreen(placed.config, size, request.show, [&](const PanelWindow& window) -> std::optional<PictureSize> {
            const auto found = pictures.find(&window);
            if (found == pictures.end()) return std::nullopt;
            return PictureSize{double(cairo_image_surface_get_width(found->second.get())),
                               double(cairo_image_surface_get_height(found->second.get()))};
        });
    for (const std::string& name : layout.unknown) {
        placed.errors.push_back("panelhost: screen: expected --show to name a window (a section, an ident number "
                                "or a window name), found " + Quoted(name));
    }

    SurfacePtr canvas = NewCanvas(size.width, size.height);
    if (!canvas) {
        if (error) *error = "cannot make a picture of " + std::to_string(size.width) + "x" + std::to_string(size.height);
        return false;
    }
    cairo_t* cr = cairo_create(canvas.get());
    cairo_set_source_rgb(cr, ((desktopRgb >> 16) & 0xFF) / 255.0, ((desktopRgb >> 8) & 0xFF) / 255.0,
                         (desktopRgb & 0xFF) / 255.0);
    cairo_paint(cr);
    for (const ScreenWindow& placedWindow : layout.windows) {
        const auto found = pictures.find(placedWindow.window);
        if (found == pictures.end()) continue;
        cairo_surface_t* picture = found->second.get();
        cairo_save(cr);
        cairo_rectangle(cr, placedWindow.x, placedWindow.y, placedWindow.width, placedWindow.height);
        cairo_clip(cr);
        cairo_translate(cr, placedWindow.x, placedWindow.y);
        cairo_scale(cr, placedWindow.width / cairo_image_surface_get_width(picture),
                    placedWindow.height / cairo_image_surface_get_height(picture));
        cairo_set_source_surface(cr, picture, 0, 0);
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
        cairo_paint(cr);
        cairo_restore(cr);
        const PanelWindow& window = *placedWindow.window;
        out << "  " << window.section << (window.title.empty() ? "" : " \"" + window.title + "\"") << " at "
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
