#include "host/display_list.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <numbers>
#include <span>

#include "host/bitmap_source.h"
#include "host/element_kinds.h"
#include "host/panel_config.h"
#include "host/panel_view.h"
#include "host/renderer.h"

namespace panelhost {

namespace {

// --- Placements -------------------------------------------------------------

// `first` applied, then `then`.
Placement Then(const Placement& first, const Placement& then) {
    return Placement{.xx = then.xx * first.xx + then.xy * first.yx,
                     .yx = then.yx * first.xx + then.yy * first.yx,
                     .xy = then.xx * first.xy + then.xy * first.yy,
                     .yy = then.yx * first.xy + then.yy * first.yy,
                     .x0 = then.xx * first.x0 + then.xy * first.y0 + then.x0,
                     .y0 = then.yx * first.x0 + then.yy * first.y0 + then.y0};
}

Placement Moved(double x, double y) { return Placement{.x0 = x, .y0 = y}; }

Placement Scaled(double x, double y) { return Placement{.xx = x, .yy = y}; }

// Pixel centres lie at half pixels: a bitmap pixel (i, j) placed on the
// picture pixel (x, y) covers it exactly.
constexpr double centre = 0.5;

// Turned clockwise by `degrees` (screen y down) about the pivot inside the
// bitmap, the pivot put on (x, y) of the picture; scaled about the pivot.
Placement Turned(double degrees, double x, double y, double pivotX, double pivotY, double scaleX = 1,
                 double scaleY = 1) {
    const double radians = std::fmod(degrees, 360.0) * std::numbers::pi / 180.0;
    const double c = std::cos(radians), s = std::sin(radians);
    const Placement turn{.xx = c, .yx = s, .xy = -s, .yy = c};
    return Then(Then(Then(Moved(-(pivotX + centre), -(pivotY + centre)), Scaled(scaleX, scaleY)), turn),
                Moved(x + centre, y + centre));
}

// A box through a placement that only scales and moves (gauge to window).
ClipBox Through(const Placement& placement, const ClipBox& box) {
    return ClipBox{.x = placement.xx * box.x + placement.x0, .y = placement.yy * box.y + placement.y0,
                   .w = placement.xx * box.w, .h = placement.yy * box.h};
}

ClipBox Overlap(const ClipBox& a, const ClipBox& b) {
    const double x = std::max(a.x, b.x), y = std::max(a.y, b.y);
    const double right = std::min(a.x + a.w, b.x + b.w), bottom = std::min(a.y + a.h, b.y + b.h);
    return ClipBox{.x = x, .y = y, .w = std::max(0.0, right - x), .h = std::max(0.0, bottom - y)};
}

bool Empty(const ClipBox& box) { return !(box.w > 0 && box.h > 0); }

// Coordinates far outside any picture are held where painters still
// compute them exactly; nothing placed there shows.
double HeldInDrawingRange(double value) { return std::isfinite(value) ? std::clamp(value, -1e7, 1e7) : 0.0; }

// 0x00BBGGRR, as Windows gives colours, to 0x00RRGGBB.
std::uint32_t RgbOf(UINT32 windowsColour) {
    return (windowsColour & 0xFF) << 16 | (windowsColour & 0xFF00) | (windowsColour >> 16 & 0xFF);
}

// --- Element kinds -----------------------------------------------------------

// A moving image without a window bitmap shows this part of its strip along
// the axis it travels: one cell of a drum holding 0 to 9 and a second 0.
constexpr int stripCellsWithoutWindow = 11;

// Resource id plus a count, or nothing when it leaves the 32-bit range.
std::optional<SINT32> BitmapId(SINT32 id, long long add) {
    const long long sum = static_cast<long long>(id) + add;
    if (id < 0 || sum < 0 || sum > INT32_MAX) return std::nullopt;
    return static_cast<SINT32>(sum);
}

bool HasSource(const MODULE_VAR& var, const void* routine) { return var.id != 0 || routine != nullptr; }

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
// Background bitmap files larger than this are not read.
constexpr std::size_t maxBitmapFileBytes = std::size_t(64) << 20;

std::string Where(const PlacedPanel& placed, int line) { return placed.config.name + ":" + std::to_string(line) + ": "; }

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
        if (SameWord(it->path().filename().string(), exact.filename().string())) return it->path();
    }
    return exact;
}

// The whole file, no more than `limit` bytes; a failed read (a device, a
// file of the system that cannot be read) is a reason, never an exception.
bool ReadBounded(const std::filesystem::path& path, std::size_t limit, std::vector<char>& bytes, std::string& why) {
    std::error_code problem;
    if (!std::filesystem::is_regular_file(path, problem)) {
        why = std::filesystem::exists(path, problem) ? "not a regular file" : "no such file";
        return false;
    }
    std::FILE* file = std::fopen(path.string().c_str(), "rb");
    if (!file) {
        why = "cannot be opened";
        return false;
    }
    bytes.clear();
    char chunk[1 << 16];
    bool failed = false;
    while (bytes.size() <= limit) {
        const std::size_t got = std::fread(chunk, 1, sizeof chunk, file);
        bytes.insert(bytes.end(), chunk, chunk + got);
        if (got < sizeof chunk) {
            failed = std::ferror(file) != 0;
            break;
        }
    }
    std::fclose(file);
    if (failed) {
        why = "cannot be read";
        return false;
    }
    if (bytes.size() > limit) {
        why = "larger than " + std::to_string(limit >> 20) + " MiB";
        return false;
    }
    return true;
}

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

// --- Lighting ----------------------------------------------------------------

Light ElementLight(const LightingScheme& lighting, std::uint32_t imageFlags) {
    if (imageFlags & IMAGE_USE_BRIGHT) return {};
    if (lighting.lighting == Lighting::Day) return lighting.day;
    return (imageFlags & IMAGE_USE_LUMINOUS) ? lighting.luminous : lighting.night;
}

Light PanelLight(const LightingScheme& lighting) {
    return lighting.lighting == Lighting::Day ? lighting.day : lighting.night;
}

LightingScheme PanelLighting(Lighting lighting, const PanelColours& colours) {
    LightingScheme scheme(lighting);
    if (colours.day) scheme.day = TintLight(*colours.day);
    if (colours.night) scheme.night = TintLight(*colours.night);
    if (colours.luminous) scheme.luminous = TintLight(*colours.luminous);
    return scheme;
}

// --- Backgrounds -------------------------------------------------------------

const Picture* PanelBackgrounds::Of(const PanelWindow& window, std::string* why) {
    auto named = paths_.find(window.file);
    if (named == paths_.end()) named = paths_.emplace(window.file, FindBeside(folder_, window.file).string()).first;
    const std::string& path = named->second;
    auto found = files_.find(path);
    if (found == files_.end()) {
        File file;
        std::vector<char> bytes;
        auto picture = std::make_unique<Picture>();
        if (ReadBounded(path, maxBitmapFileBytes, bytes, file.why) &&
            DecodeDib(bytes.data(), bytes.size(), *picture, &file.why)) {
            file.picture = std::move(picture);
        }
        found = files_.emplace(path, std::move(file)).first;
    }
    if (why) *why = found->second.why;
    const Picture* picture = found->second.picture.get();
    sections_[window.section] = picture;
    return picture;
}

const Picture* PanelBackgrounds::Section(const std::string& section) const {
    const auto found = sections_.find(section);
    return found == sections_.end() ? nullptr : found->second;
}

// --- The element kinds' draw routines ----------------------------------------

const Picture* Canvas::Optional(std::optional<SINT32> id) { return id ? bitmaps.Find(*id) : nullptr; }

const Picture* Canvas::Bitmap(const ElementState& state, std::optional<SINT32> id) {
    const Picture* bitmap = Optional(id);
    if (!bitmap && skipped_) {
        skipped_->push_back("element " + std::to_string(number) + " (" + KindOf(state.kind).noun + "): bitmap " +
                            (id ? std::to_string(*id) : std::string("out of range")) + " missing");
    }
    return bitmap;
}

void Canvas::AddBitmap(const ELEMENT_HEADER& header, SINT32 id, const Placement& placement, const ClipBox* window,
                       bool wrap) {
    const ClipBox box = window ? Overlap(clip, Through(toWindow, *window)) : clip;
    if (Empty(box)) return;
    const UINT32 flags = header.image_flags;
    // A gauge scaled into its box is filtered whatever its flags: the nearest
    // pixel of a scaled picture leaves ragged edges.
    const bool scaled = toWindow.xx != 1 || toWindow.yy != 1;
    items_.push_back(PaintItem{.kind = PaintKind::Bitmap, .clip = box, .light = ElementLight(lighting, flags),
                               .bitmap = id, .placement = Then(placement, toWindow),
                               .blackTransparent = (flags & IMAGE_USE_TRANSPARENCY) != 0,
                               .bilinear = scaled || (flags & IMAGE_BILINEAR_COLOR) != 0, .wrap = wrap, .alias = alias,
                               .element = number});
}

void Canvas::AddText(const ELEMENT_HEADER& header, const ClipBox& box, std::string utf8, std::string face,
                     int weight, UINT32 foreground, UINT32 background) {
    const ClipBox placed = Through(toWindow, box);
    const ClipBox shown = Overlap(clip, placed);
    if (Empty(shown)) return;
    const bool clear = (header.image_flags & IMAGE_USE_TRANSPARENCY) && (background & 0xFFFFFF) == 0;
    items_.push_back(PaintItem{.kind = PaintKind::Text, .clip = shown,
                               .light = ElementLight(lighting, header.image_flags), .box = placed,
                               .text = std::move(utf8), .face = std::move(face), .weight = weight,
                               .foreground = RgbOf(foreground), .backgroundColour = RgbOf(background),
                               .transparentBackground = clear, .alias = alias, .element = number});
}

// The bitmap at the element's position (static images, and kinds the host
// does not know).
void DrawStaticImage(Canvas& canvas, const ElementState& state) {
    const ELEMENT_HEADER& header = *state.record;
    if (canvas.Bitmap(state, header.resource_id)) {
        canvas.AddBitmap(header, header.resource_id, Moved(header.position.x, header.position.y));
    }
}

// Turned by the shown angle about its pivot, the pivot on the position.
void DrawNeedle(Canvas& canvas, const ElementState& state) {
    const ELEMENT_HEADER& header = *state.record;
    if (canvas.Bitmap(state, header.resource_id)) {
        canvas.AddBitmap(header, header.resource_id,
                         Turned(HeldInDrawingRange(state.angle), header.position.x, header.position.y, header.ofs.x,
                                header.ofs.y));
    }
}

void DrawSlider(Canvas& canvas, const ElementState& state) {
    const ELEMENT_HEADER& header = *state.record;
    if (canvas.Bitmap(state, header.resource_id)) {
        canvas.AddBitmap(header, header.resource_id,
                         Moved(HeldInDrawingRange(header.position.x + state.shiftX),
                               HeldInDrawingRange(header.position.y + state.shiftY)));
    }
}

// Bitmap id + the shown image; nothing for none.
void DrawIcon(Canvas& canvas, const ElementState& state) {
    if (state.image < 0) return;
    const ELEMENT_HEADER& header = *state.record;
    const std::optional<SINT32> id = BitmapId(header.resource_id, state.image);
    if (canvas.Bitmap(state, id)) canvas.AddBitmap(header, *id, Moved(header.position.x, header.position.y));
}

// The strip behind its window, moved by the shown fraction of its travel.
void DrawMovingImage(Canvas& canvas, const ElementState& state) {
    const ELEMENT_HEADER& header = *state.record;
    const Picture* strip = canvas.Bitmap(state, header.resource_id);
    if (!strip) return;
    const Picture* window = canvas.Optional(BitmapId(header.resource_id, 1));
    const auto& image = *reinterpret_cast<const ELEMENT_MOVING_IMAGE*>(state.record);
    const bool movesX = HasSource(image.source_var_x, reinterpret_cast<const void*>(image.update_x_cb));
    const bool movesY = HasSource(image.source_var_y, reinterpret_cast<const void*>(image.update_y_cb));
    const auto windowSide = [](int stripSide, bool moves, int windowSide) {
        if (windowSide > 0) return std::min(windowSide, stripSide);
        return moves ? std::max(1, stripSide / stripCellsWithoutWindow) : stripSide;
    };
    const int windowW = windowSide(strip->width, movesX, window ? window->width : 0);
    const int windowH = windowSide(strip->height, movesY, window ? window->height : 0);
    const double fractionX = movesX && std::isfinite(state.shiftX) ? std::clamp(state.shiftX, 0.0, 1.0) : 0.0;
    const double fractionY = movesY && std::isfinite(state.shiftY) ? std::clamp(state.shiftY, 0.0, 1.0) : 0.0;
    const double x = header.position.x, y = header.position.y;
    const ClipBox shown{x, y, double(windowW), double(windowH)};
    canvas.AddBitmap(header, header.resource_id,
                     Moved(x - fractionX * (strip->width - windowW), y - fractionY * (strip->height - windowH)), &shown);
}

// Turned about its centre (the offset inside the texture, drawn at position
// + offset + shift) and scaled by its texture scale; clipped to its window.
// A sprite is a texture: with a window, the window is filled from the
// texture, and where the window reaches past the texture's edges the texture
// wraps round, as graphics hardware samples a texture unless told otherwise.
// That is what lets a horizon card narrower than its opening fill it at any
// bank: no artwork within the card's 190 pixels could reach the far side of
// an opening 200 across once the card is turned. Without a window only the
// texture's own rectangle is drawn.
void DrawSprite(Canvas& canvas, const ElementState& state) {
    const ELEMENT_HEADER& header = *state.record;
    if (!canvas.Bitmap(state, header.resource_id)) return;
    const Picture* window = canvas.Optional(BitmapId(header.resource_id, 1));
    const auto& sprite = *reinterpret_cast<const ELEMENT_SPRITE*>(state.record);
    // A texture scale that is not a positive number leaves the texture as it is.
    const auto scale = [](FLOAT32 value) { return std::isfinite(value) && value > 0.01f ? double(value) : 1.0; };
    const PIXPOINT position = header.position, pivot = header.ofs;
    const Placement placement =
        Turned(HeldInDrawingRange(state.rotation), HeldInDrawingRange(position.x + state.shiftX + pivot.x),
               HeldInDrawingRange(position.y + state.shiftY + pivot.y), pivot.x, pivot.y,
               scale(sprite.texture_scale_x), scale(sprite.texture_scale_y));
    if (!window) return canvas.AddBitmap(header, header.resource_id, placement);
    const ClipBox shown{double(position.x), double(position.y), double(window->width), double(window->height)};
    canvas.AddBitmap(header, header.resource_id, placement, &shown, true);
}

// The routine's text centred in the text box, in the element's face.
void DrawString(Canvas& canvas, const ElementState& state) {
    const auto& record = *reinterpret_cast<const ELEMENT_STRING*>(state.record);
    const ClipBox box{double(record.header.position.x), double(record.header.position.y), double(record.img_size.x),
                      double(record.img_size.y)};
    canvas.AddText(record.header, box, Utf8FromWindows1252(state.text),
                   std::string(record.font_name, strnlen(record.font_name, sizeof record.font_name)),
                   record.font_weight > 0 ? record.font_weight : 400, record.fg_color, record.bg_color);
}

bool AddGaugeItems(const Host& host, const std::string& alias, Canvas& canvas, std::string* error,
                   std::span<const ElementState> posed) {
    const std::span<const ElementState> elements = posed.empty() ? host.Elements(alias) : posed;
    if (elements.empty()) {
        if (error) *error = host.Has(alias) ? alias + " has no elements" : "no gauge placed as " + alias;
        return false;
    }
    if (Empty(canvas.clip)) return true;
    canvas.alias = alias;
    for (std::size_t i = 0; i < elements.size(); ++i) {
        const ElementState& state = elements[i];
        if (state.hidden || !KindOf(state.kind).draw) continue;
        canvas.number = int(i + 1);
        KindOf(state.kind).draw(canvas, state);
    }
    return true;
}

// --- Lists -------------------------------------------------------------------

WindowList ComputeGaugeList(const Host& host, const std::string& alias, BitmapSource& bitmaps,
                            const LightingScheme& lighting, std::string* error, std::vector<std::string>* skipped,
                            std::span<const ElementState> posed) {
    WindowList list{.section = alias, .width = 0, .height = 0, .items = {}};
    if (!host.Has(alias) || host.ElementCount(alias) == 0) {
        if (error) *error = host.Has(alias) ? alias + " has no elements" : "no gauge placed as " + alias;
        return list;
    }
    const SINT32 backgroundId = host.Element(alias, 1).record->resource_id;
    const Picture* background = bitmaps.Find(backgroundId);
    if (!background) {
        if (error) *error = alias + ": no usable background bitmap " + std::to_string(backgroundId);
        return list;
    }
    Canvas canvas(bitmaps, lighting, list.items, skipped);
    canvas.clip = ClipBox{0, 0, double(background->width), double(background->height)};
    AddGaugeItems(host, alias, canvas, error, posed);
    list.width = background->width;
    list.height = background->height;
    return list;
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

double PixelsToPaint(const WindowList& list) {
    const ClipBox whole{0, 0, double(list.width), double(list.height)};
    double pixels = whole.w * whole.h;
    std::string_view gauge;  // the gauge whose box is counted already
    for (const PaintItem& item : list.items) {
        if (!item.alias.empty() && gauge == item.alias) continue;
        gauge = item.alias;
        const ClipBox shown = Overlap(item.clip, whole);
        pixels += shown.w * shown.h;
    }
    return pixels;
}

std::string PictureName(const PanelWindow& window) {
    const std::string& section = window.section;
    if (window.virtualCockpit && section.size() >= virtualCockpitPrefix.size() &&
        SameWord(std::string_view(section).substr(0, virtualCockpitPrefix.size()), virtualCockpitPrefix)) {
        return "VCockpit" + section.substr(virtualCockpitPrefix.size());
    }
    return section;
}

}  // namespace panelhost
