// Whole panel configurations on the host: gauges placed by window with their
// parameters, problems named by file and line, and windows drawn with their
// backgrounds, gauges scaled into their boxes and placeholders.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/picture/panel_view.h"
#include "host/picture/renderer.h"
#include "host/script/scenario.h"
#include "tests/panel/read_png.h"

namespace {

namespace fs = std::filesystem;

// A folder of its own for each test, removed afterwards.
class PanelFolder : public ::testing::Test {
protected:
    fs::path folder;
    panelhost::Host host;

    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("qr417_panel_" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
        fs::create_directories(folder);
        std::string error;
        ASSERT_TRUE(host.Load(QR_MODULE_PATH, &error)) << error;
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    std::string Write(const std::string& name, const std::string& text) {
        std::ofstream file(folder / name, std::ios::binary);
        file << text;
        return (folder / name).string();
    }
};

const char* const sample =
    "[Window Titles]\n"
    "Window00=Main\n"
    "Window01=Engines\n"
    "[Window00]\n"
    "size_mm=400,200\n"
    "file=Back.BMP\n"
    "gauge00=QR417_Instr!Altimeter, 0, 0, 200\n"
    "gauge01=Other_Module!Clock, 350, 150, 50, 50\n"
    "gauge02=QR417_Instr!No_Such_Gauge, 10, 10\n"
    "gauge03=qr417_instr.gau!airspeed, 200, 0, 150\n"
    "[Window01]\n"
    "background_color=0,0,255\n"
    "gauge00=QR417_Instr!Tachometer, 0, 0, 100, 100, 2 // right engine\n"
    "gauge01=QR417_Instr!Tachometer, 100, 0, 100, , 1\n";

TEST_F(PanelFolder, EveryGaugeOfThisModuleIsPlacedWithItsParameters) {
    const std::string path = Write("panel.cfg", sample);
    const panelhost::PlacedPanel placed = panelhost::PlacePanelFile(host, path);
    // The background is not in the folder: told when placed, before any drawing.
    ASSERT_EQ(placed.errors.size(), 2u);
    EXPECT_NE(placed.errors[0].find(":6:1: error: expected a background bitmap the host reads in \"Back.BMP\""),
              std::string::npos);
    EXPECT_EQ(placed.errors[1], path + ":9:21: error: expected a gauge of QR417_Instr (panelhost gauges lists "
                                       "them), found \"No_Such_Gauge\"; the simulator shows nothing in its place");
    EXPECT_EQ(host.Aliases(), (std::vector<std::string>{"Window00.gauge00", "Window00.gauge03",
                                                        "Window01.gauge00", "Window01.gauge01"}));
    EXPECT_STREQ(host.Header("Window00.gauge03")->gauge_name, "Airspeed");
    EXPECT_STREQ(host.Header("Window01.gauge00")->parameters, "2 // right engine");
    EXPECT_STREQ(host.Header("Window01.gauge01")->parameters, "1");
    EXPECT_EQ(host.Header("Window00.gauge00")->parameters, nullptr);
    ASSERT_EQ(placed.gauges.size(), 6u);
    EXPECT_EQ(placed.gauges[1].alias, "");  // another module's gauge: drawn, not placed
    EXPECT_EQ(placed.gauges[1].entry->gauge, "Clock");
    EXPECT_EQ(placed.folder, folder.string());
    EXPECT_TRUE(panelhost::NamesThisModule("QR417_INSTR.GAU"));
    EXPECT_FALSE(panelhost::NamesThisModule("QR417_Instr2"));
}

TEST_F(PanelFolder, AMissingOrEmptyConfigurationIsOneErrorAndPlacesNothing) {
    const panelhost::PlacedPanel placed = panelhost::PlacePanelFile(host, (folder / "none.cfg").string());
    ASSERT_EQ(placed.errors.size(), 1u);
    EXPECT_NE(placed.errors[0].find("none.cfg:1:1: error: expected a readable panel configuration file"),
              std::string::npos);
    EXPECT_TRUE(host.Aliases().empty());

    const std::string empty = Write("empty.cfg", "// nothing but a comment\n[Views]\n");
    const panelhost::PlacedPanel none = panelhost::PlacePanelFile(host, empty);
    EXPECT_EQ(none.errors,
              std::vector<std::string>{empty + ":1:1: error: expected at least one [WindowNN] or [VcockpitNN] section"});
}

TEST_F(PanelFolder, ScenarioPanelLinePlacesAWholeConfigurationForTests) {
    Write("ok.cfg",
          "[Window00]\n"
          "gauge00=QR417_Instr!Tachometer, 0, 0, 100, 100, 2\n"
          "gauge01=QR417_Instr!Flaps_Switch, 0, 0\n");
    const std::string scenario = Write("drive.scn",
                                       "panel ok.cfg\n"
                                       "set 390 1500\n"   // engine 1 rpm: not this gauge's
                                       "set 429 2400\n"   // engine 2 rpm
                                       "frame\n"
                                       "expect value Window00.gauge00 2 2400\n");
    std::ostringstream out, err;
    EXPECT_TRUE(panelhost::RunScenarioFile(host, scenario, out, err)) << err.str();

    Write("bad.cfg", "[Window00]\ngauge00=QR417_Instr!Nothing, 0, 0\nsize_mm=x\n");
    const std::string failing = Write("bad.scn", "panel bad.cfg\n");
    panelhost::Host other;
    ASSERT_TRUE(other.Load(QR_MODULE_PATH));
    std::ostringstream out2, err2;
    EXPECT_FALSE(panelhost::RunScenarioFile(other, failing, out2, err2));
    EXPECT_NE(err2.str().find("bad.scn:1: panel: 2 problems in"), std::string::npos) << err2.str();
    EXPECT_NE(err2.str().find("bad.cfg:2:21: error: expected a gauge of QR417_Instr"), std::string::npos) << err2.str();
    EXPECT_NE(err2.str().find("bad.cfg:3:9: error: expected size_mm="), std::string::npos) << err2.str();
}

// A configuration as the reader leaves it, for quirks written in code.
panelhost::PanelWindow Window(const std::string& section, std::vector<panelhost::PanelGauge> gauges = {}) {
    panelhost::PanelWindow window;
    window.line = 1;
    window.section = section;
    window.gauges = std::move(gauges);
    return window;
}

panelhost::PanelGauge Gauge(const std::string& name, int x, int y, int width, std::optional<int> height = {}) {
    return panelhost::PanelGauge{.line = 2, .key = "gauge00", .module = "QR417_Instr", .gauge = name, .x = x, .y = y,
                                 .width = width, .height = height, .params = {}};
}

TEST_F(PanelFolder, WindowListsAreComputedWithoutDrawing) {
    auto window = Window("Window00", {Gauge("Altimeter", 100, 50, 100), Gauge("Altimeter", 0, 0, 50)});
    window.gauges[0].key = "gauge01";
    window.sizeWidth = 400;
    window.sizeHeight = 200;
    window.gauges[1].module = "Other";
    panelhost::PanelConfig config;
    config.name = "q.cfg";
    config.windows = {window};
    const panelhost::PlacedPanel placed = panelhost::PlacePanel(host, config, folder.string());
    host.Frame();
    panelhost::ModuleBitmaps bitmaps(host);
    std::vector<std::string> problems;
    const panelhost::WindowList list = panelhost::ComputeWindowList(
        host, placed, placed.config.windows[0], bitmaps, panelhost::Lighting::Night, &problems);
    EXPECT_TRUE(problems.empty());
    EXPECT_EQ(list.width, 400);
    ASSERT_FALSE(list.items.empty());
    EXPECT_EQ(list.items[0].box, (panelhost::ClipBox{0, 0, 400, 200}));  // the panel colour under everything
    int gaugeItems = 0, placeholderText = 0;
    for (const panelhost::PaintItem& item : list.items) {
        if (item.alias == "Window00.gauge01") {
            ++gaugeItems;
            EXPECT_GE(item.clip.x, 100);
            EXPECT_GE(item.clip.y, 50);
            EXPECT_LE(item.clip.x + item.clip.w, 200 + 1e-9);
            EXPECT_LE(item.clip.y + item.clip.h, 150 + 1e-9);
        }
        if (item.kind == panelhost::PaintKind::Text && item.text == "Other!Altimeter") ++placeholderText;
    }
    EXPECT_GT(gaugeItems, 3);
    EXPECT_EQ(placeholderText, 1);
}

#if defined(QR_CAIRO)


int Brightness(const panelhost::Rgb& p) { return p.r + p.g + p.b; }

TEST_F(PanelFolder, WindowsAreDrawnOverTheirBackgroundsWithGaugesInTheirBoxes) {
    // A 40 x 20 background stretched over the 400 x 200 design space.
    const panelhost::Picture back(40, 20, panelhost::Rgb{0, 160, 0});
    const std::vector<std::uint8_t> bmp = panelhost::EncodeBmp(back);
    Write("back.bmp", std::string(bmp.begin(), bmp.end()));  // written in another case than the file names it
    const std::string path = Write("panel.cfg", sample);
    panelhost::PlacedPanel placed = panelhost::PlacePanelFile(host, path);
    host.Connect();
    host.Frame();
    panelhost::ModuleBitmaps bitmaps(host);
    std::ostringstream out;
    std::string error;
    ASSERT_TRUE(panelhost::WritePanelPictures(host, placed, bitmaps, panelhost::Lighting::Day,
                                              (folder / "day").string(), out, &error))
        << error;
    EXPECT_NE(out.str().find("Window00.png: Window00 \"Main\", 400x200, 4 gauges"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("Window01.png: Window01 \"Engines\", 200x100, 2 gauges"), std::string::npos) << out.str();

    const panelhost::Picture main = ReadPng(folder / "day" / "Window00.png");
    ASSERT_EQ(main.width, 400);
    ASSERT_EQ(main.height, 200);
    // The altimeter's 300-pixel face fills its 200 x 200 box: its pointer
    // (straight up at 0 ft) runs through the middle, the bezel's dark edge
    // lies inside the box, the background shows where nothing is placed.
    EXPECT_GT(Brightness(main.At(100, 60)), 500);
    EXPECT_LT(Brightness(main.At(100, 5)), 250);
    EXPECT_EQ(main.At(380, 50), (panelhost::Rgb{0, 160, 0}));
    EXPECT_EQ(main.At(250, 180), (panelhost::Rgb{0, 160, 0}));
    EXPECT_NE(main.At(250, 140), (panelhost::Rgb{0, 160, 0}));  // the airspeed's height from its aspect
    // Another module's gauge: a labelled placeholder over the background.
    EXPECT_NE(main.At(352, 152), (panelhost::Rgb{0, 160, 0}));
    EXPECT_EQ(main.At(348, 152), (panelhost::Rgb{0, 160, 0}));

    // No size_mm and no background: the gauges' extent, over the panel colour.
    const panelhost::Picture engines = ReadPng(folder / "day" / "Window01.png");
    EXPECT_EQ(engines.width, 200);
    EXPECT_EQ(engines.height, 100);

    // By night the same window is darker, and problems found while drawing
    // are named by file and line.
    Write("panel2.cfg", "[Window00]\nsize_mm=100,100\nfile=missing.bmp\ngauge00=QR417_Instr!Altimeter,0,0,100\n");
    panelhost::Host nightHost;
    ASSERT_TRUE(nightHost.Load(QR_MODULE_PATH));
    panelhost::PlacedPanel night = panelhost::PlacePanelFile(nightHost, (folder / "panel2.cfg").string());
    nightHost.Frame();
    panelhost::ModuleBitmaps nightBitmaps(nightHost);
    ASSERT_TRUE(panelhost::WritePanelPictures(nightHost, night, nightBitmaps, panelhost::Lighting::Night,
                                              (folder / "night").string(), out, &error));
    ASSERT_EQ(night.errors.size(), 1u);
    EXPECT_EQ(night.errors[0], (folder / "panel2.cfg").string() +
                                   ":3:1: error: expected a background bitmap the host reads in \"missing.bmp\": no "
                                   "such file beside the panel configuration");
    const panelhost::Picture dark = ReadPng(folder / "night" / "Window00.png");
    long day = 0, nightSum = 0;
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 100; ++x) {
            day += Brightness(main.At(x * 2, y * 2));
            nightSum += Brightness(dark.At(x, y));
        }
    }
    EXPECT_LT(nightSum, day / 2);
}

TEST_F(PanelFolder, ScenarioRendersAWholeWindowByDayAndByNight) {
    Write("ok.cfg", "[Window00]\nsize_mm=200,100\ngauge00=QR417_Instr!Altimeter, 0, 0, 100\n");
    const std::string scenario = Write("draw.scn",
                                       "panel ok.cfg\n"
                                       "frame\n"
                                       "render Window00 day.png\n"
                                       "render Window00 night.png night\n"
                                       "render Window00.gauge00 alt.png night\n");
    std::ostringstream out, err;
    panelhost::ScenarioOptions options{.outputDirectory = (folder / "out").string()};
    ASSERT_TRUE(panelhost::RunScenarioFile(host, scenario, out, err, options)) << err.str();
    EXPECT_EQ(ReadPng(folder / "out" / "day.png").width, 200);
    EXPECT_EQ(ReadPng(folder / "out" / "alt.png").width, 300);
    const std::string bad = Write("bad.scn", "render Window00 x.png dusk\n");
    EXPECT_FALSE(panelhost::RunScenarioFile(host, bad, out, err, options));
    EXPECT_NE(err.str().find("bad.scn:1: expected day or night, got \"dusk\""), std::string::npos) << err.str();
}

class DrawnPanel : public PanelFolder {
protected:
    panelhost::PlacedPanel placed;
    std::string listing;

    // Places the windows, runs a frame and writes them into folder/out.
    bool Draw(std::vector<panelhost::PanelWindow> windows, panelhost::Lighting lighting = panelhost::Lighting::Day,
              panelhost::PanelColours colours = {}) {
        panelhost::PanelConfig config;
        config.name = "q.cfg";
        config.windows = std::move(windows);
        config.colours = colours;
        placed = panelhost::PlacePanel(host, std::move(config), folder.string());
        host.Frame();
        panelhost::ModuleBitmaps bitmaps(host);
        std::ostringstream out;
        std::string error;
        const bool written = panelhost::WritePanelPictures(host, placed, bitmaps, lighting, (folder / "out").string(),
                                                           out, &error);
        listing = out.str() + error;
        return written;
    }
    panelhost::Picture Drawn(const std::string& name) { return ReadPng(folder / "out" / (name + ".png")); }
};

TEST_F(DrawnPanel, SizeMmWidthAloneFollowsTheBackgroundAndTexturesTakeTheirPixelSize) {
    const std::vector<std::uint8_t> bmp = panelhost::EncodeBmp(panelhost::Picture(160, 123, {0, 0, 200}));
    Write("main.bmp", std::string(bmp.begin(), bmp.end()));
    auto main = Window("Window00", {Gauge("Altimeter", 1180, 0, 100)});
    main.file = "main.bmp";
    main.sizeWidth = 1280;
    auto bare = Window("Window01");
    bare.sizeWidth = 300;  // no bitmap to take a height from
    auto texture = Window("Vcockpit01", {Gauge("Altimeter", 0, 0, 256)});
    texture.virtualCockpit = true;
    texture.sizeWidth = texture.sizeHeight = 512;
    texture.pixelWidth = texture.pixelHeight = 1024;
    ASSERT_TRUE(Draw({main, bare, texture})) << listing;
    EXPECT_NE(listing.find("Window00.png: Window00, 1280x984, 1 gauges"), std::string::npos) << listing;
    EXPECT_NE(listing.find("VCockpit01.png: Vcockpit01, 1024x1024, 1 gauges"), std::string::npos) << listing;
    EXPECT_EQ(placed.errors, std::vector<std::string>{"q.cfg:1:1: error: expected size_mm=WIDTH,HEIGHT: a width alone "
                                                      "takes its height from the background bitmap, and Window01 has "
                                                      "none"});
    const panelhost::Picture picture = Drawn("Window00");
    ASSERT_EQ(picture.width, 1280);
    EXPECT_EQ(picture.At(1000, 900), (panelhost::Rgb{0, 0, 200}));  // the bitmap stretched over the whole window
    EXPECT_NE(picture.At(1230, 50), (panelhost::Rgb{0, 0, 200}));   // the gauge at the right edge
    // The texture's 512 design units over 1024 pixels: the 256-unit gauge
    // covers the top-left quarter and nothing beyond.
    const panelhost::Picture vc = Drawn("VCockpit01");
    ASSERT_EQ(vc.width, 1024);
    EXPECT_GT(Brightness(vc.At(256, 160)), 500);  // the altimeter's pointer
    EXPECT_EQ(vc.At(600, 600), vc.At(1000, 1000));
}

TEST_F(DrawnPanel, AGaugeDrawsNothingOutsideItsBoxNorTheHorizonCardOutsideTheBezel) {
    auto window = Window("Window00", {Gauge("Attitude", 100, 100, 293, 303)});
    window.sizeWidth = window.sizeHeight = 500;
    window.backgroundRgb = 0x00FF00;
    const panelhost::Rgb panel{0, 255, 0};
    panelhost::Picture level;
    for (const auto& [pitch, bank] : {std::pair{0, 0}, {40, 0}, {-40, 0}, {40, 90}, {-40, -90}, {25, 180}}) {
        SCOPED_TRACE(std::to_string(pitch) + " pitch, " + std::to_string(bank) + " bank");
        host.SetNumber(78, pitch);
        host.SetNumber(80, bank);
        ASSERT_TRUE(Draw({window})) << listing;
        const panelhost::Picture picture = Drawn("Window00");
        for (int i = 0; i < 500; i += 7) {
            EXPECT_EQ(picture.At(i, 99), panel);
            EXPECT_EQ(picture.At(i, 403), panel);
            EXPECT_EQ(picture.At(99, i), panel);
            EXPECT_EQ(picture.At(393, i), panel);
        }
        // Below and beside the bezel (250 x 250 at the case's top left) the
        // case shows whatever the card does.
        if (level.width == 0) level = picture;
        for (int x = 100; x < 393; x += 5) EXPECT_EQ(picture.At(x, 380), level.At(x, 380)) << x;
        for (int y = 100; y < 350; y += 5) EXPECT_EQ(picture.At(370, y), level.At(370, y)) << y;
        host.Kill("Window00.gauge00");
    }
}

TEST_F(DrawnPanel, TheDesignersTintsLightThePanel) {
    auto window = Window("Window00");
    window.sizeWidth = window.sizeHeight = 10;
    window.backgroundRgb = 0xFFFFFF;
    ASSERT_TRUE(Draw({window}, panelhost::Lighting::Night, {.day = 0x808080, .night = 0x0000FF, .luminous = {}}));
    EXPECT_EQ(Drawn("Window00").At(5, 5), (panelhost::Rgb{0, 0, 255}));
    ASSERT_TRUE(Draw({window}, panelhost::Lighting::Day, {.day = 0x808080, .night = 0x0000FF, .luminous = {}}));
    EXPECT_EQ(Drawn("Window00").At(5, 5), (panelhost::Rgb{128, 128, 128}));
    ASSERT_TRUE(Draw({window}, panelhost::Lighting::Night));  // our own tint without a [Color] section
    EXPECT_EQ(Drawn("Window00").At(5, 5), (panelhost::Rgb{41, 43, 56}));
}

TEST_F(DrawnPanel, BadBackgroundsLongNamesAndHugeRequestsAreOneErrorEach) {
    fs::create_symlink("/proc/self/mem", folder / "mem.bmp");  // a file whose every read fails
    auto unreadable = Window("Window00");
    unreadable.file = "mem.bmp";
    unreadable.fileLine = 3;
    auto shared = Window("Window01");
    shared.file = "back.bmp";
    const std::vector<std::uint8_t> bmp = panelhost::EncodeBmp(panelhost::Picture(4, 4, {9, 9, 9}));
    Write("back.bmp", std::string(bmp.begin(), bmp.end()));
    auto longName = Window("Window" + std::string(300, '0'));
    auto sameBack = shared;
    sameBack.section = "Window02";
    ASSERT_TRUE(Draw({unreadable, shared, longName, sameBack})) << listing;
    ASSERT_EQ(placed.errors.size(), 2u) << listing;
    EXPECT_EQ(placed.errors[0], "q.cfg:3:1: error: expected a background bitmap the host reads in \"mem.bmp\": "
                                "cannot be read");
    EXPECT_NE(placed.errors[1].find("expected a section name of at most 251 characters"), std::string::npos);
    EXPECT_EQ(Drawn("Window02").At(2, 2), (panelhost::Rgb{9, 9, 9}));
    EXPECT_EQ(placed.backgrounds->Section("Window01"), placed.backgrounds->Section("Window02"));  // read once

    std::vector<panelhost::PanelGauge> many(60, Gauge("Altimeter", 0, 0, 4096, 4096));
    for (std::size_t i = 0; i < many.size(); ++i) many[i].key = "gauge" + std::to_string(i);
    auto huge = Window("Window05", many);
    huge.sizeWidth = huge.sizeHeight = 4096;
    ASSERT_TRUE(Draw({huge})) << listing;
    ASSERT_EQ(placed.errors.size(), 1u);
    EXPECT_NE(placed.errors[0].find("million pixels drawn for the whole configuration"), std::string::npos);
    EXPECT_FALSE(fs::exists(folder / "out" / "Window05.png"));
}

long PeakKilobytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    }
    return 0;
}

TEST_F(DrawnPanel, TenThousandGaugesDrawWithinAGigabyte) {
    std::vector<panelhost::PanelGauge> gauges;
    for (int i = 0; i < 10000; ++i) {
        gauges.push_back(Gauge("Radio_ADF", i % 100 * 20, i / 100 * 20, 20));
        gauges.back().key = "gauge" + std::to_string(i);
    }
    auto window = Window("Window00", gauges);
    window.sizeWidth = window.sizeHeight = 2000;
    ASSERT_TRUE(Draw({window})) << listing;
    EXPECT_TRUE(placed.errors.empty()) << placed.errors.front();
    EXPECT_LT(PeakKilobytes(), 1 << 20);
}

#endif  // QR_CAIRO

}  // namespace
