// panelhost: the substitute panel host's command line.
//
//   panelhost [--module PATH] [--period SECONDS] [--trace] run FILE...
//   panelhost [--module PATH] gauges
//   panelhost [--module PATH] preview GAUGE [--params TEXT] [--lighting day|night] FILE
//   panelhost [--module PATH] check PANEL.CFG [--json]
//   panelhost [--module PATH] panel PANEL.CFG [--out DIR] [--lighting day|night] [--frames N]
//   panelhost [--module PATH] screen PANEL.CFG --size WxH [--lighting day|night] [--show NAME,...] --out FILE
//   panelhost [--module PATH] scales
//   panelhost [--module PATH] sweep GAUGE [--params TEXT] FILE.png
//   panelhost [--module PATH] serve PANEL.CFG [--port N] [--host ADDRESS] [--scenario FILE] [--edit]
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "host/core/messages.h"
#include "host/core/module_loader.h"
#include "host/core/panel_host.h"
#include "host/picture/panel_view.h"
#include "host/picture/renderer.h"
#include "host/picture/scales.h"
#include "host/script/scenario.h"
#include "host/picture/screen_view.h"
#include "host/picture/sweep_sheet.h"
#include "host/web/web_server.h"

namespace {

constexpr int exitFailed = 1;
constexpr int exitUsage = 2;

int Usage(const char* message = nullptr) {
    if (message) std::cerr << "panelhost: " << panelhost::Printable(message) << '\n';
    std::cerr << "usage: panelhost [--module PATH] [--period SECONDS] [--trace] [--out DIR] run FILE...\n"
                 "       panelhost [--module PATH] gauges\n"
                 "       panelhost [--module PATH] preview GAUGE [--params TEXT] [--lighting day|night] FILE\n"
                 "       panelhost [--module PATH] check PANEL.CFG [--json]\n"
                 "       panelhost [--module PATH] panel PANEL.CFG [--out DIR] [--lighting day|night] [--frames N]\n"
                 "       panelhost [--module PATH] screen PANEL.CFG --size WxH [--lighting day|night]\n"
                 "                                        [--show NAME,...] --out FILE\n"
                 "       panelhost [--module PATH] scales\n"
                 "       panelhost [--module PATH] sweep GAUGE [--params TEXT] FILE.png\n"
                 "       panelhost [--module PATH] serve PANEL.CFG [--port N] [--host ADDRESS]\n"
                 "                                        [--scenario FILE] [--edit]\n"
                 "\n"
                 "  run     runs each scenario file in order, each with a freshly loaded module;\n"
                 "          stops at the first failed expectation (exit 1)\n"
                 "  gauges  lists the module's gauge table: number, name, size in mm\n"
                 "  preview places the gauge alone, connects, runs one frame and writes its\n"
                 "          picture to FILE (.png or .bmp)\n"
                 "  scales  writes every needle's scale table (resources/scales.tsv)\n"
                 "  sweep   places the gauge alone and writes its sweep sheet: as placed by day,\n"
                 "          by night and failed, then each moving element across its range\n"
                 "  serve   the live panel in a web browser (default http://127.0.0.1:8417/);\n"
                 "          --edit opens it in design mode, saving into PANEL.CFG\n"
                 "  check   reads a panel configuration as the simulator does, places its\n"
                 "          gauges and prints every finding as FILE:LINE:COLUMN: error|warning|\n"
                 "          note: ... with the names meant where one was misspelt (exit 1 on\n"
                 "          an error); --json prints them as a list of objects\n"
                 "  panel   reads a panel configuration, places every gauge of this module in\n"
                 "          every window, connects, runs N frames (default 1) and writes one\n"
                 "          PNG per window (Window00.png, ...) into DIR; other modules' gauges\n"
                 "          are drawn as labelled placeholders. Prints what check finds\n"
                 "          (exit 1 on an error), and the rest is still drawn\n"
                 "  screen  draws what the simulator shows of the panel on a screen of WxH\n"
                 "          pixels: the visible windows and those named with --show (section,\n"
                 "          ident number or window name) at their places, in zorder\n"
                 "  --lighting        day (default): as drawn; night: elements dimmed unless\n"
                 "                    bright or lit by the panel lights\n"
                 "  --module PATH     the module to load (default: "
              << panelhost::ModuleFileName()
              << " beside panelhost, or in ../Gauges)\n"
                 "  --period SECONDS  simulated time per frame (default 1/18)\n"
                 "  --trace           echo each scenario line and the key events it caused\n"
                 "                    (also --verbose)\n"
                 "  --out DIR         folder for the pictures of `render` lines (default: here)\n";
    return exitUsage;
}

bool LoadInto(panelhost::Host& host, const std::string& path) {
    std::string error;
    if (host.Load(path, &error)) return true;
    std::cerr << "panelhost: " << panelhost::Printable(error) << '\n';
    return false;
}

// The word after --lighting, or nothing (with the usage printed).
std::optional<panelhost::Lighting> LightingOption(int& i, int argc, char** argv) {
    if (++i < argc) {
        if (const auto lighting = panelhost::LightingByName(argv[i])) return lighting;
    }
    Usage("--lighting needs day or night");
    return std::nullopt;
}

// preview GAUGE [--params TEXT] [--lighting day|night] FILE
int Preview(const std::string& modulePath, int argc, char** argv) {
    std::optional<std::string> params;
    std::vector<std::string> words;
    panelhost::Lighting lighting = panelhost::Lighting::Day;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--params") == 0) {
            if (++i >= argc) return Usage("--params needs a text");
            params = argv[i];
        } else if (std::strcmp(argv[i], "--lighting") == 0) {
            const auto chosen = LightingOption(i, argc, argv);
            if (!chosen) return exitUsage;
            lighting = *chosen;
        } else {
            words.push_back(argv[i]);
        }
    }
    if (words.size() != 2) return Usage("preview needs a gauge name and a file");
    // A picture is binary: it goes into a named file, never onto the terminal.
    if (words[1] == "-") return Usage("preview writes into a file; standard output (-) is not supported");
    panelhost::Host host;
    if (!LoadInto(host, modulePath)) return exitUsage;
    panelhost::ModuleBitmaps bitmaps(host);
    panelhost::Picture picture;
    std::vector<std::string> skipped;
    std::string error;
    if (!panelhost::PreviewGauge(host, words[0], params, bitmaps, picture, &error, &skipped, lighting) ||
        !panelhost::WritePicture(picture, words[1], &error)) {
        std::cerr << "panelhost: " << panelhost::Printable(error) << '\n';
        return exitFailed;
    }
    for (const std::string& note : skipped) {
        std::cerr << "panelhost: " << panelhost::Printable(words[0] + ": " + note) << '\n';
    }
    std::cout << panelhost::Printable(words[1] + ": " + words[0]) << ", " << picture.width << 'x'
              << picture.height << '\n';
    return 0;
}

// Loads the module, places the panel file on it, runs the frames and hands
// all to WRITE for the pictures; the configuration's notes, what could not be
// placed and a failed write go to standard error. 0 only when the whole panel
// was placed and written.
template <typename Write>
int DrawPanelFile(const char* command, const std::string& modulePath, double period, const std::string& panelPath,
                  int frames, const Write& write) {
    panelhost::Host host;
    if (!LoadInto(host, modulePath)) return exitUsage;
    if (period > 0) host.SetFramePeriod(period);
    panelhost::PlacedPanel placed = panelhost::PlacePanelFile(host, panelPath);
    host.Connect();
    host.Frame(frames);
    panelhost::ModuleBitmaps bitmaps(host);
    std::string error;
    const bool written = write(host, placed, bitmaps, &error);
    for (const std::string& finding : panelhost::FindingTexts(placed)) {
        std::cerr << panelhost::Printable(finding) << '\n';
    }
    if (!written) std::cerr << "panelhost: " << command << ": " << panelhost::Printable(error) << '\n';
    return written && placed.errors.empty() ? 0 : exitFailed;
}

// check PANEL.CFG [--json]: the findings on standard output, exit 1 on an error.
int Check(const std::string& modulePath, int argc, char** argv) {
    bool json = false;
    std::vector<std::string> words;
    for (int i = 0; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--json") {
            json = true;
        } else if (option.starts_with("--")) {
            return Usage(("unknown option of check: " + panelhost::Quoted(option)).c_str());
        } else {
            words.push_back(option);
        }
    }
    if (words.size() != 1) return Usage("check needs one panel configuration file");
    panelhost::Host host;
    if (!LoadInto(host, modulePath)) return exitUsage;
    const panelhost::PlacedPanel placed = panelhost::PlacePanelFile(host, words[0]);
    const int status = panelhost::HasErrors(placed.findings) ? exitFailed : 0;
    if (json) {
        nlohmann::json list = nlohmann::json::array();
        for (const panelhost::PanelFinding& finding : placed.findings) {
            list.push_back({{"file", finding.file},
                            {"line", finding.line},
                            {"column", finding.column},
                            {"severity", panelhost::SeverityName(finding.severity)},
                            {"message", finding.message},
                            {"suggestions", finding.suggestions}});
        }
        // A file name that is not UTF-8 is shown, not refused.
        std::cout << list.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
        return status;
    }
    std::size_t counts[3]{};
    for (const panelhost::PanelFinding& finding : placed.findings) {
        std::cout << panelhost::Printable(panelhost::FindingText(finding)) << '\n';
        ++counts[int(finding.severity)];
    }
    const auto counted = [](std::size_t n, const char* what) {
        return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
    };
    std::cout << panelhost::Printable(words[0]) << ": " << counted(counts[0], "error") << ", "
              << counted(counts[1], "warning") << ", " << counted(counts[2], "note") << '\n';
    return status;
}

// panel PANEL.CFG [--out DIR] [--lighting day|night] [--frames N]
int Panel(const std::string& modulePath, const std::string& outputDirectory, double period, int argc, char** argv) {
    std::string folder = outputDirectory;
    panelhost::Lighting lighting = panelhost::Lighting::Day;
    long frames = 1;
    std::vector<std::string> words;
    for (int i = 0; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--out") {
            if (++i >= argc) return Usage("--out needs a folder");
            folder = argv[i];
        } else if (option == "--lighting") {
            const auto chosen = LightingOption(i, argc, argv);
            if (!chosen) return exitUsage;
            lighting = *chosen;
        } else if (option == "--frames") {
            char* end = nullptr;
            if (++i < argc) frames = std::strtol(argv[i], &end, 10);
            if (i >= argc || *end != '\0' || end == argv[i] || frames < 0 || frames > panelhost::maxFramesPerCall) {
                return Usage(("--frames needs a count from 0 to " + std::to_string(panelhost::maxFramesPerCall)).c_str());
            }
        } else if (option.starts_with("--")) {
            return Usage(("unknown option of panel: " + panelhost::Quoted(option)).c_str());
        } else {
            words.push_back(option);
        }
    }
    if (words.size() != 1) return Usage("panel needs one panel configuration file");
    return DrawPanelFile("panel", modulePath, period, words[0], int(frames),
                         [&](panelhost::Host& host, panelhost::PlacedPanel& placed,
                             panelhost::ModuleBitmaps& bitmaps, std::string* error) {
                             return panelhost::WritePanelPictures(host, placed, bitmaps, lighting, folder, std::cout,
                                                                  error);
                         });
}

// screen PANEL.CFG --size WxH [--lighting day|night] [--show NAME,...] --out FILE
int Screen(const std::string& modulePath, double period, int argc, char** argv) {
    panelhost::ScreenRequest request;
    std::vector<std::string> words;
    for (int i = 0; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--out") {
            if (++i >= argc) return Usage("--out needs a PNG file");
            request.path = argv[i];
        } else if (option == "--size") {
            const std::string text = ++i < argc ? argv[i] : "";
            const std::size_t by = text.find('x');
            const auto side = [&](std::size_t from, std::size_t to) {
                int value = 0;
                const auto [end, problem] = std::from_chars(text.data() + from, text.data() + to, value);
                const bool whole = problem == std::errc{} && end == text.data() + to && from < to;
                return whole && value >= 1 && value <= panelhost::maxBitmapSide ? value : 0;
            };
            request.size = {};
            if (by != std::string::npos) request.size = {side(0, by), side(by + 1, text.size())};
            if (request.size.width == 0 || request.size.height == 0) {
                return Usage(("--size needs WIDTHxHEIGHT, each 1 to " + std::to_string(panelhost::maxBitmapSide) +
                              " pixels").c_str());
            }
        } else if (option == "--lighting") {
            const auto chosen = LightingOption(i, argc, argv);
            if (!chosen) return exitUsage;
            request.lighting = *chosen;
        } else if (option == "--show") {
            if (++i >= argc) return Usage("--show needs window names, separated by commas");
            std::string names = argv[i];
            for (std::size_t start = 0; start <= names.size();) {
                const std::size_t comma = std::min(names.find(',', start), names.size());
                if (comma > start) request.show.push_back(names.substr(start, comma - start));
                start = comma + 1;
            }
        } else if (option.starts_with("--")) {
            return Usage(("unknown option of screen: " + option).c_str());
        } else {
            words.push_back(option);
        }
    }
    if (words.size() != 1) return Usage("screen needs one panel configuration file");
    if (request.size.width == 0) return Usage("screen needs --size WIDTHxHEIGHT");
    if (request.path.empty()) return Usage("screen needs --out FILE.png");
    return DrawPanelFile("screen", modulePath, period, words[0], 1,
                         [&](panelhost::Host& host, panelhost::PlacedPanel& placed,
                             panelhost::ModuleBitmaps& bitmaps, std::string* error) {
                             return panelhost::WriteScreenPicture(host, placed, bitmaps, request, std::cout, error);
                         });
}

// The module built beside panelhost; else, as the release archive lays them
// out (Tools\panelhost.exe, Gauges\QR417_Instr.gau), the one in the Gauges
// folder beside the program's own.
std::string DefaultModule() {
    const std::filesystem::path here = panelhost::ExecutableDirectory();
    const std::filesystem::path beside = here / panelhost::ModuleFileName();
    const std::filesystem::path released = here.parent_path().parent_path() / "Gauges" / panelhost::ModuleFileName();
    std::error_code ignored;
    return (!std::filesystem::exists(beside, ignored) && std::filesystem::exists(released, ignored) ? released : beside)
        .string();
}

}  // namespace

int main(int argc, char** argv) {
    std::string modulePath;
    double period = 0;
    bool verbose = false;
    std::string outputDirectory;
    int i = 1;
    for (; i < argc && std::strncmp(argv[i], "--", 2) == 0; ++i) {
        const std::string option = argv[i];
        if (option == "--module") {
            if (++i >= argc) return Usage("--module needs a path");
            if (argv[i][0] == '\0') return Usage("--module needs a path, not an empty one");
            modulePath = argv[i];
        } else if (option == "--period") {
            if (++i >= argc) return Usage("--period needs a number of seconds");
            char* end = nullptr;
            period = std::strtod(argv[i], &end);
            if (*end != '\0' || !(period > 0) || !std::isfinite(period)) {
                return Usage("--period needs a positive number of seconds");
            }
        } else if (option == "--out") {
            if (++i >= argc) return Usage("--out needs a folder");
            outputDirectory = argv[i];
        } else if (option == "--verbose" || option == "--trace") {
            verbose = true;
        } else if (option == "--help") {
            Usage();
            return 0;
        } else {
            return Usage(("unknown option " + panelhost::Quoted(option)).c_str());
        }
    }
    if (i >= argc) return Usage();
    const std::string command = argv[i++];
    if (modulePath.empty()) modulePath = DefaultModule();

    if (command == "gauges") {
        if (i != argc) return Usage("gauges takes no arguments");
        panelhost::Host host;
        if (!LoadInto(host, modulePath)) return exitUsage;
        for (const panelhost::GaugeEntry& entry : host.Gauges()) {
            std::cout << std::setw(3) << entry.number << "  " << std::left << std::setw(30) << entry.name
                      << std::right << std::setw(4) << entry.sizeMm << " mm\n";
        }
        return 0;
    }
    if (command == "run") {
        if (i >= argc) return Usage("run needs at least one scenario file");
        panelhost::ScenarioOptions options{.verbose = verbose, .outputDirectory = outputDirectory};
        for (; i < argc; ++i) {
            panelhost::Host host;
            if (!LoadInto(host, modulePath)) return exitUsage;
            if (period > 0) host.SetFramePeriod(period);
            if (!panelhost::RunScenarioFile(host, argv[i], std::cout, std::cerr, options)) {
                return exitFailed;
            }
        }
        return 0;
    }
    if (command == "preview") return Preview(modulePath, argc - i, argv + i);
    if (command == "check") return Check(modulePath, argc - i, argv + i);
    if (command == "panel") return Panel(modulePath, outputDirectory, period, argc - i, argv + i);
    if (command == "screen") return Screen(modulePath, period, argc - i, argv + i);
    if (command == "scales") return i == argc ? panelhost::ScalesCommand(modulePath) : Usage("scales takes no arguments");
    if (command == "sweep") return panelhost::SweepCommand(modulePath, argc - i, argv + i);
    if (command == "serve") return panelhost::ServeCommand(modulePath, argc - i, argv + i);
    return Usage(("unknown command " + panelhost::Quoted(command)).c_str());
}
