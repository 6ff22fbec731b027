#include "host/web/live_player.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "host/panel/panel_config.h"  // Utf8FromWindows1252
#include "host/script/scenario.h"

namespace panelhost {

namespace {

constexpr double livePeriod = 1.0 / 18;
// Lines run in one frame at most: a file without frames cannot hold the
// panel up.
constexpr int maxLinesPerFrame = 500;
// The longest frame a `period` line may ask for, in seconds.
constexpr double maxPeriod = 60;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::string FirstWord(const std::string& line) {
    const auto start = line.find_first_not_of(" \t");
    if (start == std::string::npos) return {};
    return line.substr(start, line.find_first_of(" \t", start) - start);
}

// What follows the line's first word.
const char* AfterWord(const std::string& line, const std::string& word) {
    return line.c_str() + line.find(word) + word.size();
}

}  // namespace

bool LivePlayer::Load(std::string name, const std::string& text, std::string_view from, double now) {
    Clear();
    std::vector<std::string> lines = Lines(text);
    auto start = lines.begin();
    if (!from.empty()) {
        start = std::ranges::find_if(lines, [&](const std::string& line) { return line.starts_with(from); });
        if (start == lines.end()) return false;
    }
    name_ = std::move(name);
    lines_.assign(std::make_move_iterator(start), std::make_move_iterator(lines.end()));
    waitUntil_ = now;
    return true;
}

void LivePlayer::Clear() {
    name_.clear();
    lines_.clear();
    next_ = 0;
    waitUntil_ = 0;
    period_ = livePeriod;
}

void LivePlayer::Play(Host& host, std::vector<std::string>& echoes) {
    for (int run = 0; run < maxLinesPerFrame && Playing() && host.Clock() + 1e-9 >= waitUntil_; ++run) {
        const std::string& line = lines_[next_++];
        const std::string word = FirstWord(line);
        if (word == "frame") {
            const long count = std::strtol(AfterWord(line, word), nullptr, 10);
            waitUntil_ = host.Clock() + double(std::clamp<long>(count, 1, maxFramesPerCall)) * period_;
        } else if (word == "period") {
            const double seconds = std::strtod(AfterWord(line, word), nullptr);
            if (std::isfinite(seconds) && seconds > 0) period_ = std::min(seconds, maxPeriod);
        } else if (word == "echo") {
            echoes.push_back(Utf8FromWindows1252(AfterWord(line, word)));
        } else if (word.empty() || word[0] == '#' || word == "panel" || word == "connect" ||
                   word.starts_with("expect") || word == "record" || word == "render" || word == "show") {
            // Set-up the live panel has done already, and checks and pictures it has no use for.
        } else {
            sink_.str({});
            RunScenarioText(host, name_, line, sink_, sink_);
        }
    }
}

}  // namespace panelhost
