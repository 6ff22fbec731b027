#include "host/panel_view.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>

#include "host/bitmap_source.h"
#include "host/renderer.h"

namespace panelhost {

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool SameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

std::string Where(const PlacedPanel& placed, int line) { return placed.config.name + ":" + std::to_string(line) + ": "; }

// The table's name for a gauge named in any case, or nothing.
std::optional<std::string> GaugeNamed(const Host& host, const std::string& name) {
    if (host.FindGauge(name)) return name;
    for (const GaugeEntry& entry : host.Gauges()) {
        if (SameText(entry.name, name)) return entry.name;
    }
    return std::nullopt;
}

}  // namespace

bool NamesThisModule(std::string_view module) {
    if (module.size() > 4 && SameText(module.substr(module.size() - 4), ".gau")) module.remove_suffix(4);
    return SameText(module, thisModuleName);
}

PlacedPanel PlacePanel(Host& host, PanelConfig config, const std::string& folder) {
    PlacedPanel placed;
    placed.config = std::move(config);
    placed.folder = folder;
    placed.errors = placed.config.errors;
    if (placed.config.windows.empty() && placed.errors.empty()) {
        placed.errors.push_back(Where(placed, 1) + "expected at least one [WindowNN] section");
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

#include "host/drawing.h"

namespace panelhost {

namespace {

// A window without background bitmap or panel colour of its own.
constexpr std::uint32_t neutralPanelRgb = 0x3A3F45;
// Placeholders of other modules' gauges without a width of their own.
constexpr int placeholderSide = 100;
// Background bitmap files larger than this are not read.
constexpr std::uintmax_t maxBitmapFileBytes = 64u << 20;

// The file beside the configuration; on a machine whose files are named
// with regard to case, a name written in another case is found too.
std::filesystem::path FindBeside(const std::string& folder, const std::string& name) {
    namespace fs = std::filesystem;
    const fs::path base = folder.empty() ? fs::path(".") : fs::path(folder);
    std::string wanted = name;
    std::replace(wanted.begin(), wanted.end(), '\\', '/');
    const fs::path exact = base / wanted;
    std::error_code problem;
    if (fs::is_regular_file(exact, problem)) return exact;
    const fs::path parent = exact.parent_path();
    for (fs::directory_iterator it(parent, problem), end; !problem && it != end; it.increment(problem)) {
        if (SameText(it->path().filename().string(), exact.filename().string())) return it->path();
    }
    return exact;
}

bool LoadBackground(const PlacedPanel& placed, const PanelWindow& window, Picture& picture, std::string& why) {
    const std::filesystem::path path = FindBeside(placed.folder, window.file);
    std::error_code problem;
    const auto size = std::filesystem::file_size(path, problem);
    if (problem || !std::filesystem::is_regular_file(path, problem)) {
        why = "no such file";
        return false;
    }
    if (size > maxBitmapFileBytes) {
        why = "larger than " + std::to_string(maxBitmapFileBytes >> 20) + " MiB";
        return false;
    }
    std::ifstream file(path, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (!file && !file.eof()) {
        why = "cannot be read";
        return false;
    }
    return DecodeDib(bytes.data(), bytes.size(), picture, &why);
}

struct Box {
    double x, y, w, h;
};

// The gauge's box in design units: width as given or the gauge's default
// width, height as given or from the gauge picture's aspect.
Box GaugeBox(const PanelGauge& entry, double defaultWidth, int pictureWidth, int pictureHeight) {
    const double w = entry.width ? *entry.width : defaultWidth;
    const double h = entry.height ? *entry.height
                                  : (pictureWidth > 0 ? w * pictureHeight / pictureWidth : w);
    return Box{double(entry.x), double(entry.y), w, h};
}

Box PlaceholderBox(const PanelGauge& entry) {
    const double w = entry.width ? *entry.width : placeholderSide;
    return Box{double(entry.x), double(entry.y), w, entry.height ? double(*entry.height) : w};
}

void DrawPlaceholder(cairo_t* cr, const Box& box, const std::string& label, Lighting lighting) {
    const Light light = PanelLight(lighting);
    cairo_save(cr);
    cairo_rectangle(cr, box.x, box.y, box.w, box.h);
    cairo_set_source_rgba(cr, 0.55 * light.r, 0.58 * light.g, 0.62 * light.b, 0.55);
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, std::max(1.0, std::min(box.w, box.h) / 60));
    cairo_set_source_rgb(cr, 0.85 * light.r, 0.85 * light.g, 0.85 * light.b);
    cairo_stroke(cr);
    cairo_restore(cr);
    const double labelHeight = std::min(box.h, std::max(8.0, box.h / 6));
    DrawTextBox(cr, box.x, box.y + (box.h - labelHeight) / 2, box.w, labelHeight, label,
                TextStyle{.face = "Arial", .foreground = 0xFFFFFF, .transparentBlack = true, .light = light});
}

}  // namespace

bool WritePanelWindow(const Host& host, PlacedPanel& placed, const PanelWindow& window, BitmapSource& bitmaps,
                      Lighting lighting, const std::string& path, std::string* error, std::string* summary) {
    SurfaceCache surfaces;
    Picture background;
    std::string why;
    const bool hasBackground = !window.file.empty() && LoadBackground(placed, window, background, why);
    if (!window.file.empty() && !hasBackground) {
        placed.errors.push_back(Where(placed, window.fileLine) + "expected the background bitmap " + window.file +
                                " beside the panel configuration (" + why + ")");
    }

    // Every gauge drawn first at its own size, for its box and the extent.
    struct Drawn {
        const PlacedGauge* gauge;
        SurfacePtr picture;
        Box box;
    };
    std::vector<Drawn> drawn;
    double extentW = 1, extentH = 1;
    for (const PlacedGauge& gauge : placed.gauges) {
        if (gauge.window != &window) continue;
        Drawn item{&gauge, nullptr, PlaceholderBox(*gauge.entry)};
        if (!gauge.alias.empty()) {
            std::vector<std::string> skipped;
            std::string failure;
            item.picture = RenderInstanceCanvas(host, gauge.alias, bitmaps, surfaces, lighting, &failure, &skipped);
            for (const std::string& note : skipped) {
                placed.errors.push_back(Where(placed, gauge.entry->line) + gauge.entry->gauge + ": " + note);
            }
            if (!item.picture) {
                placed.errors.push_back(Where(placed, gauge.entry->line) + "expected " + gauge.entry->gauge +
                                        " to be drawn: " + failure);
            } else {
                const GAUGEHDR* header = host.Header(gauge.alias);
                item.box = GaugeBox(*gauge.entry, header ? double(header->size_x_mm) : placeholderSide,
                                    cairo_image_surface_get_width(item.picture.get()),
                                    cairo_image_surface_get_height(item.picture.get()));
            }
        }
        extentW = std::max(extentW, item.box.x + item.box.w);
        extentH = std::max(extentH, item.box.y + item.box.h);
        drawn.push_back(std::move(item));
    }

    // The design space: size_mm, else the background's size, else what
    // the gauges cover; the picture no larger than the host draws.
    double designW = extentW, designH = extentH;
    if (window.sizeWidth && window.sizeHeight) {
        designW = *window.sizeWidth;
        designH = *window.sizeHeight;
    } else if (hasBackground) {
        designW = background.width;
        designH = background.height;
    }
    const double scale = std::min(1.0, double(maxBitmapSide) / std::max(designW, designH));
    const int width = std::max(1, int(std::lround(designW * scale)));
    const int height = std::max(1, int(std::lround(designH * scale)));
    SurfacePtr canvas = NewCanvas(width, height);
    if (!canvas) {
        if (error) *error = window.section + ": cannot make a picture of " + std::to_string(width) + "x" +
                            std::to_string(height);
        return false;
    }
    cairo_t* cr = cairo_create(canvas.get());
    const Light panelLight = PanelLight(lighting);
    const std::uint32_t rgb = window.backgroundRgb.value_or(neutralPanelRgb);
    cairo_set_source_rgb(cr, ((rgb >> 16) & 0xFF) / 255.0 * panelLight.r, ((rgb >> 8) & 0xFF) / 255.0 * panelLight.g,
                         (rgb & 0xFF) / 255.0 * panelLight.b);
    cairo_paint(cr);
    cairo_scale(cr, scale, scale);
    if (hasBackground) {
        cairo_save(cr);
        cairo_scale(cr, designW / background.width, designH / background.height);
        cairo_set_source_surface(cr, surfaces.Get(background, false, panelLight), 0, 0);
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
        cairo_paint(cr);
        cairo_restore(cr);
    }
    for (const Drawn& item : drawn) {
        const PanelGauge& entry = *item.gauge->entry;
        if (!item.picture) {
            DrawPlaceholder(cr, item.box, Utf8FromWindows1252(entry.module + "!" + entry.gauge), lighting);
            continue;
        }
        const int gw = cairo_image_surface_get_width(item.picture.get());
        const int gh = cairo_image_surface_get_height(item.picture.get());
        cairo_save(cr);
        cairo_translate(cr, item.box.x, item.box.y);
        cairo_scale(cr, item.box.w / gw, item.box.h / gh);
        cairo_set_source_surface(cr, item.picture.get(), 0, 0);
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
        cairo_paint(cr);
        cairo_restore(cr);
    }
    cairo_destroy(cr);

    if (!WritePngFile(canvas.get(), path, error)) return false;
    if (summary) {
        *summary = window.section + (window.title.empty() ? "" : " \"" + window.title + "\"") + ", " +
                   std::to_string(width) + "x" + std::to_string(height) + ", " + std::to_string(drawn.size()) +
                   " gauges";
    }
    return true;
}

bool WritePanelPictures(const Host& host, PlacedPanel& placed, BitmapSource& bitmaps, Lighting lighting,
                        const std::string& folder, std::ostream& out, std::string* error) {
    std::error_code problem;
    if (!folder.empty()) std::filesystem::create_directories(folder, problem);
    for (const PanelWindow& window : placed.config.windows) {
        const std::string path =
            (std::filesystem::path(folder.empty() ? "." : folder) / (window.section + ".png")).string();
        std::string summary;
        if (!WritePanelWindow(host, placed, window, bitmaps, lighting, path, error, &summary)) return false;
        out << path << ": " << summary << '\n';
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
