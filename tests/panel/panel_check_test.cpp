// `panelhost check` and the reader under it: what real files hold is read
// (one-number sizes, zero sizes, any window name, ';' comments, file_1024,
// 16-bit and run-length-encoded backgrounds), and every trap is pointed out
// at its line and column with the names meant.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "host/panel/panel_config.h"
#include "host/panel/panel_findings.h"
#include "host/picture/bitmap_source.h"
#include "host/picture/renderer.h"
#include "tests/panel/read_png.h"
#include "tests/support/run_panelhost.h"

namespace {

namespace fs = std::filesystem;
using panelhost::PanelConfig;
using panelhost::PanelFinding;
using panelhost::Severity;

std::string All(const std::vector<PanelFinding>& findings) {
    std::string all;
    for (const PanelFinding& finding : findings) all += panelhost::FindingText(finding) + "\n";
    return all;
}

TEST(PanelCheck, ReadsWhatRealFilesHold) {
    const PanelConfig config = panelhost::ParsePanelConfig(
        "[Window Titles]\n"
        "Window00=Main ; the big one\n"
        "[Window00]\n"
        "file_1024=main 1024.bmp\n"         // 4: serves, file= being absent
        "window_size=0.45 ; a width\n"      // 5
        "window_size_ratio=0.8\n"           // 6
        "visible=0 ; this first\n"          // 7
        "ident=MINIPANEL\n"                 // 8: a note
        "gauge00=QR417_Instr!Shut_Down, 0, 0, 0\n"
        "[Window01]\n"
        "file=a;b.bmp\n"                    // 11: a ';' inside a name is the name's
        "file_1024=other.bmp\n"
        "size_mm=0,0\n"
        "[Vcockpit01]\n"
        "pixel_size=1024\n"                 // 15: a note, 512 square
        "[Vcockpit02]\n"
        "size_mm=0\n"
        "pixel_size=0,0\n",
        "real.cfg");
    EXPECT_FALSE(panelhost::HasErrors(config.findings)) << All(config.findings);
    ASSERT_EQ(config.windows.size(), 4u);
    const panelhost::PanelWindow& main = config.windows[0];
    EXPECT_EQ(main.title, "Main");
    EXPECT_EQ(main.file, "main 1024.bmp");
    EXPECT_EQ(main.fileLine, 4);
    EXPECT_EQ(main.screenWidth, 0.45);
    EXPECT_EQ(main.screenHeight, std::nullopt);
    EXPECT_EQ(main.sizeRatio, 0.8);
    EXPECT_FALSE(main.visible);
    EXPECT_EQ(main.ident, std::nullopt);
    EXPECT_EQ(main.identName, "MINIPANEL");
    EXPECT_TRUE(panelhost::Unseen(main.gauges.at(0)));
    EXPECT_EQ(config.windows[1].file, "a;b.bmp");
    EXPECT_TRUE(panelhost::NothingToDraw(config.windows[1]));
    EXPECT_EQ(config.windows[2].pixelWidth, panelhost::oneNumberTextureSide);
    EXPECT_EQ(config.windows[2].pixelHeight, panelhost::oneNumberTextureSide);
    EXPECT_TRUE(panelhost::NothingToDraw(config.windows[3]));
    // Notes only where the simulator does other than written: the unknown
    // name and the one-number texture (titles aside).
    std::vector<std::string> notes;
    for (const PanelFinding& finding : config.findings) {
        if (finding.severity != Severity::Note || finding.message.find("title") != std::string::npos) continue;
        notes.push_back(std::to_string(finding.line) + ":" + std::to_string(finding.column));
    }
    EXPECT_EQ(notes, (std::vector<std::string>{"8:7", "15:12"})) << All(config.findings);
}

TEST(PanelCheck, TrapsAreWarnedAtTheirColumnWithTheNamesMeant) {
    const PanelConfig config = panelhost::ParsePanelConfig(
        "[Window00]\n"
        "size_mm=100,100\n"
        "  visble=0\n"                                   // 3
        "frobnicate=1\n"                                 // 4: nothing near: a note
        "gauge00=QR417_Instr!Airspeed, 0, 0\n"
        "gauge01=QR417_Instr!Airspeed, 0, 0\n"
        "gauge03=QR417_Instr!Airspeed, 0, 0\n"           // 7: after the gap
        "gauge04=QR417_Instr!Airspeed, 0, 0\n"
        "gauge4=QR417_Instr!Airspeed, 0, 0\n"            // 9
        "gauge01=QR417_Instr!Altimeter, 0, 0\n"          // 10: twice
        "[Window 02]\n"                                  // 11
        "[Color]\n"
        "Nigth=1,2,3\n"                                  // 13
        "[Window Titles]\n"
        "Window00=Main\n",
        "trap.cfg");
    EXPECT_FALSE(panelhost::HasErrors(config.findings)) << All(config.findings);
    EXPECT_EQ(All(config.findings),
              "trap.cfg:3:3: warning: unknown key \"visble\": the simulator passes over it; did you mean "
              "\"visible\"?\n"
              "trap.cfg:4:1: note: unknown key \"frobnicate\": the simulator passes over it\n"
              "trap.cfg:7:1: warning: gauge02 is missing: the simulator reads the gauges from gauge00 and stops at "
              "the first missing number, so gauge03 and the 1 after it are not shown there\n"
              "trap.cfg:9:1: warning: the simulator looks for gauge04, not gauge4: this gauge is not shown there; did "
              "you mean \"gauge04\"?\n"
              "trap.cfg:10:1: warning: gauge01 was given at line 6 too: the simulator places the first only\n"
              "trap.cfg:11:2: warning: unknown section \"Window 02\": the simulator passes over it and its lines up to "
              "the next section; did you mean \"Window02\"?\n"
              "trap.cfg:13:1: warning: unknown key \"Nigth\": the simulator passes over it; did you mean \"Night\"?\n");
    // A panel numbered without a gap says nothing of numbers.
    const PanelConfig clean = panelhost::ParsePanelConfig(
        "[Window00]\ngauge00=a!b,0,0\ngauge01=a!b,0,0\n[Window01]\ngauge00=a!b,0,0\n", "clean.cfg");
    EXPECT_EQ(All(clean.findings).find("warning"), std::string::npos) << All(clean.findings);
}

TEST(PanelCheck, SuggestionsAreFewNearAndBounded) {
    const std::string_view names[] = {"Airspeed", "Altimeter", "Attitude", "Tachometer", "Voltmeter"};
    EXPECT_EQ(panelhost::NearestNames("Airpseed", names), std::vector<std::string>{"Airspeed"});  // two swapped
    EXPECT_EQ(panelhost::NearestNames("airspeed", names), std::vector<std::string>{});  // the name in another case
    EXPECT_EQ(panelhost::NearestNames("Clock", names), std::vector<std::string>{});
    const std::string_view many[] = {"ab1", "ab2", "ab3", "ab4", "ab5"};
    EXPECT_EQ(panelhost::NearestNames("ab", many).size(), panelhost::maxSuggestions);
    // A hostile name is never compared.
    const std::string huge(panelhost::maxSuggestedLength + 1, 'A');
    const std::string_view near[] = {std::string_view(huge).substr(1)};
    EXPECT_TRUE(panelhost::NearestNames(huge, near).empty());
}

// The designers' table in the README names every key and section the reader knows.
TEST(PanelCheck, TheReadmeTellsEveryKnownKeyAndSection) {
    std::ifstream file(std::string(QR_SOURCE_DIR) + "/README.md");
    const std::string readme{std::istreambuf_iterator<char>(file), {}};
    for (const auto& table : {panelhost::knownWindowKeys, panelhost::knownSections}) {
        for (const panelhost::KnownName& known : table) {
            const std::string name(known.name);
            EXPECT_TRUE(readme.find("`" + name + "=") != std::string::npos ||
                        readme.find("`[" + name + "]`") != std::string::npos)
                << name;
        }
    }
}

// --- The command -------------------------------------------------------------

class CheckCommand : public ::testing::Test {
protected:
    fs::path folder;

    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("qr417_check_" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }
    void Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        std::ofstream(folder / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    RunResult Panelhost(const std::string& arguments) {
        return RunPanelhost(std::string("--module ") + QR_MODULE_PATH + " " + arguments);
    }
    std::string In(const std::string& name) const {
        // Joined in steps: mingw-w64's g++ 12 warns falsely (-Wrestrict) on
        // the same text joined in one expression.
        std::string quoted = "\"";
        quoted += (folder / name).string();
        quoted += '"';
        return quoted;
    }
};

#if defined(QR_CAIRO)

// A 16-bit 5-6-5 bitmap file, left half red, right half blue.
std::vector<std::uint8_t> Bitmap565(int width, int height) {
    std::vector<std::uint8_t> file;
    const auto put = [&](std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) file.push_back(std::uint8_t(value >> (8 * i)));
    };
    const std::uint32_t stride = (std::uint32_t(width) * 2 + 3) / 4 * 4, offset = 14 + 40 + 12;
    put('B' | 'M' << 8, 2), put(offset + stride * height, 4), put(0, 4), put(offset, 4);
    put(40, 4), put(width, 4), put(height, 4), put(1, 2), put(16, 2), put(3, 4);
    for (int i = 0; i < 5; ++i) put(0, 4);
    put(0xF800, 4), put(0x07E0, 4), put(0x001F, 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) put(x < width / 2 ? 0xF800 : 0x001F, 2);
        for (std::uint32_t pad = std::uint32_t(width) * 2; pad < stride; ++pad) put(0, 1);
    }
    return file;
}

TEST_F(CheckCommand, ALightAircraftsPanelDrawsWithNotesOnly) {
    fs::copy_file(fs::path(QR_SOURCE_DIR) / "tests/panel/configs/light_aircraft.cfg", folder / "panel.cfg");
    Write("panel main.bmp", panelhost::EncodeBmp(panelhost::Picture(640, 492, {90, 60, 30})));
    Write("mini16.bmp", Bitmap565(300, 200));
    const RunResult run = Panelhost("panel " + In("panel.cfg") + " --out " + In("out"));
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.output.find("error"), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("warning"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("panel.cfg:24:7: note: ident \"MINIPANEL\""), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("VCockpit02: nothing to draw"), std::string::npos) << run.output;
    EXPECT_FALSE(fs::exists(folder / "out" / "VCockpit02.png"));

    const panelhost::Picture main = ReadPng(folder / "out" / "Window00.png");
    ASSERT_EQ(main.width, 1280);  // size_mm=1280 over 640 x 492: the bitmap's aspect
    ASSERT_EQ(main.height, 984);
    EXPECT_EQ(main.At(1200, 900), (panelhost::Rgb{90, 60, 30}));
    // The 16-bit background named by file_1024 alone, stretched over 300 x 200.
    const panelhost::Picture mini = ReadPng(folder / "out" / "Window01.png");
    ASSERT_EQ(mini.width, 300);
    EXPECT_EQ(mini.At(20, 20), (panelhost::Rgb{255, 0, 0}));
    EXPECT_EQ(mini.At(280, 20), (panelhost::Rgb{0, 0, 255}));
    EXPECT_EQ(ReadPng(folder / "out" / "VCockpit01.png").width, panelhost::oneNumberTextureSide);
}
#endif

TEST_F(CheckCommand, PointsOutEveryTrapWithLineColumnAndSuggestions) {
    std::ofstream(folder / "trap.cfg") << "[Window00]\n"
                                          "size_mm=400,300\n"
                                          "visble=0\n"                                            // 3
                                          "gauge00=QR417_Instr!Airpseed, 10, 10, 100\n"          // 4
                                          "gauge01=QR417_Instrr!Airspeed, 120, 10, 100\n"        // 5
                                          "gauge03=QR417_Instr!Altimeter, 10, 150, 100\n"        // 6
                                          "gauge04=QR417_Instr!Altimeter, 500, 400, 100\n"       // 7
                                          "[Window Titles]\nWindow00=Main\n";
    const std::string file = (folder / "trap.cfg").string();
    const RunResult run = Panelhost("check " + In("trap.cfg"));
    EXPECT_EQ(run.exitCode, 1) << run.output;
    for (const std::string& expected : std::vector<std::string>{
             file + ":3:1: warning: unknown key \"visble\": the simulator passes over it; did you mean \"visible\"?",
          file + ":4:21: error: expected a gauge of QR417_Instr", "; did you mean \"Airspeed\"?",
          file + ":5:9: warning: no module \"QR417_Instrr\"", "; did you mean \"QR417_Instr\"?",
          file + ":6:1: warning: gauge02 is missing", file + ":7:32: warning: gauge04 lies wholly outside Window00",
             ": 1 error, 4 warnings, 0 notes"}) {
        EXPECT_NE(run.output.find(expected), std::string::npos) << expected << "\n" << run.output;
    }

    const RunResult json = Panelhost("check " + In("trap.cfg") + " --json");
    EXPECT_EQ(json.exitCode, 1);
    const nlohmann::json findings = nlohmann::json::parse(json.output);
    ASSERT_EQ(findings.size(), 5u) << json.output;
    EXPECT_EQ(findings[1]["file"], file);
    EXPECT_EQ(findings[1]["line"], 4);
    EXPECT_EQ(findings[1]["column"], 21);
    EXPECT_EQ(findings[1]["severity"], "error");
    EXPECT_EQ(findings[1]["suggestions"], nlohmann::json::array({"Airspeed"}));

    // Warnings alone fail nothing; the panel command prints the same findings.
    std::ofstream(folder / "warned.cfg") << "[Window00]\nsize_mm=100,100\nvisble=0\n";
    EXPECT_EQ(Panelhost("check " + In("warned.cfg")).exitCode, 0);
    const RunResult panel = Panelhost("panel " + In("trap.cfg") + " --out " + In("out"));
    EXPECT_EQ(panel.exitCode, 1);
    EXPECT_NE(panel.output.find(file + ":7:32: warning: gauge04 lies wholly outside"), std::string::npos)
        << panel.output;
}

// --- Backgrounds as editors write them ------------------------------------------

// A DIB header for WIDTH x HEIGHT at BITS with COMPRESSION, then BODY.
std::vector<std::uint8_t> Dib(int width, int height, int bits, int compression, int colours,
                              const std::vector<std::uint8_t>& body) {
    std::vector<std::uint8_t> dib;
    const auto put = [&](std::uint32_t value) {
        for (int i = 0; i < 4; ++i) dib.push_back(std::uint8_t(value >> (8 * i)));
    };
    put(40), put(width), put(height), put(1 | bits << 16), put(compression);
    put(0), put(0), put(0), put(colours), put(0);
    dib.insert(dib.end(), body.begin(), body.end());
    return dib;
}

constexpr panelhost::Rgb red{255, 0, 0}, blue{0, 0, 255}, black{};

TEST(PanelBackgrounds, SixteenBitAndRunLengthBitmapsAreRead) {
    panelhost::Picture picture;
    std::string error;
    // 5-5-5 without masks: red, then blue; the row padded to 4 bytes.
    ASSERT_TRUE(panelhost::DecodeDib(Dib(2, 1, 16, 0, 0, {0x00, 0x7C, 0x1F, 0x00}).data(), 44, picture, &error));
    EXPECT_EQ(picture.At(0, 0), red);
    EXPECT_EQ(picture.At(1, 0), blue);
    // Masks other than 5-5-5 and 5-6-5 are named, never taken for a missing file.
    const auto odd = Dib(1, 1, 16, 3, 0, {0x00, 0x0F, 0, 0, 0xF0, 0, 0, 0, 0x0F, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_FALSE(panelhost::DecodeDib(odd.data(), odd.size(), picture, &error));
    EXPECT_EQ(error, "16-bit bitmaps with bit-field masks other than 5-5-5 and 5-6-5 are not read");

    // RLE8, 4 x 3 bottom-up: a run of 3 red and end of row; two literal
    // indices (blue red, padded) and end of row; a jump over 2 pixels, one
    // blue; end of picture. What no run reaches keeps the first colour.
    const std::vector<std::uint8_t> palette{0, 0, 0, 0, 0, 0, 255, 0, 255, 0, 0, 0};  // black, red, blue
    std::vector<std::uint8_t> rle8 = palette;
    rle8.insert(rle8.end(), {3, 1, 0, 0, 0, 3, 2, 1, 2, 0, 0, 0, 0, 2, 2, 0, 1, 2, 0, 1});
    const auto dib8 = Dib(4, 3, 8, 1, 3, rle8);
    ASSERT_TRUE(panelhost::DecodeDib(dib8.data(), dib8.size(), picture, &error)) << error;
    EXPECT_EQ(picture.At(0, 2), red);
    EXPECT_EQ(picture.At(2, 2), red);
    EXPECT_EQ(picture.At(3, 2), black);
    EXPECT_EQ(picture.At(0, 1), blue);
    EXPECT_EQ(picture.At(2, 1), blue);
    EXPECT_EQ(picture.At(2, 0), blue);
    EXPECT_EQ(picture.At(1, 0), black);
    // RLE4: a run alternating the byte's two indices, red blue red.
    std::vector<std::uint8_t> rle4 = palette;
    rle4.insert(rle4.end(), {3, 0x12, 0, 1});
    const auto dib4 = Dib(3, 1, 4, 2, 3, rle4);
    ASSERT_TRUE(panelhost::DecodeDib(dib4.data(), dib4.size(), picture, &error)) << error;
    EXPECT_EQ(picture.At(0, 0), red);
    EXPECT_EQ(picture.At(1, 0), blue);
    EXPECT_EQ(picture.At(2, 0), red);

    // A file whose header places the pixels past a gap after the palette
    // (as some editors write them) is read from there.
    std::vector<std::uint8_t> gapped{'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 14 + 40 + 12 + 4, 0, 0, 0};
    const auto body = Dib(1, 1, 8, 0, 3, palette);
    gapped.insert(gapped.end(), body.begin(), body.end());
    gapped.insert(gapped.end(), {1, 1, 1, 1, 2, 0, 0, 0});  // the gap, then blue
    ASSERT_TRUE(panelhost::DecodeDib(gapped.data(), gapped.size(), picture, &error)) << error;
    EXPECT_EQ(picture.At(0, 0), blue);

    // Cut short, and endless runs past the row's end: refused or done quickly.
    std::vector<std::uint8_t> cut = palette;
    cut.insert(cut.end(), {0, 5, 1});
    const auto cutDib = Dib(4, 1, 8, 1, 3, cut);
    EXPECT_FALSE(panelhost::DecodeDib(cutDib.data(), cutDib.size(), picture, &error));
    std::vector<std::uint8_t> endless = palette;
    for (int i = 0; i < 4'000'000; ++i) endless.insert(endless.end(), {255, 1});
    const auto endlessDib = Dib(4, 1, 8, 1, 3, endless);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(panelhost::DecodeDib(endlessDib.data(), endlessDib.size(), picture, &error));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

}  // namespace
