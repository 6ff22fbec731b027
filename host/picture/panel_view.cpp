#include "host/picture/panel_view.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <filesystem>
#include <iterator>
#include <map>
#include <ostream>
#include <memory>

#include "host/core/messages.h"
#include "host/picture/bitmap_source.h"
#include "host/picture/painter.h"
#include "host/picture/renderer.h"

namespace panelhost {

namespace {

// A problem found while drawing, as the findings read.
std::string ErrorText(const PlacedPanel& placed, int line, std::string what) {
    return FindingText(PanelFinding{.file = placed.config.name, .line = line, .column = 1, .severity = Severity::Error,
                                    .message = std::move(what), .suggestions = {}});
}

void MeasureWindows(const Host& host, PlacedPanel& placed);

}  // namespace

namespace {

// Places every gauge of the configuration; those placed before under the
// same alias with the same name and parameters are kept as they run.
PlacedPanel Place(Host& host, PanelConfig config, const std::string& folder, const PlacedPanel* before) {
    PlacedPanel placed;
    placed.config = std::move(config);
    placed.folder = folder;
    placed.findings = placed.config.findings;
    placed.backgrounds = before ? before->backgrounds : std::make_shared<PanelBackgrounds>(folder);
    // Windows and virtual-cockpit textures alike: a panel of textures only
    // is a panel.
    if (placed.config.windows.empty() && !HasErrors(placed.findings)) {
        placed.findings.push_back(PanelFinding{.file = placed.config.name, .line = 1, .column = 1,
                                               .severity = Severity::Error,
                                               .message = "expected at least one [WindowNN] or [VcockpitNN] section", .suggestions = {}});
    }
    std::map<std::string, const PanelGauge*> running;  // alias: what it was placed from
    if (before) {
        for (const PlacedGauge& gauge : before->gauges) {
            if (!gauge.alias.empty()) running.emplace(gauge.alias, gauge.entry);
        }
    }
    for (const PanelWindow& window : placed.config.windows) {
        for (const PanelGauge& entry : window.gauges) {
            PlacedGauge& gauge = placed.gauges.emplace_back(PlacedGauge{.window = &window, .entry = &entry, .alias = {}});
            const auto name = GaugeToPlace(host, placed.config.name, entry, placed.findings);
            if (!name) continue;
            const std::string alias = window.section + "." + entry.key;
            const auto was = running.find(alias);
            if (was != running.end()) {
                const PanelGauge& old = *was->second;
                const bool same = old.module == entry.module && old.gauge == entry.gauge && old.params == entry.params;
                running.erase(was);
                if (same && host.Has(alias)) {
                    gauge.alias = alias;
                    continue;
                }
                host.Kill(alias);
            }
            std::string error;
            if (!host.Place(*name, alias, entry.params, &error)) {
                placed.findings.push_back(PanelFinding{.file = placed.config.name, .line = entry.line,
                                                       .column = entry.gaugeColumn, .severity = Severity::Error,
                                                       .message = "expected " + alias + " to be placed: " + error, .suggestions = {}});
                continue;
            }
            gauge.alias = alias;
        }
    }
    for (const auto& [alias, entry] : running) host.Kill(alias);
    MeasureWindows(host, placed);
    SortFindings(placed.findings);
    for (const PanelFinding& finding : placed.findings) {
        if (finding.severity == Severity::Error) placed.errors.push_back(FindingText(finding));
    }
    return placed;
}

}  // namespace

PlacedPanel PlacePanel(Host& host, PanelConfig config, const std::string& folder) {
    return Place(host, std::move(config), folder, nullptr);
}

PlacedPanel PlaceAgain(Host& host, const PlacedPanel& before, PanelConfig config) {
    return Place(host, std::move(config), before.folder, &before);
}

std::vector<std::string> FindingTexts(const PlacedPanel& placed) {
    std::vector<std::string> texts;
    std::size_t errors = 0;
    for (const PanelFinding& finding : placed.findings) {
        texts.push_back(FindingText(finding));
        if (finding.severity == Severity::Error) ++errors;
    }
    for (std::size_t i = errors; i < placed.errors.size(); ++i) texts.push_back(placed.errors[i]);
    return texts;
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

namespace {

// Where a finding about a window lies and what it says.
using Report = std::function<void(Severity, int line, int column, const std::string& what)>;

// A window as it will be drawn: its background, each gauge's box in design
// units, the picture's size and the scale from design units to pixels.
struct WindowGeometry {
    const Picture* background{};
    std::vector<GaugeInWindow> gauges;
    int width{}, height{};
    double scaleX{1}, scaleY{1};
};

WindowGeometry Measure(const Host& host, const PlacedPanel& placed, const PanelWindow& window, BitmapSource& bitmaps,
                       const Report& report) {
    WindowGeometry measured;
    if (NothingToDraw(window)) return measured;
    if (!window.file.empty()) {
        std::string why;
        measured.background = placed.backgrounds ? placed.backgrounds->Of(window, &why) : nullptr;
        if (!measured.background) {
            report(Severity::Error, window.fileLine, 1,
                   "expected a background bitmap the host reads in " + Quoted(window.file) + ": " + why);
        }
    }
    const Picture* background = measured.background;

    // Every gauge's box in design units, and what they cover together.
    measured.gauges.reserve(placed.gauges.size());
    double extentW = 1, extentH = 1;
    for (const PlacedGauge& gauge : placed.gauges) {
        if (gauge.window != &window || Unseen(*gauge.entry)) continue;
        GaugeInWindow shown{.gauge = &gauge, .box = PlaceholderBox(*gauge.entry)};
        const std::span<const ElementState> elements =
            gauge.alias.empty() ? std::span<const ElementState>() : host.Elements(gauge.alias);
        if (!gauge.alias.empty() && elements.empty()) {
            report(Severity::Error, gauge.entry->line, gauge.entry->gaugeColumn,
                   "expected " + gauge.entry->gauge + " to be drawn: " + gauge.alias + " has no elements");
        } else if (!gauge.alias.empty()) {
            const SINT32 id = elements.front().record->resource_id;
            if (const Picture* face = bitmaps.Find(id)) {
                const GAUGEHDR* header = host.Header(gauge.alias);
                shown.pictureWidth = face->width;
                shown.pictureHeight = face->height;
                shown.box = GaugeBox(*gauge.entry, header ? double(header->size_x_mm) : placeholderSide, face->width,
                                     face->height);
            } else {
                report(Severity::Error, gauge.entry->line, gauge.entry->gaugeColumn,
                       "expected " + gauge.entry->gauge + " to be drawn: " + gauge.alias +
                           ": no usable background bitmap " + std::to_string(id));
            }
        }
        extentW = std::max(extentW, shown.box.x + shown.box.w);
        extentH = std::max(extentH, shown.box.y + shown.box.h);
        measured.gauges.push_back(shown);
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
    const bool designed = window.sizeWidth && *window.sizeWidth > 0;
    if (designed && window.sizeHeight && *window.sizeHeight > 0) {
        designW = *window.sizeWidth;
        designH = *window.sizeHeight;
    } else if (designed) {
        designW = *window.sizeWidth;
        if (pixelsW) {
            designH = designW * *pixelsH / *pixelsW;
        } else if (background) {
            designH = designW * background->height / background->width;
        } else {
            report(Severity::Error, window.line, 1,
                   "expected size_mm=WIDTH,HEIGHT: a width alone takes its height from the background bitmap, and " +
                       window.section + " has none");
        }
    } else if (pixelsW) {
        designW = *pixelsW;
        designH = *pixelsH;
    } else if (background) {
        designW = background->width;
        designH = background->height;
    }
    // A gauge none of whose box lies in the design space is drawn nowhere.
    const bool bounded = designed || pixelsW || background;
    for (const GaugeInWindow& shown : measured.gauges) {
        const ClipBox& box = shown.box;
        if (bounded && (box.x >= designW || box.y >= designH || box.x + box.w <= 0 || box.y + box.h <= 0)) {
            const PanelGauge& entry = *shown.gauge->entry;
            report(Severity::Warning, entry.line, entry.xColumn,
                   entry.key + " lies wholly outside " + window.section + " (" + std::to_string(std::lround(designW)) +
                       " by " + std::to_string(std::lround(designH)) + " design units): the simulator shows none of it");
        }
    }
    if (pixelsW) {
        measured.width = int(*pixelsW);
        measured.height = int(*pixelsH);
        measured.scaleX = *pixelsW / designW;
        measured.scaleY = *pixelsH / designH;
    } else {
        const double scale = std::min(1.0, double(maxBitmapSide) / std::max(designW, designH));
        measured.width = std::clamp(int(std::lround(designW * scale)), 1, maxBitmapSide);
        measured.height = std::clamp(int(std::lround(designH * scale)), 1, maxBitmapSide);
        measured.scaleX = double(measured.width) / designW;
        measured.scaleY = double(measured.height) / designH;
    }
    return measured;
}

void MeasureWindows(const Host& host, PlacedPanel& placed) {
    ModuleBitmaps bitmaps(host);
    for (const PanelWindow& window : placed.config.windows) {
        Measure(host, placed, window, bitmaps, [&](Severity severity, int line, int column, const std::string& what) {
            placed.findings.push_back(PanelFinding{.file = placed.config.name, .line = line, .column = column,
                                                   .severity = severity, .message = what, .suggestions = {}});
        });
    }
}

}  // namespace

std::vector<DrawnGauge> DrawnGauges(const Host& host, const PlacedPanel& placed, const PanelWindow& window,
                                    BitmapSource& bitmaps) {
    const WindowGeometry measured = Measure(host, placed, window, bitmaps, [](Severity, int, int, const std::string&) {});
    std::vector<DrawnGauge> drawn;
    for (const GaugeInWindow& shown : measured.gauges) {
        drawn.push_back({shown.gauge, shown.box, Through(Scaled(measured.scaleX, measured.scaleY), shown.box)});
    }
    return drawn;
}

void ComputeWindowList(const Host& host, const PlacedPanel& placed, const PanelWindow& window, BitmapSource& bitmaps,
                       const LightingScheme& lighting, WindowList& list, std::vector<std::string>* problems) {
    const auto problem = [&](int line, const std::string& what) {
        if (problems) problems->push_back(ErrorText(placed, line, what));
    };
    list.section = window.section;
    list.items.clear();
    // What the window's measure finds was told when the panel was placed.
    const WindowGeometry measured = Measure(host, placed, window, bitmaps, [](Severity, int, int, const std::string&) {});
    list.width = measured.width;
    list.height = measured.height;
    if (NothingToDraw(window)) return;
    const Picture* background = measured.background;
    const ClipBox whole{0, 0, double(list.width), double(list.height)};
    const Placement toPicture = Scaled(measured.scaleX, measured.scaleY);

    const Light panelLight = PanelLight(lighting);
    list.items.push_back(Fill(whole, whole, window.backgroundRgb.value_or(neutralPanelRgb), panelLight));
    if (background) {
        list.items.push_back(PaintItem{.kind = PaintKind::Bitmap, .clip = whole, .light = panelLight,
                                       .background = window.section,
                                       .placement = Scaled(list.width / double(background->width),
                                                           list.height / double(background->height)),
                                       .bilinear = true});
    }
    for (const GaugeInWindow& shown : measured.gauges) {
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
        if (NothingToDraw(window)) {
            out << PictureName(window) << ": nothing to draw (size 0), " << Summary(placed, window, {}) << '\n';
            continue;
        }
        const std::string name = PictureName(window) + ".png";
        if (name.size() > maxFileNameBytes) {
            placed.errors.push_back(ErrorText(placed, window.line, "expected a section name of at most " +
                                                                       std::to_string(maxFileNameBytes - 4) +
                                                                       " characters, the name of its picture; the "
                                                                       "window is not drawn"));
            continue;
        }
        const WindowList list = ComputeWindowList(host, placed, window, bitmaps, scheme, &placed.errors);
        pixels += PixelsToPaint(list);
        if (pixels > maxPixelsPerConfiguration) {
            placed.errors.push_back(ErrorText(placed, window.line, "expected at most " +
                                                                       std::to_string(int(maxPixelsPerConfiguration / 1e6)) +
                                                                       " million pixels drawn for the whole configuration; " +
                                                                       window.section + " and the windows after it are not drawn"));
            break;
        }
        const std::string path = (std::filesystem::path(folder.empty() ? "." : folder) / name).string();
        if (!WriteList(list, painter, path, error)) return false;
        out << path << ": " << Summary(placed, window, list) << '\n';
    }
    return true;
}

}  // namespace panelhost
