// A scenario played on the live panel at its own pace: each frame runs the
// lines that are due by the host's clock, `frame` lines wait their frames
// and `period` sets how long one lasts. Placing, expectations, recordings
// and pictures are left out: the live panel has placed its gauges already
// and has no use for checks and files.
#pragma once

#include <cstddef>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "host/core/panel_host.h"

namespace panelhost {

class LivePlayer {
public:
    // Plays `text` from its first line that starts with `from` (from the top
    // when `from` is empty). False, and nothing to play, when no line does.
    bool Load(std::string name, const std::string& text, std::string_view from, double now);
    void Clear();
    bool Playing() const { return next_ < lines_.size(); }

    // Runs the lines due at the host's clock. Echo lines are the
    // scenario's text, Windows-1252 like every text the simulator has; they
    // are added to `echoes` in UTF-8.
    void Play(Host& host, std::vector<std::string>& echoes);

private:
    std::string name_;
    std::vector<std::string> lines_;
    std::size_t next_{};
    double waitUntil_{};
    double period_{};
    std::ostringstream sink_;  // what the lines print; nobody reads it
};

}  // namespace panelhost
