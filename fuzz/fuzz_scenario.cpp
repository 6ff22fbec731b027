// Scenario texts run in-process against the linked module, every input on
// a fresh host. Lines that read or write files (render, record, panel) are
// left out (the panel configuration reader has a target of its own), and
// frame and repeat counts are held small so that an input stays quick.
// A line "%long N TEXT" stands for TEXT with its last character repeated to
// N KiB, so that short inputs reach long words and lines past the runner's
// cap. Every message the runner prints must stay terminal-safe: no control
// byte but the line break, and each line short however long the input was.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "fuzz/fuzz_support.h"
#include "host/core/messages.h"
#include "host/script/scenario.h"

namespace {

constexpr long long maxFramesPerLine = 200;
constexpr long long maxRepeatsPerLine = 1000;
constexpr long long maxLongLineKib = 100;  // past the runner's line cap
// A message line: file, line number and words around two cut quotes.
constexpr std::size_t maxMessageLine = 2 * panelhost::messageLength;

std::string FirstWord(const std::string& line, std::size_t& end) {
    const std::size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos) {
        end = line.size();
        return {};
    }
    end = line.find_first_of(" \t", start);
    if (end == std::string::npos) end = line.size();
    return line.substr(start, end - start);
}

// The line with its last word held to `limit` when that word is a count
// above it.
std::string HoldCount(const std::string& line, std::size_t wordIndex, long long limit) {
    std::istringstream in(line);
    std::string word, rebuilt;
    for (std::size_t i = 0; in >> word; ++i) {
        if (i == wordIndex && std::strtoll(word.c_str(), nullptr, 0) > limit) word = std::to_string(limit);
        rebuilt += (rebuilt.empty() ? "" : " ") + word;
    }
    return rebuilt;
}

// "%long N TEXT": TEXT with its last character repeated to N KiB.
std::string Lengthened(const std::string& line, std::size_t end) {
    char* rest = nullptr;
    const long long kib = std::strtoll(line.c_str() + end, &rest, 10);
    if (kib <= 0 || kib > maxLongLineKib || *rest != ' ' || rest[1] == '\0') return {};
    std::string text(rest + 1);
    text.resize(std::size_t(kib) * 1024, text.back());
    return text;
}

std::string Tamed(const std::string& text) {
    std::istringstream lines(text);
    std::string line, out;
    while (std::getline(lines, line)) {
        std::size_t end = 0;
        if (FirstWord(line, end) == "%long") line = Lengthened(line, end);
        const std::string command = FirstWord(line, end);
        if (command == "render" || command == "record" || command == "panel") continue;
        if (command == "frame") line = HoldCount(line, 1, maxFramesPerLine);
        if (command == "hold") line = HoldCount(line, 4, maxRepeatsPerLine);
        out += line;
        out += '\n';
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text =
        Tamed(std::string(reinterpret_cast<const char*>(data), size));
    panelhost::Host host;
    if (!fuzzing::AttachModule(host)) return 0;
    std::ostringstream out, err;
    panelhost::RunScenarioText(host, "fuzz.scn", text, out, err);
    const std::string messages = err.str();
    std::size_t lineLength = 0;
    for (const char c : messages) {
        lineLength = c == '\n' ? 0 : lineLength + 1;
        if ((static_cast<unsigned char>(c) < 0x20 && c != '\n') || c == 0x7f || lineLength > maxMessageLine) {
            std::fprintf(stderr, "unsafe message: %s\n", panelhost::Printable(messages).c_str());
            std::abort();
        }
    }
    return 0;
}
