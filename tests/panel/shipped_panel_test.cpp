// The shipped Corvane panel: it reads without a problem, places every gauge
// of the module, its toggles open windows it defines, the gauge reference's
// examples are lines of it, and its windows look as they did (golden
// pictures, redrawn with scripts/update-golden). The gauge reference's rows
// and pictures keep up with the module.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "host/picture/panel_view.h"
#include "host/picture/renderer.h"
#include "tests/panel/read_png.h"
#include "tests/support/run_panelhost.h"


namespace {

namespace fs = std::filesystem;

const std::string shippedPanel = std::string(QR_SOURCE_DIR) + "/panels/corvane/panel.cfg";

std::string ReadText(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

class ShippedPanel : public ::testing::Test {
protected:
    panelhost::Host host;
    panelhost::PlacedPanel placed;

    void SetUp() override {
        std::string error;
        ASSERT_TRUE(host.Load(QR_MODULE_PATH, &error)) << error;
        placed = panelhost::PlacePanelFile(host, shippedPanel);
    }
};

TEST_F(ShippedPanel, ReadsCleanlyAndPlacesEveryGaugeOfTheModule) {
    for (const std::string& problem : placed.errors) ADD_FAILURE() << problem;
    std::set<std::string> placedNames;
    for (const std::string& alias : host.Aliases()) placedNames.insert(host.Header(alias)->gauge_name);
    for (const panelhost::GaugeEntry& entry : host.Gauges()) {
        EXPECT_TRUE(placedNames.count(entry.name)) << entry.name << " is not on the shipped panel";
    }
    EXPECT_EQ(placedNames.size(), 88u);

    // Engine gauges carry their engine numbers; the radio altimeter calls out.
    std::multiset<std::string> engineParams;
    for (const std::string& alias : host.Aliases()) {
        const GAUGEHDR* header = host.Header(alias);
        const std::string name = header->gauge_name;
        if (name == "Tachometer" || name == "Manifold_Pressure" || name == "Manifold_Light" ||
            name == "Propeller_Switch") {
            ASSERT_NE(header->parameters, nullptr) << alias;
            engineParams.insert(name + " " + header->parameters);
        }
        if (name == "Radio_Altimeter") {
            EXPECT_STREQ(header->parameters, "s1");
        }
    }
    for (const char* name : {"Tachometer", "Manifold_Pressure", "Manifold_Light", "Propeller_Switch"}) {
        EXPECT_EQ(engineParams.count(std::string(name) + " 1"), 1u) << name;
        EXPECT_EQ(engineParams.count(std::string(name) + " 2"), 1u) << name;
    }
}

// Every programmable toggle opens, closes or toggles a window that the file
// defines (by its ident), or steps the view; a subpanel's close button
// closes its own window.
TEST_F(ShippedPanel, EveryToggleReachesAWindowOfThePanel) {
    std::map<const panelhost::PanelWindow*, int> idents;
    std::set<int> defined;
    for (const panelhost::PanelWindow& window : placed.config.windows) {
        if (window.virtualCockpit) continue;  // textures, opened by no toggle
        ASSERT_TRUE(window.ident.has_value()) << window.section;
        defined.insert(*window.ident);
    }
    host.Connect();
    host.ClearEvents();
    int toggles = 0;
    for (const panelhost::PlacedGauge& gauge : placed.gauges) {
        if (gauge.alias.empty()) continue;
        const std::string name = host.Header(gauge.alias)->gauge_name;
        const bool programmable = name.ends_with("_Toggle") || name == "Close_Subpanel" || name == "Show_Yoke";
        if (!programmable || name == "Kneeboard_Toggle" || name == "ATC_Toggle" || name == "Map_Toggle") continue;
        ++toggles;
        ASSERT_TRUE(host.Click(gauge.alias, 9, 9)) << gauge.alias;
        const panelhost::EventList events = host.TakeEvents();
        ASSERT_FALSE(events.empty()) << gauge.alias;
        for (const panelhost::KeyEvent& event : events) {
            if (event.event == 0x100C6 || event.event == 0x100C7) continue;  // view steps
            EXPECT_TRUE(event.event == 0x103CA || event.event == 0x103CB || event.event == 0x103CC) << gauge.alias;
            EXPECT_TRUE(defined.count(int(event.value))) << gauge.alias << " reaches window " << event.value;
            if (name == "Close_Subpanel") {
                EXPECT_EQ(event.event, 0x103CCu);
                EXPECT_EQ(int(event.value), *gauge.window->ident) << gauge.alias;
            }
        }
    }
    EXPECT_EQ(toggles, 15 + 3);  // Close_Subpanel sits on each of four subpanels
}

// The panel configuration lines of the gauge reference are lines of the
// shipped panel, and the reference names every gauge.
TEST_F(ShippedPanel, GaugeReferenceExamplesArePartOfIt) {
    const std::string reference = ReadText(fs::path(QR_SOURCE_DIR) / "docs" / "gauges.md");
    ASSERT_FALSE(reference.empty());
    const std::string panel = ReadText(shippedPanel);
    std::set<std::string> panelLines;
    std::istringstream lines(panel);
    for (std::string line; std::getline(lines, line);) panelLines.insert(line);
    const std::regex example(R"(^gauge\d+=.*$)");
    int examples = 0;
    std::istringstream doc(reference);
    for (std::string line; std::getline(doc, line);) {
        if (!std::regex_match(line, example)) continue;
        ++examples;
        EXPECT_TRUE(panelLines.count(line)) << "not in the shipped panel: " << line;
    }
    EXPECT_GE(examples, 15);
    for (const panelhost::GaugeEntry& entry : host.Gauges()) {
        EXPECT_NE(reference.find("`" + entry.name + "`"), std::string::npos) << entry.name << " missing";
    }
}

// Each gauge's row gives its table positions, default width, picture and the
// source that builds it:
// | 58, 80 | `Flaps_Switch` | ![Flaps_Switch](gauges/Flaps_Switch.png) | 40 | `flight/flaps.cpp` | ...
TEST_F(ShippedPanel, GaugeReferenceRowsNamePlaceWidthPictureAndSource) {
    std::istringstream doc(ReadText(fs::path(QR_SOURCE_DIR) / "docs" / "gauges.md"));
    std::map<std::string, std::vector<std::string>> rows;  // a row's cells by its gauge cell
    for (std::string line; std::getline(doc, line);) {
        std::vector<std::string> cells;
        for (std::size_t at = 2, bar; (bar = line.find(" | ", at)) != std::string::npos; at = bar + 3) {
            cells.push_back(line.substr(at, bar - at));
        }
        if (line.starts_with("| ") && cells.size() >= 5) rows[cells[1]] = cells;
    }
    for (const panelhost::GaugeEntry& entry : host.Gauges()) {
        const std::vector<std::string>& cells = rows["`" + entry.name + "`"];
        ASSERT_GE(cells.size(), 5u) << entry.name << " has no row";
        EXPECT_NE((", " + cells[0] + ",").find(", " + std::to_string(entry.number) + ","), std::string::npos) << entry.name;
        EXPECT_EQ(cells[2], "![" + entry.name + "](gauges/" + entry.name + ".png)");
        EXPECT_EQ(cells[3], std::to_string(entry.sizeMm)) << entry.name;
#if !defined(_WIN32)  // where a file "com1.cpp" opens the serial port COM1
        const std::string source = cells[4].substr(1, cells[4].size() - 2);  // `flight/flaps.cpp`
        EXPECT_NE(ReadText(fs::path(QR_SOURCE_DIR) / "gauges" / source).find('"' + entry.name + '"'), std::string::npos)
            << entry.name << " is not built in gauges/" << source;
#endif
    }
}

// How far two pictures of one size lie apart: the mean of each pixel's
// largest channel difference, and how many pixels differ by more than a
// quarter of the range.
struct Difference {
    double mean{};
    std::size_t far{};
};

Difference Compare(const panelhost::Picture& a, const panelhost::Picture& b) {
    Difference difference;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) {
        const panelhost::Rgb& p = a.pixels[i];
        const panelhost::Rgb& q = b.pixels[i];
        const int d = std::max({std::abs(p.r - q.r), std::abs(p.g - q.g), std::abs(p.b - q.b)});
        difference.mean += d;
        difference.far += d > 64;
    }
    if (!a.pixels.empty()) difference.mean /= double(a.pixels.size());
    return difference;
}

fs::path TemporaryFolder(const std::string& stem) {
    return fs::temp_directory_path() / (stem + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
}

#if defined(QR_CAIRO)

// Each window by day and by night against its golden picture: the same size,
// and close everywhere but for a few pixels (text and filtering may differ
// slightly between library versions).
TEST_F(ShippedPanel, WindowsLookAsTheirGoldenPictures) {
    host.Connect();
    host.Frame();
    panelhost::ModuleBitmaps bitmaps(host);
    const fs::path folder = TemporaryFolder("qr417_golden_");
    for (const auto& [lighting, word] : {std::pair{panelhost::Lighting::Day, "day"}, {panelhost::Lighting::Night, "night"}}) {
        std::ostringstream out;
        std::string error;
        ASSERT_TRUE(panelhost::WritePanelPictures(host, placed, bitmaps, lighting, (folder / word).string(), out, &error))
            << error;
        for (const panelhost::PanelWindow& window : placed.config.windows) {
            const std::string file = panelhost::PictureName(window) + ".png";
            const fs::path goldenPath = fs::path(QR_SOURCE_DIR) / "tests" / "panel" / "golden" / word / file;
            const panelhost::Picture golden = ReadPng(goldenPath);
            const panelhost::Picture drawn = ReadPng(folder / word / file);
            ASSERT_GT(golden.width, 0) << goldenPath << " missing: run scripts/update-golden";
            ASSERT_EQ(drawn.width, golden.width) << word << " " << file << ": run scripts/update-golden if meant";
            ASSERT_EQ(drawn.height, golden.height) << word << " " << file << ": run scripts/update-golden if meant";
            const Difference difference = Compare(golden, drawn);
            const std::string meant = ": if the change is meant, redraw the golden pictures with scripts/update-golden";
            EXPECT_LT(difference.mean, 1.0) << word << " " << file << meant;
            EXPECT_LE(difference.far, golden.pixels.size() / 500)
                << word << " " << file << ": " << difference.far << " pixels differ" << meant;
        }
    }
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

// The gauge reference's pictures, each gauge in a window of its own titled
// with its name (docs/gauges/gauges.cfg), as the module draws them today.
TEST(GaugeReferencePictures, LookAsTheModuleDrawsTheGauges) {
    const fs::path pictures = fs::path(QR_SOURCE_DIR) / "docs" / "gauges";
    const std::string redraw = "; if meant, redraw the pictures with scripts/update-gauge-pictures";
    panelhost::Host host;
    std::string error;
    ASSERT_TRUE(host.Load(QR_MODULE_PATH, &error)) << error;
    panelhost::PlacedPanel placed = panelhost::PlacePanelFile(host, (pictures / "gauges.cfg").string());
    for (const std::string& problem : placed.errors) ADD_FAILURE() << problem;
    std::set<std::string> titles;
    for (const panelhost::PanelWindow& window : placed.config.windows) titles.insert(window.title);
    for (const panelhost::GaugeEntry& entry : host.Gauges()) EXPECT_TRUE(titles.count(entry.name)) << entry.name << redraw;
    host.Connect();
    host.Frame();
    panelhost::ModuleBitmaps bitmaps(host);
    const fs::path folder = TemporaryFolder("qr417_pictures_");
    std::ostringstream out;
    ASSERT_TRUE(WritePanelPictures(host, placed, bitmaps, panelhost::Lighting::Day, folder.string(), out, &error)) << error;
    for (const panelhost::PanelWindow& window : placed.config.windows) {
        const panelhost::Picture kept = ReadPng(pictures / (window.title + ".png"));
        const panelhost::Picture drawn = ReadPng(folder / (window.section + ".png"));
        ASSERT_EQ(drawn.width, kept.width) << window.title << redraw;
        ASSERT_EQ(drawn.height, kept.height) << window.title << redraw;
        std::size_t far = 0;
        for (std::size_t i = 0; i < kept.pixels.size(); ++i) {
            const panelhost::Rgb& a = kept.pixels[i];
            const panelhost::Rgb& b = drawn.pixels[i];
            far += std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)}) > 64;
        }
        EXPECT_LE(far, kept.pixels.size() / 200 + 2) << window.title << ": " << far << " pixels differ" << redraw;
    }
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

#endif  // QR_CAIRO

#if defined(_WIN32)

// panelhost.exe paints the shipped panel with GDI+ from the display lists
// that cairo paints the golden pictures from: each window by day and by
// night the size of cairo's, and within a few levels in 255 of it on
// average. Text (another rasteriser, Liberation Sans standing in for Arial
// in the test's Wine), the resampling of shrunk dials and the edges of
// turned needles differ; a missing or misplaced gauge costs far more.
TEST(ShippedPanelOnWindows, PanelhostPaintsEveryWindowAsCairoDoes) {
    constexpr double levelsApart = 8;
    const fs::path folder = TemporaryFolder("qr417_gdiplus_");
    for (const std::string word : {"day", "night"}) {
        const RunResult run = RunPanelhost("--module " + std::string(QR_MODULE_PATH) + " panel " + shippedPanel +
                                           " --lighting " + word + " --out " + (folder / word).string());
        ASSERT_EQ(run.exitCode, 0) << run.output;
        std::size_t compared = 0;
        for (const fs::directory_entry& entry :
             fs::directory_iterator(fs::path(QR_SOURCE_DIR) / "tests" / "panel" / "golden" / word)) {
            const std::string file = entry.path().filename().string();
            const panelhost::Picture golden = ReadPng(entry.path());
            const panelhost::Picture drawn = ReadPng(folder / word / file);
            ASSERT_GT(golden.width, 0) << file;
            ASSERT_EQ(drawn.width, golden.width) << word << " " << file;
            ASSERT_EQ(drawn.height, golden.height) << word << " " << file;
            const Difference difference = Compare(golden, drawn);
            EXPECT_LT(difference.mean, levelsApart) << word << " " << file;
            std::printf("%s %s: %.2f levels apart on average, %zu pixels far\n", word.c_str(), file.c_str(),
                        difference.mean, difference.far);
            ++compared;
        }
        EXPECT_EQ(compared, 13u) << "twelve windows and the virtual cockpit's texture";
    }
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

#endif  // _WIN32

}  // namespace
