// The background bitmaps of a panel's windows, read from the files beside
// its configuration.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "host/picture/bitmap_source.h"
#include "host/panel/panel_config.h"

namespace panelhost {

// The windows' background bitmaps, found beside the panel configuration
// (their names in any case) and decoded once per file however many windows
// name it. Painters fetch them by the window's section name.
class PanelBackgrounds {
public:
    explicit PanelBackgrounds(std::string folder) : folder_(std::move(folder)) {}
    // The window's background; null, with the reason in *why, when the file
    // is missing, cannot be read or holds no bitmap the host draws.
    const Picture* Of(const PanelWindow& window, std::string* why = nullptr);
    // What Of last gave for a section; null for none.
    const Picture* Section(const std::string& section) const;

private:
    struct File {
        std::unique_ptr<Picture> picture;  // null: none usable
        std::string why;
    };
    std::string folder_;
    std::map<std::string, std::string> paths_;  // the path found for each name written
    std::map<std::string, File> files_;  // by the path found
    std::map<std::string, const Picture*> sections_;
};

}  // namespace panelhost
