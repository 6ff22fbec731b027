#include "host/picture/panel_view.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <iterator>
#include <ostream>
#include <memory>

#include "host/picture/bitmap_source.h"
#include "host/picture/painter.h"
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

// --- Window lists --------------------------------------------------------------

namespace {

// --- Panel windows -----------------------------------------------------------

// A window without background bitmap or panel colour of its own.
constexpr std::uint32_t neutralPanelRgb = 0x3A3F45;
// Placeholders of other modules' gauges: their side without a width of
// their own, their face, edge and label.
constexpr int placeholderSide = 100;
constexpr std::uint32_t placeholderRgb = 0x8C949E;
constexpr double placeholderAlpha = 0.55;
constexpr std::uint32_t placeholderEdgeRgb = 0xD9D9D9;
constexpr std::uint32_t placeholderLabelRgb = 0xFFFFFF;


// A gauge's box in design units: width as given or the gauge's default
// width, height as given or from the gauge picture's aspect.
ClipBox GaugeBox(const PanelGauge& entry, double defaultWidth, int pictureWidth, int pictureHeight) {
    const double w = entry.width ? *entry.width : defaultWidth;
    const double h = entry.height ? *entry.height : (pictureWidth > 0 ? w * pictureHeight / pictureWidth : w);
    return ClipBox{.x = double(entry.x), .y = double(entry.y), .w = w, .h = h};
}

ClipBox PlaceholderBox(const PanelGauge& entry) {
    const double w = entry.width ? *entry.width : placeholderSide;
    return ClipBox{.x = double(entry.x), .y = double(entry.y), .w = w, .h = entry.height ? double(*entry.height) : w};
}

PaintItem Fill(const ClipBox& box, const ClipBox& clip, std::uint32_t rgb, const Light& light, double alpha = 1) {
    return PaintItem{.kind = PaintKind::Fill, .clip = clip, .light = light, .box = box, .foreground = rgb,
                     .alpha = alpha};
}

// A labelled, half-transparent box where another module's gauge lies.
void AddPlaceholder(std::vector<PaintItem>& items, const ClipBox& box, const std::string& label, const Light& light,
                    const std::string& alias) {
    const ClipBox& clip = box;
    items.push_back(Fill(box, clip, placeholderRgb, light, placeholderAlpha));
    const double edge = std::max(1.0, std::min(box.w, box.h) / 60);
    for (const ClipBox& side : {ClipBox{box.x, box.y, box.w, edge}, ClipBox{box.x, box.y + box.h - edge, box.w, edge},
                                ClipBox{box.x, box.y, edge, box.h}, ClipBox{box.x + box.w - edge, box.y, edge, box.h}}) {
        items.push_back(Fill(side, clip, placeholderEdgeRgb, light));
    }
    const double labelHeight = std::min(box.h, std::max(8.0, box.h / 6));
    const ClipBox labelBox{box.x, box.y + (box.h - labelHeight) / 2, box.w, labelHeight};
    items.push_back(PaintItem{.kind = PaintKind::Text, .clip = clip, .light = light, .box = labelBox, .text = label,
                              .face = "Arial", .foreground = placeholderLabelRgb, .transparentBackground = true});
    for (PaintItem& item : std::span(items).last(6)) item.alias = alias;
}

// A gauge as the window shows it: its box in design units, the size of its
// picture (0 for a placeholder).
struct GaugeInWindow {
    const PlacedGauge* gauge;
    ClipBox box;
    int pictureWidth{}, pictureHeight{};
};

// The output names of virtual-cockpit textures ("VCockpit01"); windows keep
// their section's name.
constexpr std::string_view virtualCockpitPrefix = "vcockpit";

}  // namespace

LightingScheme PanelLighting(Lighting lighting, const PanelColours& colours) {
    LightingScheme scheme(lighting);
    if (colours.day) scheme.day = TintLight(*colours.day);
    if (colours.night) scheme.night = TintLight(*colours.night);
    if (colours.luminous) scheme.luminous = TintLight(*colours.luminous);
    return scheme;
}

WindowList ComputeWindowList(const Host& host, const PlacedPanel& placed, const PanelWindow& window,
                             BitmapSource& bitmaps, const LightingScheme& lighting,
                             std::vector<std::string>* problems) {
    WindowList list;
    ComputeWindowList(host, placed, window, bitmaps, lighting, list, problems);
    return list;
}

void ComputeWindowList(const Host& host, const PlacedPanel& placed, const PanelWindow& window, BitmapSource& bitmaps,
                       const LightingScheme& lighting, WindowList& list, std::vector<std::string>* problems) {
    const auto problem = [&](int line, const std::string& what) {
        if (problems) problems->push_back(Where(placed, line) + what);
    };
    list.section = window.section;
    list.items.clear();

    const Picture* background = nullptr;
    if (!window.file.empty()) {
        std::string why;
        background = placed.backgrounds ? placed.backgrounds->Of(window, &why) : nullptr;
        if (!background) {
            problem(window.fileLine, "expected the background bitmap " + window.file +
                                         " beside the panel configuration (" + why + ")");
        }
    }

    // Every gauge's box in design units, and what they cover together.
    std::vector<GaugeInWindow> gauges;
    gauges.reserve(placed.gauges.size());
    double extentW = 1, extentH = 1;
    for (const PlacedGauge& gauge : placed.gauges) {
        if (gauge.window != &window) continue;
        GaugeInWindow shown{.gauge = &gauge, .box = PlaceholderBox(*gauge.entry)};
        const std::span<const ElementState> elements =
            gauge.alias.empty() ? std::span<const ElementState>() : host.Elements(gauge.alias);
        if (!gauge.alias.empty() && elements.empty()) {
            problem(gauge.entry->line, "expected " + gauge.entry->gauge + " to be drawn: " + gauge.alias +
                                           " has no elements");
        } else if (!gauge.alias.empty()) {
            const SINT32 id = elements.front().record->resource_id;
            if (const Picture* face = bitmaps.Find(id)) {
                const GAUGEHDR* header = host.Header(gauge.alias);
                shown.pictureWidth = face->width;
                shown.pictureHeight = face->height;
                shown.box = GaugeBox(*gauge.entry, header ? double(header->size_x_mm) : placeholderSide, face->width,
                                     face->height);
            } else {
                problem(gauge.entry->line, "expected " + gauge.entry->gauge + " to be drawn: " + gauge.alias +
                                               ": no usable background bitmap " + std::to_string(id));
            }
        }
        extentW = std::max(extentW, shown.box.x + shown.box.w);
        extentH = std::max(extentH, shown.box.y + shown.box.h);
        gauges.push_back(shown);
    }

    // The design space: size_mm (a width alone takes its height from the
    // background's aspect), else the background's size, else what the
    // gauges cover. A texture's design space defaults to its pixels.
    std::optional<double> pixelsW, pixelsH;
    if (window.virtualCockpit && window.pixelWidth && window.pixelHeight && *window.pixelWidth > 0 &&
        *window.pixelHeight > 0) {
        pixelsW = std::min(*window.pixelWidth, maxBitmapSide);
        pixelsH = std::min(*window.pixelHeight, maxBitmapSide);
    }
    double designW = extentW, designH = extentH;
    if (window.sizeWidth && *window.sizeWidth > 0 && window.sizeHeight && *window.sizeHeight > 0) {
        designW = *window.sizeWidth;
        designH = *window.sizeHeight;
    } else if (window.sizeWidth && *window.sizeWidth > 0) {
        designW = *window.sizeWidth;
        if (pixelsW) {
            designH = designW * *pixelsH / *pixelsW;
        } else if (background) {
            designH = designW * background->height / background->width;
        } else {
            problem(window.line, "expected size_mm=WIDTH,HEIGHT: a width alone takes its height from the "
                                 "background bitmap, and " + window.section + " has none");
        }
    } else if (pixelsW) {
        designW = *pixelsW;
        designH = *pixelsH;
    } else if (background) {
        designW = background->width;
        designH = background->height;
    }
    double scaleX = 1, scaleY = 1;
    if (pixelsW) {
        list.width = int(*pixelsW);
        list.height = int(*pixelsH);
        scaleX = *pixelsW / designW;
        scaleY = *pixelsH / designH;
    } else {
        const double scale = std::min(1.0, double(maxBitmapSide) / std::max(designW, designH));
        list.width = std::clamp(int(std::lround(designW * scale)), 1, maxBitmapSide);
        list.height = std::clamp(int(std::lround(designH * scale)), 1, maxBitmapSide);
        scaleX = double(list.width) / designW;
        scaleY = double(list.height) / designH;
    }
    const ClipBox whole{0, 0, double(list.width), double(list.height)};
    const Placement toPicture = Scaled(scaleX, scaleY);

    const Light panelLight = PanelLight(lighting);
    list.items.push_back(Fill(whole, whole, window.backgroundRgb.value_or(neutralPanelRgb), panelLight));
    if (background) {
        list.items.push_back(PaintItem{.kind = PaintKind::Bitmap, .clip = whole, .light = panelLight,
                                       .background = window.section,
                                       .placement = Scaled(list.width / double(background->width),
                                                           list.height / double(background->height)),
                                       .bilinear = true});
    }
    for (const GaugeInWindow& shown : gauges) {
        const PanelGauge& entry = *shown.gauge->entry;
        const ClipBox box = Through(toPicture, shown.box);
        if (shown.pictureWidth == 0) {
            AddPlaceholder(list.items, box, Utf8FromWindows1252(entry.module + "!" + entry.gauge), panelLight,
                           shown.gauge->alias);
            continue;
        }
        std::vector<std::string> skipped;
        Canvas canvas(bitmaps, lighting, list.items, &skipped);
        canvas.clip = Overlap(box, whole);
        canvas.toWindow = Then(Scaled(shown.box.w / shown.pictureWidth, shown.box.h / shown.pictureHeight),
                               Then(Moved(shown.box.x, shown.box.y), toPicture));
        std::string failure;
        if (!AddGaugeItems(host, shown.gauge->alias, canvas, &failure)) {
            problem(entry.line, "expected " + entry.gauge + " to be drawn: " + failure);
        }
        for (const std::string& note : skipped) problem(entry.line, entry.gauge + ": " + note);
    }
}

std::string PictureName(const PanelWindow& window) {
    const std::string& section = window.section;
    if (window.virtualCockpit && section.size() >= virtualCockpitPrefix.size() &&
        SameWord(std::string_view(section).substr(0, virtualCockpitPrefix.size()), virtualCockpitPrefix)) {
        return "VCockpit" + section.substr(virtualCockpitPrefix.size());
    }
    return section;
}

namespace {

// Pixels that one configuration may have drawn, windows and gauges
// together: some fifty full-size windows, far more than any panel asks.
constexpr double maxPixelsPerConfiguration = 800e6;
// Longest file name the file systems we write to take.
constexpr std::size_t maxFileNameBytes = 255;

bool WriteList(const WindowList& list, Painter& painter, const std::string& path, std::string* error) {
    Painting painting(list.width, list.height);
    if (!painting.Made()) {
        if (error) *error = list.section + ": cannot make a picture of " + std::to_string(list.width) + "x" +
                            std::to_string(list.height);
        return false;
    }
    painting.Paint(list, painter);
    return WritePngFile(painting, path, error);
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
    Painter painter(bitmaps, placed.backgrounds.get());
    if (!WriteList(list, painter, path, error)) return false;
    if (summary) *summary = Summary(placed, window, list);
    return true;
}

bool WritePanelPictures(const Host& host, PlacedPanel& placed, BitmapSource& bitmaps, Lighting lighting,
                        const std::string& folder, std::ostream& out, std::string* error) {
    std::error_code problem;
    if (!folder.empty()) std::filesystem::create_directories(folder, problem);
    const LightingScheme scheme = PanelLighting(lighting, placed.config.colours);
    Painter painter(bitmaps, placed.backgrounds.get());  // each bitmap converted once for all the windows
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
        if (!WriteList(list, painter, path, error)) return false;
        out << path << ": " << Summary(placed, window, list) << '\n';
    }
    return true;
}

}  // namespace panelhost
