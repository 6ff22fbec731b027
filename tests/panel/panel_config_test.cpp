// The panel configuration reader: files as aircraft ship them, and files
// that are broken in every way a hand-edited one can be.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "host/panel/panel_config.h"

namespace {

using panelhost::ParsePanelConfig;
using panelhost::PanelConfig;

using panelhost::Severity;

// The findings of one severity, as printed.
std::vector<std::string> Texts(const PanelConfig& config, Severity severity) {
    std::vector<std::string> texts;
    for (const panelhost::PanelFinding& finding : config.findings) {
        if (finding.severity == severity) texts.push_back(panelhost::FindingText(finding));
    }
    return texts;
}

std::string Errors(const PanelConfig& config) {
    std::string all;
    for (const std::string& error : Texts(config, Severity::Error)) all += error + "\n";
    return all;
}

// The configuration read from TEXT, which should load without an error.
PanelConfig ParseClean(const std::string& text, const std::string& file) {
    PanelConfig config = ParsePanelConfig(text, file);
    EXPECT_EQ(Errors(config), "") << file;
    return config;
}

// Each error names FILE at the next of LINES, in order, and says what was expected.
// LINES are "LINE:COLUMN".
void ExpectErrorsAt(const PanelConfig& config, const std::string& file, const std::vector<std::string>& lines) {
    const std::vector<std::string> errors = Texts(config, Severity::Error);
    ASSERT_EQ(errors.size(), lines.size()) << Errors(config);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(errors[i].rfind(file + ":" + lines[i] + ": error: expected", 0), 0u) << errors[i];
    }
}

TEST(PanelConfigReader, ReadsWindowsTitlesAndGaugesAsShipped) {
    const PanelConfig config = ParseClean(
        "// Corvane panels\r\n"
        "[Window Titles]\r\n"
        "Window00=Main Panel\r\n"
        "window01=Radio Stack\r\n"
        "\r\n"
        "[WINDOW00]\r\n"
        "FILE=main.bmp\r\n"
        "Size_MM=1600, 900\r\n"
        "position=7\r\n"
        "visible=1\r\n"
        "ident=MAIN_PANEL\r\n"
        "window_size_ratio=1.0\r\n"
        "gauge00=QR417_Instr!Airspeed, 40, 60, 200\r\n"
        "gauge01=QR417_Instr!Tachometer,260,60,200,200,2\r\n"
        "Gauge02=QR417_Instr!Radios_Toggle, 10, 10, , , tRADIO_STACK_PANEL o75, c50\r\n"
        "gauge03=other!Clock, -5, 7 // a comment after the last field\r\n"
        "\r\n"
        "[Vcockpit01]\r\n"
        "gauge00=QR417_Instr!No_Such_Gauge, 0, 0\r\n"
        "texture=$Panel_1\r\n"
        "\r\n"
        "[Window01]\n"
        "ident=50\n"
        "size_mm=400,300\n"
        "visible=0\n"
        "background_color=10,20,30\n"
        "gauge00=QR417_Instr!Radio_COM1,0,0,400\n",
        "panel.cfg");
    ASSERT_EQ(config.windows.size(), 3u);

    const panelhost::PanelWindow& main = config.windows[0];
    EXPECT_EQ(main.section, "WINDOW00");
    EXPECT_EQ(main.title, "Main Panel");
    EXPECT_EQ(main.file, "main.bmp");
    EXPECT_EQ(main.fileLine, 7);
    EXPECT_EQ(main.sizeWidth, 1600);
    EXPECT_EQ(main.sizeHeight, 900);
    EXPECT_EQ(main.position, 7);
    EXPECT_TRUE(main.visible);
    EXPECT_EQ(main.ident, 0);
    ASSERT_EQ(main.gauges.size(), 4u);

    const auto fields = [](const panelhost::PanelGauge& g) {
        return std::tuple(g.line, g.key, g.module, g.gauge, g.x, g.y, g.width, g.height, g.params);
    };
    // The Airspeed entry, field by field: no height and no parameters given.
    EXPECT_EQ(fields(main.gauges[0]),
              fields({.line = 13, .key = "gauge00", .module = "QR417_Instr", .gauge = "Airspeed", .x = 40, .y = 60,
                      .width = 200, .height = std::nullopt, .params = std::nullopt}));

    EXPECT_EQ(main.gauges[1].height, 200);
    EXPECT_EQ(main.gauges[1].params, "2");
    // Empty width and height; the parameters keep their commas.
    EXPECT_EQ(main.gauges[2].key, "gauge02");
    EXPECT_EQ(main.gauges[2].width, std::nullopt);
    EXPECT_EQ(main.gauges[2].params, "tRADIO_STACK_PANEL o75, c50");
    EXPECT_EQ(main.gauges[3].module, "other");
    EXPECT_EQ(main.gauges[3].x, -5);
    EXPECT_EQ(main.gauges[3].y, 7);

    EXPECT_TRUE(config.windows[1].virtualCockpit);
    EXPECT_EQ(config.windows[1].texture, "$Panel_1");
    const panelhost::PanelWindow& radios = config.windows[2];
    EXPECT_EQ(radios.title, "Radio Stack");
    EXPECT_EQ(radios.ident, 50);
    EXPECT_FALSE(radios.visible);
    EXPECT_EQ(radios.backgroundRgb, 0x0A141Eu);
    EXPECT_EQ(radios.file, "");
    EXPECT_EQ(config.Window("window01"), &radios);
}

TEST(PanelConfigReader, ParametersKeepTheirBytesAndTitlesBecomeUtf8) {
    const PanelConfig config = ParseClean(
        "\xEF\xBB\xBF[Window Titles]\n"
        "Window00=Tableau de bord \xE9l\xE8ve \x80\n"
        "[Window00]\n"
        "gauge00=QR417_Instr!Registration, 0, 0, 150, 25, tF-\xC9TE  \n",
        "p.cfg");
    ASSERT_EQ(config.windows.size(), 1u);
    EXPECT_EQ(config.windows[0].title, "Tableau de bord \xC3\xA9l\xC3\xA8ve \xE2\x82\xAC");
    EXPECT_EQ(config.windows[0].gauges[0].params, "tF-\xC9TE");
}

TEST(PanelConfigReader, WindowNamesAreTheHostsNumbers) {
    EXPECT_EQ(panelhost::PanelWindowByName("MAIN_PANEL"), 0);
    EXPECT_EQ(panelhost::PanelWindowByName("radio_stack_panel"), 50);
    EXPECT_EQ(panelhost::PanelWindowByName("THROTTLE_PANEL"), 10);
    EXPECT_EQ(panelhost::PanelWindowByName("OVERHEAD_PANEL"), 250);
    EXPECT_EQ(panelhost::PanelWindowByName("ANNUNCIATOR2_PANEL"), 150);
    EXPECT_EQ(panelhost::PanelWindowByName("MAIN_PANEL_X"), std::nullopt);
}

// Every malformed line names its file and line; the lines around it load.
TEST(PanelConfigReader, MalformedLinesAreNamedAndTheRestLoads) {
    const PanelConfig config = ParsePanelConfig(
        "size_mm=1,1\n"                                             // 1: before any section
        "[Window00\n"                                               // 2: unclosed
        "gauge00=QR417_Instr!Airspeed,0,0\n"                        // 3: skipped with it
        "[Window01]\n"                                              // 4
        "size_mm=100\n"                                             // 5
        "size_mm=0,10\n"                                            // 6
        "position=9\n"                                              // 7
        "visible=yes\n"                                             // 8
        "ident=NOWHERE PANEL\n"                                     // 9
        "background_color=1,2,300\n"                                // 10
        "gauge00=Airspeed, 0, 0\n"                                  // 11: no module
        "gauge01=QR417_Instr!Airspeed\n"                            // 12: no x, y
        "gauge02=QR417_Instr!Airspeed, ten, 0\n"                    // 13
        "gauge03=QR417_Instr!Airspeed, 0, 0, -20\n"                 // 14
        "gauge04=QR417_Instr!Airspeed, 0, 0, 20, x\n"               // 15
        "gauge05=QR417_Instr!Airspeed, 99999999999, 0\n"            // 16
        "just words\n"                                              // 17
        "gauge06=QR417_Instr!Altimeter, 10, 20, 30\n"               // 18: fine
        "gauge06=QR417_Instr!Altimeter, 10, 20, 30\n"               // 19: twice, a warning
        "[Window01]\n"                                              // 20: twice
        "gauge00=QR417_Instr!Attitude, 1, 1\n"                      // 21: skipped
        "[Window02]\n"                                              // 22
        "gauge00=!Airspeed, 1, 1\n"                                 // 23
        "gauge01=QR417_Instr!, 1, 1\n"                              // 24
        "gauge02=QR417_Instr!Airspeed, 1, 2, 3, 4, 5\n",            // 25: fine
        "bad.cfg");
    ASSERT_NO_FATAL_FAILURE(ExpectErrorsAt(config, "bad.cfg",
                                           {"1:1", "2:1", "5:1", "6:9", "7:10", "8:9", "9:7", "10:18", "11:9", "12:9",
                                            "13:31", "14:37", "15:41", "16:31", "17:1", "20:2", "23:9", "24:9"}));
    ASSERT_EQ(config.windows.size(), 2u);
    ASSERT_EQ(config.windows[0].gauges.size(), 1u);
    EXPECT_EQ(config.windows[0].gauges[0].gauge, "Altimeter");
    EXPECT_EQ(config.windows[0].sizeWidth, std::nullopt);
    EXPECT_EQ(config.windows[0].ident, std::nullopt);
    ASSERT_EQ(config.windows[1].gauges.size(), 1u);
    EXPECT_EQ(config.windows[1].gauges[0].params, "5");
}

TEST(PanelConfigReader, OddTextNeitherCrashesNorLoops) {
    std::string binary;
    for (int i = 0; i < 4096; ++i) binary.push_back(char((i * 37) & 0xFF));
    for (const std::string& text : {std::string(), std::string("\0\0\0", 3), std::string("[]"), std::string("["),
                                    std::string("=\n=\r\n[Window]\n[Window99999999999]\ngauge="), binary,
                                    std::string(100000, '\n'), std::string("[Window00]\ngauge00=") +
                                                                   std::string(100000, ',')}) {
        const PanelConfig config = ParsePanelConfig(text, "odd.cfg");
        for (const panelhost::PanelFinding& finding : config.findings) EXPECT_EQ(finding.file, "odd.cfg");
    }
}

TEST(PanelConfigReader, AMissingFileIsOneError) {
    const PanelConfig config = panelhost::ReadPanelConfig("/nonexistent/panel.cfg");
    EXPECT_TRUE(config.windows.empty());
    EXPECT_EQ(Texts(config, Severity::Error),
              std::vector<std::string>{"/nonexistent/panel.cfg:1:1: error: expected a readable panel configuration file"});
}

}  // namespace

namespace {

std::string Notes(const PanelConfig& config) {
    std::string all;
    for (const std::string& note : Texts(config, Severity::Note)) all += note + "\n";
    return all;
}

// One file holding what real aircraft folders hold: read without an error,
// the odd but harmless parts as notes.
TEST(PanelConfigReader, ReadsConfigurationsAsAircraftFoldersHoldThem) {
    const std::string path = QR_SOURCE_DIR "/tests/panel/configs/quirks.cfg";
    const PanelConfig config = panelhost::ReadPanelConfig(path);
    EXPECT_EQ(Errors(config), "");
    ASSERT_EQ(config.windows.size(), 4u);

    EXPECT_TRUE(config.windows[0].virtualCockpit);
    EXPECT_EQ(config.windows[0].pixelHeight, 1024);

    const panelhost::PanelWindow& main = *config.Window("Window00");
    EXPECT_EQ(main.file, "panel main.bmp");
    EXPECT_EQ(main.sizeWidth, 1280);
    EXPECT_EQ(main.sizeHeight, std::nullopt);
    ASSERT_EQ(main.gauges.size(), 3u);
    EXPECT_EQ(main.gauges[2].module, "Other Maker-Module");
    EXPECT_EQ(main.gauges[2].gauge, "Fuel Quantity-Left");

    const panelhost::PanelWindow& radios = *config.Window("Window01");
    EXPECT_EQ(radios.title, "Radios");
    EXPECT_DOUBLE_EQ(radios.screenX.value_or(-1) + radios.screenHeight.value_or(-1), 0.90);
    EXPECT_EQ(radios.zorder, 3);
    EXPECT_EQ(config.colours.night, 0x50463Cu);

    EXPECT_EQ(Notes(config), path + ":12:1: note: title for window 7 without a [Window07] section\n" +
                                 path +
                                 ":26:1: note: Window01 has the ident of Window00; the simulator opens only one of "
                                 "them\n" +
                                 path + ":34:1: note: Window02 has no title in [Window Titles]\n");
}

TEST(PanelConfigReader, RefusesWhatTheSimulatorCouldNotUse) {
    std::string many = "[Window00]\nsize_mm=100,100\n";
    for (std::size_t i = 0; i <= panelhost::maxPanelGauges; ++i) {
        many += "gauge" + std::to_string(i) + "=QR417_Instr!Airspeed, 0, 0\n";
    }
    for (std::size_t i = 1; i <= panelhost::maxPanelWindows; ++i) many += "[Window" + std::to_string(i) + "]\n";
    many += "[Window00]\nsize_mm=10\n" + std::string(panelhost::maxPanelLineLength + 1, ';') + "\n";
    const PanelConfig config = ParsePanelConfig(
        "[Window00]\n"
        "file=/etc/passwd\n"             // 2
        "file=..\\..\\panel.bmp\n"       // 3
        "file=C:\\panel.bmp\n"           // 4
        "file=art/../../panel.bmp\n"     // 5
        "file=art/../panel.bmp\n"        // 6: fine
        "window_size=0,0.5\n"            // 7
        "window_pos=0.5,1.5\n"           // 8
        "zorder=top\n"                   // 9
        "pixel_size=1024,x\n"            // 10
        "[Window01]\n"
        "size_mm=640\n"                  // 12: no bitmap for the height
        "[Color]\n"
        "Night=1,2\n"                    // 14
        "Luminous=1,2,256\n",            // 15
        "refused.cfg");
    ASSERT_NO_FATAL_FAILURE(
        ExpectErrorsAt(config, "refused.cfg",
                       {"2:6", "3:6", "4:6", "5:6", "7:13", "8:12", "9:8", "10:12", "12:1", "14:7", "15:10"}));
    EXPECT_EQ(config.windows[0].file, "art/../panel.bmp");
    EXPECT_EQ(config.windows[1].sizeWidth, std::nullopt);

    // Beyond the caps: one error for each, the rest of the file read.
    const PanelConfig big = ParsePanelConfig(many, "big.cfg");
    const std::vector<std::string> errors = Texts(big, Severity::Error);
    ASSERT_EQ(errors.size(), 4u) << Errors(big);
    EXPECT_NE(errors[0].find("gauges"), std::string::npos);
    EXPECT_NE(errors[1].find("windows"), std::string::npos);
    EXPECT_NE(errors[2].find("given at line 1"), std::string::npos);
    EXPECT_NE(errors[3].find("characters"), std::string::npos);
    EXPECT_EQ(big.windows.size(), panelhost::maxPanelWindows);
    EXPECT_EQ(big.windows[0].gauges.size(), panelhost::maxPanelGauges);
}

TEST(PanelConfigReader, AFileThatFailsWhileReadIsOneError) {
    const std::string start = "[Window00]\nsize_mm=100,100\ngauge00=QR417_Instr!Airspeed, 0, 0\ngauge01=QR4";
    int calls = 0;
    const PanelConfig config = panelhost::ReadPanelConfigFrom(
        [&](char* buffer, std::size_t size) -> std::optional<std::size_t> {
            if (calls++ > 0) return std::nullopt;
            const std::size_t n = std::min(size, start.size());
            std::copy_n(start.data(), n, buffer);
            return n;
        },
        "failing.cfg");
    EXPECT_EQ(Texts(config, Severity::Error),
              std::vector<std::string>{"failing.cfg:4:1: error: expected the rest of the file: it could not be read"});
    ASSERT_EQ(config.windows.size(), 1u);
    EXPECT_EQ(config.windows[0].gauges.size(), 1u);
}

}  // namespace
