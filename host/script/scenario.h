// Scenario runner: plain-text scripts that place gauges, set tokens, click,
// run frames and check what the gauges show and send. The format is described
// in README.md, section "Scenarios".
#pragma once

#include <cstddef>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "host/core/panel_host.h"

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

// A command of the language as the runner's table has it: the words that
// name it ("click", "expect value"), how many arguments may follow them
// (maxArguments is SIZE_MAX for a command that takes the rest of its line)
// and the usage reported as `expected "USAGE"` when the count is wrong.
struct ScenarioCommand {
    std::string name;
    std::size_t minArguments{};
    std::size_t maxArguments{};
    std::string usage;
};
std::vector<ScenarioCommand> ScenarioCommands();

// A scenario is a short hand-written text (the longest we ship is under
// 10 KB, its longest line about 1 KB); anything far beyond these is refused
// rather than read until memory runs out.
inline constexpr std::size_t maxScenarioBytes = std::size_t{4} << 20;
inline constexpr std::size_t maxScenarioLineBytes = std::size_t{64} << 10;

// The whole of a scenario file, or why it cannot be had (in `error`). Only a
// regular file is read (not a folder, a device or a pipe, which may never
// end), and no more than maxScenarioBytes, however large the file claims or
// turns out to be.
bool ReadScenarioFile(const std::string& path, std::string& text, std::string& error);

// Runs one scenario file against the host. Returns true when every line ran
// and every expectation held; otherwise prints "file:line: ..." to err and
// returns false at the first failure. Only a regular file that reads whole
// and within maxScenarioBytes runs; anything else is one error, "file: ...".
bool RunScenarioFile(Host& host, const std::string& path, std::ostream& out, std::ostream& err,
                     const ScenarioOptions& options = {});

// The same for a text held in memory; name stands for the file in messages.
bool RunScenarioText(Host& host, const std::string& name, const std::string& text,
                     std::ostream& out, std::ostream& err, const ScenarioOptions& options = {});

// A scenario played a line at a time by a host that runs its frames itself,
// in real time (the live panel). Its lines go through the same commands as
// a file run, with one state from the first line to the last, so that a
// `sound off` lasts. `frame N` runs no frames: the lines after it wait
// until the host's clock has moved on by N frames at the pace `period` sets
// (at most 60 s a frame; the host's own frame period is left alone).
// `echo` texts are kept for the caller. Set-up the host does itself and
// checks and pictures (`panel`, `connect`, `expect`, `record`, `render`,
// `show`) are passed over, and so is a line that fails.
class ScenarioPlayer {
public:
    // `period`: the pace of a frame until a `period` line sets another.
    ScenarioPlayer(Host& host, const std::string& name, const std::string& text, double period);
    ~ScenarioPlayer();
    ScenarioPlayer(const ScenarioPlayer&) = delete;
    ScenarioPlayer& operator=(const ScenarioPlayer&) = delete;

    // Runs the lines that are due by the host's clock, at most maxLines of
    // them: a file without frames cannot hold the host up.
    void Play(int maxLines);
    bool Finished() const;
    // The texts of the `echo` lines played since the last call.
    std::vector<std::string> TakeEchoes();
    // The lines that failed since the last call, each as "file:line: what
    // was wrong"; the lines after them were played on.
    std::vector<std::string> TakeFindings();

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace panelhost
