// `panelhost panel` and `panelhost screen` on a configuration as aircraft
// folders hold it: notes and errors printed, sizes of what is written, and a
// file that fails while being read.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "host/picture/renderer.h"
#include "tests/support/run_panelhost.h"

namespace {

namespace fs = std::filesystem;

using Outcome = RunResult;

Outcome Panelhost(const std::string& arguments) {
    return RunPanelhost(std::string("--module ") + QR_MODULE_PATH + " " + arguments);
}

class PanelCommand : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("qr417_quirks_" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
        fs::create_directories(folder);
        fs::copy_file(fs::path(QR_SOURCE_DIR) / "tests/panel/configs/quirks.cfg", folder / "quirks.cfg");
        const std::vector<std::uint8_t> bmp = panelhost::EncodeBmp(panelhost::Picture(640, 492, {40, 44, 48}));
        std::ofstream(folder / "panel main.bmp", std::ios::binary)
            .write(reinterpret_cast<const char*>(bmp.data()), std::streamsize(bmp.size()));
    }
    void TearDown() override { fs::remove_all(folder); }
    std::string Quoted(const fs::path& path) const {
        std::string quoted = path.string();
        quoted.insert(quoted.begin(), '"');
        quoted.push_back('"');
        return quoted;
    }

    fs::path folder;
};

TEST_F(PanelCommand, DrawsARealConfigurationWithNotesAndNoError) {
    const std::string config = (folder / "quirks.cfg").string();
    const Outcome run = Panelhost("panel " + Quoted(config) + " --out " + Quoted(folder / "out"));
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find(config + ":12:1: note: title for window 7"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find(config + ":34:1: note: Window02 has no title"), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("expected"), std::string::npos) << run.output;
    // size_mm=1280 over a 640x492 bitmap: 1280 wide, the bitmap's aspect.
    EXPECT_NE(run.output.find("Window00 \"Main Panel\", 1280x984,"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("1024x1024"), std::string::npos) << run.output;

    const Outcome screen = Panelhost("screen " + Quoted(config) + " --size 1600x1200 --show window01 --out " +
                                 Quoted(folder / "screen.png"));
    EXPECT_EQ(screen.exitCode, 0) << screen.output;
    // The main panel shrunk to the screen's height, at the bottom centre.
    EXPECT_NE(screen.output.find("Window00 \"Main Panel\" at 20,0, 1561x1200, zorder 0"), std::string::npos)
        << screen.output;
    EXPECT_TRUE(fs::exists(folder / "screen.png"));

}

#if defined(__linux__)
TEST_F(PanelCommand, AFileThatFailsWhileReadIsOneClearError) {
    const Outcome run = Panelhost("panel /proc/self/mem --out " + Quoted(folder / "out"));
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_EQ(run.output, "/proc/self/mem:1:1: error: expected the rest of the file: it could not be read\n");
}
#endif

}  // namespace
