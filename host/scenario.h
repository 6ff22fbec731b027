// Scenario runner: plain-text scripts that place gauges, set tokens, click,
// run frames and check what the gauges show and send. The format is described
// in README.md, section "Scenarios".
#pragma once

#include <iosfwd>
#include <string>

#include "host/panel_host.h"

namespace panelhost {

class BitmapSource;

struct ScenarioOptions {
    bool verbose{};  // echo each command and the key events it caused
    // Folder that relative `render` files are written into (made when
    // missing); empty for the current directory.
    std::string outputDirectory;
    // Where `render` finds bitmaps; null for the loaded module's resources.
    BitmapSource* bitmaps{};
};

// Runs one scenario file against the host. Returns true when every line ran
// and every expectation held; otherwise prints "file:line: ..." to err and
// returns false at the first failure.
bool RunScenarioFile(Host& host, const std::string& path, std::ostream& out, std::ostream& err,
                     const ScenarioOptions& options = {});

// The same for a text held in memory; name stands for the file in messages.
bool RunScenarioText(Host& host, const std::string& name, const std::string& text,
                     std::ostream& out, std::ostream& err, const ScenarioOptions& options = {});

}  // namespace panelhost
