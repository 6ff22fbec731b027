#include "host/picture/panel_view.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <iterator>
#include <ostream>
#include <memory>

#include "host/picture/bitmap_source.h"
#include "host/picture/renderer.h"

namespace panelhost {

namespace {

std::string Where(const PlacedPanel& placed, int line) { return placed.config.name + ":" + std::to_string(line) + ": "; }

// The table's name for a gauge named in any case, or nothing.
std::optional<std::string> GaugeNamed(const Host& host, const std::string& name) {
    if (host.FindGauge(name)) return name;
    for (const GaugeEntry& entry : host.Gauges()) {
        if (SameWord(entry.name, name)) return entry.name;
    }
    return std::nullopt;
}

}  // namespace

bool NamesThisModule(std::string_view module) {
    if (module.size() > 4 && SameWord(module.substr(module.size() - 4), ".gau")) module.remove_suffix(4);
    return SameWord(module, thisModuleName);
}

PlacedPanel PlacePanel(Host& host, PanelConfig config, const std::string& folder) {
    PlacedPanel placed;
    placed.config = std::move(config);
    placed.folder = folder;
    placed.errors = placed.config.errors;
    placed.backgrounds = std::make_shared<PanelBackgrounds>(folder);
    // Windows and virtual-cockpit textures alike: a panel of textures only
    // is a panel.
    if (placed.config.windows.empty() && placed.errors.empty()) {
        placed.errors.push_back(Where(placed, 1) + "expected at least one [WindowNN] or [VcockpitNN] section");
    }
    for (const PanelWindow& window : placed.config.windows) {
        for (const PanelGauge& entry : window.gauges) {
            PlacedGauge& gauge = placed.gauges.emplace_back(PlacedGauge{.window = &window, .entry = &entry, .alias = {}});
            if (!NamesThisModule(entry.module)) continue;
            const auto name = GaugeNamed(host, entry.gauge);
            if (!name) {
                placed.errors.push_back(Where(placed, entry.line) + "expected a gauge of " +
                                        std::string(thisModuleName) + " (panelhost gauges lists them), found \"" +
                                        Utf8FromWindows1252(entry.gauge) + "\"");
                continue;
            }
            const std::string alias = window.section + "." + entry.key;
            std::string error;
            if (!host.Place(*name, alias, entry.params, &error)) {
                placed.errors.push_back(Where(placed, entry.line) + "expected " + alias + " to be placed: " + error);
                continue;
            }
            gauge.alias = alias;
        }
    }
    return placed;
}

PlacedPanel PlacePanelFile(Host& host, const std::string& path) {
    return PlacePanel(host, ReadPanelConfig(path), std::filesystem::path(path).parent_path().string());
}

}  // namespace panelhost

#if defined(QR_DRAWING)

#include "host/picture/drawing.h"

namespace panelhost {

namespace {

// Pixels that one configuration may have drawn, windows and gauges
// together: some fifty full-size windows, far more than any panel asks.
constexpr double maxPixelsPerConfiguration = 800e6;
// Longest file name the file systems we write to take.
constexpr std::size_t maxFileNameBytes = 255;

bool WriteList(const WindowList& list, const PlacedPanel& placed, BitmapSource& bitmaps, SurfaceCache& surfaces,
               const std::string& path, std::string* error) {
    const SurfacePtr canvas = PaintedList(list, bitmaps, placed.backgrounds.get(), surfaces);
    if (!canvas) {
        if (error) *error = list.section + ": cannot make a picture of " + std::to_string(list.width) + "x" +
                            std::to_string(list.height);
        return false;
    }
    return WritePngFile(canvas.get(), path, error);
}

std::string Summary(const PlacedPanel& placed, const PanelWindow& window, const WindowList& list) {
    const auto gauges = std::count_if(placed.gauges.begin(), placed.gauges.end(),
                                      [&](const PlacedGauge& gauge) { return gauge.window == &window; });
    return window.section + (window.title.empty() ? "" : " \"" + window.title + "\"") + ", " +
           std::to_string(list.width) + "x" + std::to_string(list.height) + ", " + std::to_string(gauges) +
           " gauges";
}

}  // namespace

bool WritePanelWindow(const Host& host, PlacedPanel& placed, const PanelWindow& window, BitmapSource& bitmaps,
                      Lighting lighting, const std::string& path, std::string* error, std::string* summary) {
    const WindowList list =
        ComputeWindowList(host, placed, window, bitmaps, PanelLighting(lighting, placed.config.colours), &placed.errors);
    SurfaceCache surfaces;
    if (!WriteList(list, placed, bitmaps, surfaces, path, error)) return false;
    if (summary) *summary = Summary(placed, window, list);
    return true;
}

bool WritePanelPictures(const Host& host, PlacedPanel& placed, BitmapSource& bitmaps, Lighting lighting,
                        const std::string& folder, std::ostream& out, std::string* error) {
    std::error_code problem;
    if (!folder.empty()) std::filesystem::create_directories(folder, problem);
    const LightingScheme scheme = PanelLighting(lighting, placed.config.colours);
    SurfaceCache surfaces;  // each bitmap converted once for all the windows
    double pixels = 0;
    for (const PanelWindow& window : placed.config.windows) {
        const std::string name = PictureName(window) + ".png";
        if (name.size() > maxFileNameBytes) {
            placed.errors.push_back(Where(placed, window.line) + "expected a section name of at most " +
                                    std::to_string(maxFileNameBytes - 4) + " characters, the name of its picture; " +
                                    "the window is not drawn");
            continue;
        }
        const WindowList list = ComputeWindowList(host, placed, window, bitmaps, scheme, &placed.errors);
        pixels += PixelsToPaint(list);
        if (pixels > maxPixelsPerConfiguration) {
            placed.errors.push_back(Where(placed, window.line) + "expected at most " +
                                    std::to_string(int(maxPixelsPerConfiguration / 1e6)) +
                                    " million pixels drawn for the whole configuration; " + window.section +
                                    " and the windows after it are not drawn");
            break;
        }
        const std::string path = (std::filesystem::path(folder.empty() ? "." : folder) / name).string();
        if (!WriteList(list, placed, bitmaps, surfaces, path, error)) return false;
        out << path << ": " << Summary(placed, window, list) << '\n';
    }
    return true;
}

}  // namespace panelhost

#else  // a host without drawing

namespace panelhost {

bool WritePanelPictures(const Host&, PlacedPanel&, BitmapSource&, Lighting, const std::string&, std::ostream&,
                        std::string* error) {
    if (error) *error = NoDrawingReason();
    return false;
}

bool WritePanelWindow(const Host&, PlacedPanel&, const PanelWindow&, BitmapSource&, Lighting, const std::string&,
                      std::string* error, std::string*) {
    if (error) *error = NoDrawingReason();
    return false;
}

}  // namespace panelhost

#endif
