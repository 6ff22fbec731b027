// What the fuzz targets share: a host driving the module linked into the
// target (its records and state live in this process, so a fault in a gauge
// routine is caught where it happens).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "host/core/panel_host.h"
#include "sound/sound.h"

extern "C" IMPORT_TABLE ImportTable;
extern "C" MODULE_LINKAGE_VIEW Linkage;

namespace fuzzing {

// A host attached to the linked module, with no gauge placed. Sound is back
// on: one input that silenced the module must not silence every later one.
inline bool AttachModule(panelhost::Host& host) {
    SoundEnabled = 1;
    return host.Attach(&ImportTable, &Linkage);
}

// The entry of the gauge table named `name`; for a name the table does not
// hold, one picked by its characters, so that every input places something.
inline const panelhost::GaugeEntry& ChooseGauge(const std::vector<panelhost::GaugeEntry>& table,
                                                const std::string& name) {
    for (const panelhost::GaugeEntry& entry : table) {
        if (entry.name == name) return entry;
    }
    std::size_t pick = 0;
    for (unsigned char c : name) pick = pick * 31 + c;
    return table[pick % table.size()];
}

// The fuzz input as text, cut at its first character zero as a C string is.
inline std::string Text(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    const std::size_t zero = text.find('\0');
    if (zero != std::string::npos) text.resize(zero);
    return text;
}

constexpr long long maxFramesPerLine = 200;
constexpr long long maxRepeatsPerLine = 1000;
constexpr long long maxLongLineKib = 100;  // past the runner's line cap

inline std::string FirstWord(const std::string& line, std::size_t& end) {
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
inline std::string HoldCount(const std::string& line, std::size_t wordIndex, long long limit) {
    std::istringstream in(line);
    std::string word, rebuilt;
    for (std::size_t i = 0; in >> word; ++i) {
        if (i == wordIndex && std::strtoll(word.c_str(), nullptr, 0) > limit) word = std::to_string(limit);
        rebuilt += (rebuilt.empty() ? "" : " ") + word;
    }
    return rebuilt;
}

// "%long N TEXT": TEXT with its last character repeated to N KiB.
inline std::string Lengthened(const std::string& line, std::size_t end) {
    char* rest = nullptr;
    const long long kib = std::strtoll(line.c_str() + end, &rest, 10);
    if (kib <= 0 || kib > maxLongLineKib || *rest != ' ' || rest[1] == '\0') return {};
    std::string text(rest + 1);
    text.resize(std::size_t(kib) * 1024, text.back());
    return text;
}

// A scenario text made fit to fuzz: lines that read or write files
// (render, record, panel) are left out (the panel configuration reader has
// a target of its own), and frame and repeat counts are held small so that
// an input stays quick. A line "%long N TEXT" stands for TEXT with its last
// character repeated to N KiB, so that short inputs reach long words and
// lines past the runner's cap.
inline std::string TamedScenario(const std::string& text) {
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

}  // namespace fuzzing
