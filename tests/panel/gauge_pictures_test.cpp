// The gauge reference (docs/gauges.md) beside the module: a row for every
// gauge with its table positions, default width, the source that builds it
// and its picture, and each picture as the module draws the gauge today
// (redrawn with scripts/update-gauge-pictures).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "host/panel_view.h"

#if defined(QR_DRAWING)
#include <cairo.h>

#include "host/bitmap_source.h"
#include "host/drawing.h"
#endif

namespace {

namespace fs = std::filesystem;

const fs::path docs = fs::path(QR_SOURCE_DIR) / "docs";
const char* const redraw = "redraw the reference's pictures with scripts/update-gauge-pictures";

std::string ReadText(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

struct ReferenceRow {
    std::string numbers;  // "58, 80"
    std::string picture;
    unsigned width{};
    std::string source;
};

// Rows of the reference's tables: | # | `Gauge` | ![..](gauges/X.png) | width | `source` | ...
std::map<std::string, ReferenceRow> ReferenceRows() {
    const std::regex row(R"(^\| ([0-9, ]+) \| `(\w+)` \| !\[[^\]]*\]\(gauges/([^)]+)\) \| (\d+) \| `([^`]+)` \|.*)");
    std::map<std::string, ReferenceRow> rows;
    std::istringstream doc(ReadText(docs / "gauges.md"));
    std::smatch m;
    for (std::string line; std::getline(doc, line);) {
        if (!std::regex_match(line, m, row)) continue;
        rows[m[2]] = {m[1], m[3], unsigned(std::stoul(m[4])), m[5]};
    }
    return rows;
}

class GaugeReference : public ::testing::Test {
protected:
    panelhost::Host host;

    void SetUp() override {
        std::string error;
        ASSERT_TRUE(host.Load(QR_MODULE_PATH, &error)) << error;
    }
};

// A renamed or moved source, a changed default width or a new gauge leaves
// the reference behind.
TEST_F(GaugeReference, RowOfEveryGaugeNamesItsPlaceWidthSourceAndPicture) {
    const std::map<std::string, ReferenceRow> rows = ReferenceRows();
    for (const panelhost::GaugeEntry& entry : host.Gauges()) {
        const auto found = rows.find(entry.name);
        ASSERT_NE(found, rows.end()) << entry.name << " has no row in docs/gauges.md";
        const ReferenceRow& row = found->second;
        const std::regex number("(^|, )" + std::to_string(entry.number) + "(,|$)");
        EXPECT_TRUE(std::regex_search(row.numbers, number)) << entry.name << " is number " << entry.number;
        EXPECT_EQ(row.width, entry.sizeMm) << entry.name;
        EXPECT_EQ(row.picture, entry.name + ".png");
        EXPECT_TRUE(fs::exists(docs / "gauges" / row.picture)) << row.picture << " missing: " << redraw;
        const std::string source = ReadText(fs::path(QR_SOURCE_DIR) / "gauges" / row.source);
        EXPECT_NE(source.find("\"" + entry.name + "\""), std::string::npos)
            << entry.name << ": gauges/" << row.source << " does not build it";
    }
}

#if defined(QR_DRAWING)

panelhost::Picture ReadPng(const fs::path& path) {
    cairo_surface_t* surface = cairo_image_surface_create_from_png(path.string().c_str());
    panelhost::Picture picture;
    if (cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS) picture = panelhost::PictureFromCanvas(surface);
    cairo_surface_destroy(surface);
    return picture;
}

// Every gauge drawn again from the pictures' own panel configuration (one
// window per gauge, titled with its name) and compared with its picture:
// the same size, and close everywhere but for a few pixels.
TEST_F(GaugeReference, PicturesLookAsTheModuleDrawsTheGauges) {
    panelhost::PlacedPanel placed = panelhost::PlacePanelFile(host, (docs / "gauges" / "gauges.cfg").string());
    for (const std::string& problem : placed.errors) ADD_FAILURE() << problem;
    std::map<std::string, const panelhost::PanelWindow*> byTitle;
    for (const panelhost::PanelWindow& window : placed.config.windows) byTitle[window.title] = &window;
    for (const panelhost::GaugeEntry& entry : host.Gauges()) {
        EXPECT_TRUE(byTitle.count(entry.name)) << entry.name << " has no window in docs/gauges/gauges.cfg: " << redraw;
    }

    host.Connect();
    host.Frame();
    panelhost::ModuleBitmaps bitmaps(host);
    const fs::path folder = fs::temp_directory_path() /
                            ("qr417_pictures_" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    std::ostringstream out;
    std::string error;
    ASSERT_TRUE(panelhost::WritePanelPictures(host, placed, bitmaps, panelhost::Lighting::Day, folder.string(), out, &error))
        << error;
    for (const auto& [title, window] : byTitle) {
        const panelhost::Picture kept = ReadPng(docs / "gauges" / (title + ".png"));
        const panelhost::Picture drawn = ReadPng(folder / (window->section + ".png"));
        ASSERT_GT(kept.width, 0) << title << ".png missing: " << redraw;
        ASSERT_EQ(drawn.width, kept.width) << title << ": " << redraw << " if the change is meant";
        ASSERT_EQ(drawn.height, kept.height) << title << ": " << redraw << " if the change is meant";
        std::size_t far = 0;
        for (std::size_t i = 0; i < kept.pixels.size(); ++i) {
            const panelhost::Rgb& a = kept.pixels[i];
            const panelhost::Rgb& b = drawn.pixels[i];
            if (std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)}) > 64) ++far;
        }
        EXPECT_LE(far, kept.pixels.size() / 200 + 2)
            << title << ": " << far << " pixels differ; " << redraw << " if the change is meant";
    }
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

#endif  // QR_DRAWING

}  // namespace
