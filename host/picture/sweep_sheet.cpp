#include "host/picture/sweep_sheet.h"

#include <algorithm>
#include <cstring>
#include <iostream>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "host/picture/bitmap_source.h"
#include "host/picture/display_list.h"
#include "host/picture/painter.h"
#include "host/core/element_kinds.h"
#include "host/core/messages.h"
#include "host/picture/renderer.h"
#include "module/tokens.h"

namespace panelhost {

namespace {

// A state's picture fits this square: large faces shrink, small ones grow
// at most this much, so that a switch's legend can still be read.
constexpr double cellSide = 150;
constexpr double maxEnlargement = 3;
constexpr double gap = 8;
constexpr double labelHeight = 14;
constexpr double titleHeight = 18;
constexpr int maxImages = 12;  // an icon's images shown, at most
constexpr UINT32 sheetColour = 0x2A2D31;
constexpr UINT32 titleColour = 0xF0EEE6;
constexpr UINT32 labelColour = 0xB4B8BC;

// The simulator's range of each token that moves a slider or a sprite: the
// sheet drives the token to both ends and the middle, and the gauge's own
// routines and scales make of it what the pilot would see.
struct TokenRange {
    SINT32 token;
    double low, high;
};
constexpr TokenRange tokenRanges[] = {
    {tokenPitch, -90, 90},              // degrees
    {tokenBank, -180, 180},             // degrees
    {tokenGyroHeading, 0, 360},         // degrees
    {tokenAdfCard, 0, 360},             // degrees
    {tokenBallPosition, -127, 127},     // a signed byte's range
    {tokenAttitudeSymbolHeight, -100, 100},
    {tokenElevatorTrim, -0.25, 0.25},
    {tokenEngine1ThrottleLever, 0, 1},
    {tokenEngine1PropellerLever, 0, 1},
    {tokenEngine2ThrottleLever, 0, 1},
    {tokenEngine2PropellerLever, 0, 1},
};

std::optional<TokenRange> RangeOf(const MODULE_VAR& var) {
    for (const TokenRange& range : tokenRanges) {
        if (var.id != tokenNone && range.token == var.id) return range;
    }
    return std::nullopt;
}

struct Cell {
    std::string label;
    Picture picture;
};
struct Row {
    std::string title;
    std::vector<Cell> cells;
};

class Sweep {
public:
    Sweep(Host& host, std::string alias) : host_(host), alias_(std::move(alias)), bitmaps_(host) {}

    // The picture of the host's own states, or of `posed` in their place.
    std::optional<Picture> Draw(Lighting lighting, std::span<const ElementState> posed = {}) {
        const WindowList list = ComputeGaugeList(host_, alias_, bitmaps_, lighting, &error_, nullptr, posed);
        if (list.width == 0) return std::nullopt;
        Painter painter(bitmaps_);
        Painting painting(list.width, list.height);
        if (!painting.Made()) return std::nullopt;
        painting.Paint(list, painter);
        return painting.Over();
    }

    std::vector<Row> Rows() {
        std::vector<Row> rows;
        rows.push_back(AsPlaced());
        const std::vector<ElementState> rest(host_.Elements(alias_).begin(), host_.Elements(alias_).end());
        for (std::size_t i = 0; i < rest.size(); ++i) {
            Row row = Element(rest, i);
            if (!row.cells.empty()) rows.push_back(std::move(row));
        }
        return rows;
    }

    const std::string& Error() const { return error_; }

private:
    void Add(Row& row, std::string label, std::optional<Picture> picture) {
        if (picture) row.cells.push_back({std::move(label), std::move(*picture)});
    }

    Row AsPlaced() {
        Row row{.title = alias_ + " as placed", .cells = {}};
        Add(row, "day", Draw(Lighting::Day));
        Add(row, "night", Draw(Lighting::Night));
        std::set<SINT32> keys;
        for (const ElementState& state : host_.Elements(alias_)) {
            for (const FAILURE_RECORD* f = state.record->failure_systems; f && f->key != 0; ++f) {
                keys.insert(f->key);
            }
        }
        if (keys.empty()) return row;
        for (SINT32 key : keys) host_.Fail(key);
        host_.Frame();
        Add(row, "failed", Draw(Lighting::Day));
        Add(row, "failed, night", Draw(Lighting::Night));
        for (SINT32 key : keys) host_.Repair(key);
        host_.Frame();
        return row;
    }

    // One pose of element i, the others as they rest.
    template <typename Change>
    void Pose(Row& row, const std::vector<ElementState>& rest, std::size_t i, std::string label, Change change) {
        std::vector<ElementState> posed = rest;
        change(posed[i]);
        Add(row, std::move(label), Draw(Lighting::Day, posed));
    }

    // The gauge after a frame with these tokens at these values; the tokens
    // are put back and the frame run again afterwards.
    void Driven(Row& row, std::string label, const std::vector<std::pair<SINT32, double>>& values) {
        std::vector<std::pair<SINT32, double>> before;
        for (const auto& [token, value] : values) {
            before.emplace_back(token, host_.Number(token));
            host_.SetNumber(token, value);
        }
        host_.Frame();
        Add(row, std::move(label), Draw(Lighting::Day));
        for (const auto& [token, value] : before) host_.SetNumber(token, value);
        host_.Frame();
    }

    Row Element(const std::vector<ElementState>& rest, std::size_t i) {
        const ElementState& state = rest[i];
        Row row{.title = "element " + std::to_string(i + 1) + ": " + KindOf(state.kind).name, .cells = {}};
        switch (state.kind) {
        case ELEMENT_TYPE_NEEDLE: Needle(row, rest, i); break;
        case ELEMENT_TYPE_ICON: Icon(row, rest, i); break;
        case ELEMENT_TYPE_MOVING_IMAGE: Strip(row, rest, i); break;
        case ELEMENT_TYPE_SLIDER: Slider(row, rest, i); break;
        case ELEMENT_TYPE_SPRITE: Sprite(row, rest, i); break;
        default: break;
        }
        return row;
    }

    // Both ends of the table and half way round, the stops at either end
    // (rows repeating a point) left out; a needle without a table shows its
    // value as its angle and turns a full turn.
    void Needle(Row& row, const std::vector<ElementState>& rest, std::size_t i) {
        const auto& needle = *reinterpret_cast<const ELEMENT_NEEDLE*>(rest[i].record);
        const NONLINEARITY* table = needle.nonlinearity;
        const int count = needle.nonlinearity_table_size;
        const auto turned = [](double angle) { return [angle](ElementState& s) { s.angle = angle; }; };
        if (!table || count < 2) {
            for (double angle : {0.0, 90.0, 180.0, 270.0}) {
                Pose(row, rest, i, FormatNumber(angle) + " deg", turned(angle));
            }
            return;
        }
        const auto samePoint = [&](int a, int b) { return table[a].pt.x == table[b].pt.x && table[a].pt.y == table[b].pt.y; };
        int first = 0, last = count - 1;
        while (first + 1 < last && samePoint(first, first + 1)) ++first;
        while (last - 1 > first && samePoint(last, last - 1)) --last;
        Pose(row, rest, i, FormatNumber(table[first].value), turned(table[first].degrees));
        Pose(row, rest, i, "half way", turned((table[first].degrees + table[last].degrees) / 2));
        Pose(row, rest, i, FormatNumber(table[last].value), turned(table[last].degrees));
    }

    void Icon(Row& row, const std::vector<ElementState>& rest, std::size_t i) {
        const auto& icon = *reinterpret_cast<const ELEMENT_ICON*>(rest[i].record);
        const int images = std::clamp(int(icon.picture_count), 1, maxImages);
        for (int image = 0; image < images; ++image) {
            Pose(row, rest, i, "image " + std::to_string(image), [image](ElementState& s) { s.image = image; });
        }
    }

    // Along each axis that moves, the start, middle and end of the travel.
    void Strip(Row& row, const std::vector<ElementState>& rest, std::size_t i) {
        const auto& strip = *reinterpret_cast<const ELEMENT_MOVING_IMAGE*>(rest[i].record);
        const bool movesX = strip.source_var_x.id != tokenNone || strip.update_x_cb;
        const bool movesY = strip.source_var_y.id != tokenNone || strip.update_y_cb;
        const std::pair<const char*, double> stops[] = {{"start", 0.0}, {"middle", 0.5}, {"end", 1.0}};
        for (const auto& [label, fraction] : stops) {
            Pose(row, rest, i, label, [&, fraction](ElementState& s) {
                if (movesX) s.shiftX = fraction;
                if (movesY) s.shiftY = fraction;
            });
        }
    }

    // Its tokens together at the low end, the middle and the high end.
    void DrivenAcross(Row& row, const std::vector<TokenRange>& ranges) {
        for (double at : {0.0, 0.5, 1.0}) {
            std::vector<std::pair<SINT32, double>> values;
            std::string label;
            for (const TokenRange& range : ranges) {
                const double value = range.low + at * (range.high - range.low);
                values.emplace_back(range.token, value);
                label += (label.empty() ? "" : ", ") + FormatNumber(value);
            }
            Driven(row, label, values);
        }
    }

    static void AddRange(std::vector<TokenRange>& ranges, const MODULE_VAR& var) {
        const auto range = RangeOf(var);
        if (range && std::none_of(ranges.begin(), ranges.end(),
                                  [&](const TokenRange& r) { return r.token == range->token; })) {
            ranges.push_back(*range);
        }
    }

    void Slider(Row& row, const std::vector<ElementState>& rest, std::size_t i) {
        const auto& slider = *reinterpret_cast<const ELEMENT_SLIDER*>(rest[i].record);
        std::vector<TokenRange> ranges;
        AddRange(ranges, slider.source_var_x);
        AddRange(ranges, slider.source_var_y);
        if (!ranges.empty()) DrivenAcross(row, ranges);
    }

    // Each token that drives it across its range on its own, then a turn
    // with the shift at both ends; a turn nothing known drives, in quarters.
    void Sprite(Row& row, const std::vector<ElementState>& rest, std::size_t i) {
        const auto& sprite = *reinterpret_cast<const ELEMENT_SPRITE*>(rest[i].record);
        std::vector<TokenRange> shifts;
        AddRange(shifts, sprite.source_var_x);
        AddRange(shifts, sprite.source_var_y);
        const auto turn = RangeOf(sprite.source_var_0);
        if (!shifts.empty()) DrivenAcross(row, shifts);
        if (turn) {
            DrivenAcross(row, {*turn});
            std::vector<std::pair<SINT32, double>> low, high;
            for (const TokenRange& shift : shifts) {
                low.emplace_back(shift.token, shift.low);
                high.emplace_back(shift.token, shift.high);
            }
            const double quarter = (turn->high - turn->low) / 4;
            low.emplace_back(turn->token, turn->low + quarter);
            high.emplace_back(turn->token, turn->high - quarter);
            if (!shifts.empty()) {
                Driven(row, "low, " + FormatNumber(turn->low + quarter), low);
                Driven(row, "high, " + FormatNumber(turn->high - quarter), high);
            }
            return;
        }
        for (double angle : {0.0, 90.0, 180.0, 270.0}) {
            Pose(row, rest, i, "turned " + FormatNumber(angle) + " deg",
                 [angle](ElementState& s) { s.rotation = angle; });
        }
    }

    Host& host_;
    std::string alias_;
    ModuleBitmaps bitmaps_;
    std::string error_;
};

PaintItem Label(const ClipBox& box, std::string text, std::uint32_t colour, int weight = 400) {
    return PaintItem{.kind = PaintKind::Text, .clip = box, .box = box, .text = std::move(text), .face = "Arial",
                     .weight = weight, .foreground = colour, .transparentBackground = true};
}

// The rows laid out top to bottom, each state's picture scaled into its cell
// with its label under it: a display list of its own, each picture a bitmap
// of `pictures` by its cell's number, painted as every picture is.
WindowList SheetList(const std::vector<Row>& rows, MemoryBitmaps& pictures) {
    WindowList sheet{.section = "sweep"};
    double pictureW = 0, pictureH = 0;
    std::size_t columns = 1;
    for (const Row& row : rows) {
        columns = std::max(columns, row.cells.size());
        for (const Cell& cell : row.cells) {
            pictureW = std::max(pictureW, double(cell.picture.width));
            pictureH = std::max(pictureH, double(cell.picture.height));
        }
    }
    if (pictureW <= 0 || pictureH <= 0) return sheet;
    const double scale = std::min({maxEnlargement, cellSide / pictureW, cellSide / pictureH});
    const double cellW = std::max(pictureW * scale, 90.0), cellH = pictureH * scale + labelHeight;
    const double rowH = titleHeight + cellH + gap;
    sheet.width = int(gap + double(columns) * (cellW + gap));
    sheet.height = int(gap + double(rows.size()) * rowH);
    const ClipBox whole{0, 0, double(sheet.width), double(sheet.height)};
    sheet.items.push_back(PaintItem{.kind = PaintKind::Fill, .clip = whole, .box = whole, .foreground = sheetColour});
    double y = gap;
    std::int32_t number = 0;
    for (const Row& row : rows) {
        sheet.items.push_back(Label({gap, y, sheet.width - 2 * gap, titleHeight - 2}, row.title, titleColour, 700));
        double x = gap;
        for (const Cell& cell : row.cells) {
            const double w = cell.picture.width * scale, h = cell.picture.height * scale;
            pictures.Add(number, cell.picture);
            sheet.items.push_back(PaintItem{.kind = PaintKind::Bitmap, .clip = whole, .bitmap = number++,
                                            .placement = Then(Scaled(scale, scale),
                                                              Moved(x + (cellW - w) / 2, y + titleHeight)),
                                            .bilinear = true});
            sheet.items.push_back(Label({x, y + titleHeight + h, cellW, labelHeight}, cell.label, labelColour));
            x += cellW + gap;
        }
        y += rowH;
    }
    return sheet;
}

int Usage(const char* why) {
    std::cerr << "panelhost: " << why << "\nusage: panelhost [--module PATH] sweep GAUGE [--params TEXT] FILE.png\n";
    return 2;
}

}  // namespace

int SweepCommand(const std::string& modulePath, int argc, char** argv) {
    std::optional<std::string> params;
    std::vector<std::string> words;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--params") == 0) {
            if (++i >= argc) return Usage("--params needs a text");
            params = argv[i];
        } else {
            words.push_back(argv[i]);
        }
    }
    if (words.size() != 2) return Usage("sweep needs a gauge name and a file");
    if (!EndsWithPng(words[1])) return Usage("sweep writes a PNG file (FILE.png)");
    Host host;
    std::string error;
    if (!host.Load(modulePath, &error)) {
        std::cerr << "panelhost: " << Printable(error) << '\n';
        return 2;
    }
    if (!host.Place(words[0], words[0], params, &error)) {
        std::cerr << "panelhost: " << Printable(error) << '\n';
        return 1;
    }
    host.Connect();
    host.Frame();
    Sweep sweep(host, words[0]);
    const std::vector<Row> rows = sweep.Rows();
    MemoryBitmaps pictures;
    const WindowList list = SheetList(rows, pictures);
    Painter painter(pictures);
    Painting sheet(list.width, list.height);
    if (!sheet.Made()) {
        std::cerr << "panelhost: " << Printable(words[0] + ": no picture (" + sweep.Error() + ")") << '\n';
        return 1;
    }
    sheet.Paint(list, painter);
    if (!WritePngFile(sheet, words[1], &error)) {
        std::cerr << "panelhost: " << Printable(error) << '\n';
        return 1;
    }
    std::cout << Printable(words[1] + ": " + words[0]) << ", " << rows.size() << " rows\n";
    return 0;
}

}  // namespace panelhost
