#include "host/panel/panel_config.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <unordered_map>
#include <utility>

#include "host/core/messages.h"

#include "module/panel_windows.h"

namespace panelhost {

bool SameWord(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool StartsWithWord(std::string_view text, std::string_view start) {
    return text.size() >= start.size() && SameWord(text.substr(0, start.size()), start);
}

bool Blank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
    while (!text.empty() && Blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && Blank(text.back())) text.remove_suffix(1);
    return text;
}

// A value up to a trailing comment: "//" anywhere, ";" at the start or
// after a blank (a ";" inside a word is the word's).
std::string_view Uncommented(std::string_view text) {
    std::size_t comment = text.find("//");
    for (std::size_t semicolon = text.find(';'); semicolon < comment; semicolon = text.find(';', semicolon + 1)) {
        if (semicolon == 0 || Blank(text[semicolon - 1])) comment = semicolon;
    }
    return Trim(comment == std::string_view::npos ? text : text.substr(0, comment));
}

std::string LowerCopy(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = Lower(c);
    return out;
}

// A whole decimal number within the panel bound; nothing for anything else.
std::optional<int> WholeNumber(std::string_view text) {
    text = Trim(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    int value = 0;
    const auto [end, problem] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || problem != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    if (value < -maxPanelCoordinate || value > maxPanelCoordinate) return std::nullopt;
    return value;
}

// Digits after a fixed word ("Window12", "gauge03"): the number, or nothing.
std::optional<int> NumberAfter(std::string_view text, std::string_view word) {
    if (!StartsWithWord(text, word) || text.size() == word.size()) return std::nullopt;
    const std::string_view digits = text.substr(word.size());
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    return WholeNumber(digits);
}

std::vector<std::string_view> SplitCommas(std::string_view text, std::size_t maxFields) {
    std::vector<std::string_view> fields;
    while (fields.size() + 1 < maxFields) {
        const std::size_t comma = text.find(',');
        if (comma == std::string_view::npos) break;
        fields.push_back(text.substr(0, comma));
        text.remove_prefix(comma + 1);
    }
    fields.push_back(text);
    return fields;
}

// Input text in a message: as UTF-8, quoted safe to print.
std::string QuotedInput(std::string_view text) { return Quoted(Utf8FromWindows1252(text)); }

// A fraction of the screen, 0 to 1; nothing for anything else.
std::optional<double> Fraction(std::string_view text) {
    text = Trim(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double value = 0;
    const auto [end, problem] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || problem != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    if (!(value >= 0 && value <= 1)) return std::nullopt;
    return value;
}

// "R,G,B", each 0 to 255, as 0xRRGGBB.
std::optional<std::uint32_t> Rgb(std::string_view text) {
    const auto fields = SplitCommas(text, 4);
    if (fields.size() != 3) return std::nullopt;
    std::uint32_t rgb = 0;
    for (const std::string_view field : fields) {
        const auto part = WholeNumber(field);
        if (!part || *part < 0 || *part > 255) return std::nullopt;
        rgb = rgb << 8 | std::uint32_t(*part);
    }
    return rgb;
}

// Two whole numbers "A,B", both positive or both 0 (nothing to draw).
std::optional<std::pair<int, int>> SizePair(std::string_view text) {
    const auto fields = SplitCommas(text, 3);
    if (fields.size() != 2) return std::nullopt;
    const auto a = WholeNumber(fields[0]);
    const auto b = WholeNumber(fields[1]);
    if (!a || !b || *a < 0 || *b < 0 || (*a == 0) != (*b == 0)) return std::nullopt;
    return std::pair{*a, *b};
}

// A positive number (window_size_ratio), at most `most`.
std::optional<double> PositiveNumber(std::string_view text, double most) {
    text = Trim(text);
    double value = 0;
    const auto [end, problem] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || problem != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    if (!(value > 0 && value <= most)) return std::nullopt;
    return value;
}

// A name the simulator may give a window (letters, digits, "_").
bool WindowNameLike(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
    });
}

// The largest window_size_ratio taken: a window is shrunk to the screen anyway.
constexpr double maxSizeRatio = 100;

bool Known(std::span<const KnownName> table, std::string_view name) {
    return std::any_of(table.begin(), table.end(), [&](const KnownName& known) { return SameWord(known.name, name); });
}

// The digits a name carries ("Window 02": "02"), for numbered suggestions.
std::string DigitsOf(std::string_view text) {
    std::string digits;
    for (const char c : text) {
        if (c >= '0' && c <= '9' && digits.size() < 6) digits.push_back(c);
    }
    return digits;
}

// The key the simulator looks for: "gauge" and the number in two digits at least.
std::string GaugeKey(int number) {
    const std::string digits = std::to_string(number);
    return "gauge" + std::string(digits.size() < 2 ? 2 - digits.size() : 0, '0') + digits;
}

std::optional<std::pair<double, double>> FractionPair(std::string_view text) {
    const auto fields = SplitCommas(text, 3);
    if (fields.size() != 2) return std::nullopt;
    const auto a = Fraction(fields[0]);
    const auto b = Fraction(fields[1]);
    if (!a || !b) return std::nullopt;
    return std::pair{*a, *b};
}

// The simulator finds a window's bitmap in the configuration's folder: a
// name that starts at a root or a drive, or climbs out with "..", is not
// one it would find there.
bool InsideFolder(std::string_view name) {
    if (name.empty() || name.front() == '/' || name.front() == '\\') return false;
    if (name.size() >= 2 && name[1] == ':') return false;
    int depth = 0;
    while (!name.empty()) {
        const std::size_t separator = name.find_first_of("/\\");
        const std::string_view part = name.substr(0, separator);
        name.remove_prefix(separator == std::string_view::npos ? name.size() : separator + 1);
        if (part == "..") {
            if (--depth < 0) return false;
        } else if (!part.empty() && part != ".") {
            ++depth;
        }
    }
    return true;
}

class Reader {
public:
    explicit Reader(const std::string& name) { config_.name = name; }

    // Lines are read as they come; `Finish` settles what needs the whole file.
    void Text(std::string_view text) {
        constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
        if (lineNumber_ == 0 && text.substr(0, byteOrderMark.size()) == byteOrderMark) {
            text.remove_prefix(byteOrderMark.size());
        }
        while (!text.empty() && !stopped_) {
            const std::size_t end = text.find('\n');
            std::string_view line = text.substr(0, end);
            text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            if (++lineNumber_ > maxPanelLines) {
                stopped_ = true;
                return Error(lineNumber_, "expected at most " + std::to_string(maxPanelLines) +
                                              " lines; the rest of the file is not read");
            }
            if (line.size() > maxPanelLineLength) {
                Error(lineNumber_, "expected lines of at most " + std::to_string(maxPanelLineLength) + " characters");
                continue;
            }
            line_ = line;
            Line(lineNumber_, line);
            line_ = {};
        }
    }

    int LinesRead() const { return lineNumber_; }

    // A finding on line `line`, at `at` (a part of the line being read) or
    // at its start.
    void Add(Severity severity, int line, std::string what, std::string_view at = {},
             std::vector<std::string> suggestions = {}) {
        findings_.push_back(PanelFinding{.file = config_.name, .line = line, .column = Column(at),
                                         .severity = severity, .message = std::move(what),
                                         .suggestions = std::move(suggestions)});
    }
    void Error(int line, std::string what, std::string_view at = {}) { Add(Severity::Error, line, std::move(what), at); }

    PanelConfig Finish() {
        std::map<int, const PanelWindow*> sections;  // window number: its [WindowNN]
        std::map<int, const PanelWindow*> idents;
        for (std::size_t i = 0; i < config_.windows.size(); ++i) {
            PanelWindow& window = config_.windows[i];
            if (window.file.empty() && !file1024_[i].empty()) {
                window.file = std::move(file1024_[i]);
                window.fileLine = file1024Lines_[i];
            }
            const auto width = widthOnly_.find(i);
            if (width != widthOnly_.end() && !window.virtualCockpit && window.file.empty()) {
                Error(width->second, "expected size_mm=WIDTH,HEIGHT: " + window.section +
                                         " has no background bitmap to give the height");
                window.sizeWidth.reset();
            }
            CheckNumbering(gaugeKeys_[i]);
            if (window.virtualCockpit) continue;
            sections.emplace(window.number, &window);
            const auto title = titles_.find(window.number);
            if (title != titles_.end()) {
                window.title = title->second.text;
            } else {
                Add(Severity::Note, window.line, window.section + " has no title in [Window Titles]");
            }
            if (window.ident) {
                const auto [earlier, first] = idents.emplace(*window.ident, &window);
                if (!first) {
                    Add(Severity::Note, window.line, window.section + " has the ident of " +
                                                         earlier->second->section +
                                                         "; the simulator opens only one of them");
                }
            }
        }
        for (const auto& [number, title] : titles_) {
            if (!sections.contains(number)) {
                Add(Severity::Note, title.line, "title for window " + std::to_string(number) + " without a [Window" +
                                                    (number < 10 ? "0" : "") + std::to_string(number) + "] section");
            }
        }
        SortFindings(findings_);
        // Notes change nothing: a few tell enough.
        std::size_t notes = 0;
        for (PanelFinding& finding : findings_) {
            if (finding.severity == Severity::Note && ++notes > maxPanelNotes) continue;
            config_.findings.push_back(std::move(finding));
        }
        if (notes > maxPanelNotes) {
            config_.findings.push_back(PanelFinding{.file = config_.name, .severity = Severity::Note,
                                                    .message = std::to_string(notes - maxPanelNotes) + " notes more", .suggestions = {}});
        }
        return std::move(config_);
    }

private:
    enum class Section { None, Titles, Window, Colours, Skipped };

    struct Title {
        std::string text;
        int line;
    };
    // A gauge key as written, for the numbering the simulator follows.
    struct GaugeKeyAt {
        int number;
        int line, column;
        std::string key;
    };

    int Column(std::string_view at) const {
        const std::less<const char*> before;
        if (!at.data() || line_.empty() || before(at.data(), line_.data()) ||
            before(line_.data() + line_.size(), at.data())) {
            return 1;
        }
        return int(at.data() - line_.data()) + 1;
    }

    void Line(int number, std::string_view raw) {
        const std::string_view line = Trim(raw);
        if (line.empty() || line.starts_with("//") || line.starts_with(";")) return;
        if (line.front() == '[') return SectionLine(number, line);
        const std::size_t equals = line.find('=');
        if (section_ == Section::Skipped) return;
        if (equals == std::string_view::npos) {
            return Error(number, "expected KEY=VALUE or a [section], found " + QuotedInput(line), line);
        }
        const std::string_view key = Trim(line.substr(0, equals));
        const std::string_view value = Trim(line.substr(equals + 1));
        switch (section_) {
        case Section::None:
            return Error(number, "expected a [section] before " + QuotedInput(key), key);
        case Section::Titles:
            if (const auto window = NumberAfter(key, "window")) {
                titles_[*window] = {Utf8FromWindows1252(Uncommented(value)), number};
            }
            return;
        case Section::Window: return WindowKey(number, key, value);
        case Section::Colours: return ColourKey(number, key, Uncommented(value));
        case Section::Skipped: return;
        }
    }

    // A key or section the simulator does not read: a warning with the
    // names meant where one is near, else a note.
    void Unknown(int number, std::string_view what, std::string_view written, std::vector<std::string_view> candidates,
                 const std::string& consequence) {
        std::vector<std::string> near = NearestNames(written, candidates);
        const Severity severity = near.empty() ? Severity::Note : Severity::Warning;
        Add(severity, number,
            "unknown " + std::string(what) + " " + QuotedInput(written) + ": " + consequence, written,
            std::move(near));
    }

    void SectionLine(int number, std::string_view line) {
        section_ = Section::Skipped;
        if (line.back() != ']') return Error(number, "expected ']' closing the section name", line);
        const std::string_view name = Trim(line.substr(1, line.size() - 2));
        if (SameWord(name, "window titles")) {
            section_ = Section::Titles;
            return;
        }
        if (SameWord(name, "color") || SameWord(name, "colour")) {
            section_ = Section::Colours;
            return;
        }
        const bool virtualCockpit = !NumberAfter(name, "window");
        const auto window = virtualCockpit ? NumberAfter(name, "vcockpit") : NumberAfter(name, "window");
        if (!window) {
            if (Known(knownSections, name)) return;  // [Views], [Default View]
            const std::string digits = DigitsOf(name);
            std::vector<std::string> numbered{"Window" + (digits.empty() ? "00" : digits),
                                              "Vcockpit" + (digits.empty() ? "01" : digits)};
            std::vector<std::string_view> candidates{numbered.begin(), numbered.end()};
            for (const KnownName& known : knownSections) {
                if (!known.name.ends_with("NN")) candidates.push_back(known.name);
            }
            return Unknown(number, "section", name, candidates,
                           "the simulator passes over it and its lines up to the next section");
        }
        const auto [earlier, first] = sectionLines_.emplace(std::pair{virtualCockpit, *window}, number);
        if (!first) {
            return Error(number, "expected each window once; " + Utf8FromWindows1252(name) + " was given at line " +
                                     std::to_string(earlier->second), name);
        }
        if (config_.windows.size() == maxPanelWindows) {
            return Error(number, "expected at most " + std::to_string(maxPanelWindows) + " windows; " +
                                     Utf8FromWindows1252(name) + " and the windows after it are not read", name);
        }
        section_ = Section::Window;
        gaugeLines_.clear();
        PanelWindow& added = config_.windows.emplace_back();
        added.line = number;
        added.section = std::string(name);
        added.number = *window;
        added.virtualCockpit = virtualCockpit;
        gaugeKeys_.emplace_back();
        file1024_.emplace_back();
        file1024Lines_.emplace_back();
    }

    void ColourKey(int number, std::string_view key, std::string_view value) {
        std::optional<std::uint32_t>* tint = SameWord(key, "day")        ? &config_.colours.day
                                             : SameWord(key, "night")    ? &config_.colours.night
                                             : SameWord(key, "luminous") ? &config_.colours.luminous
                                                                         : nullptr;
        if (!tint) {
            return Unknown(number, "key", key, {"Day", "Night", "Luminous"}, "the simulator passes over it");
        }
        *tint = Rgb(value);
        if (!*tint) Error(number, "expected " + LowerCopy(key) + "=RED,GREEN,BLUE, each 0 to 255", value);
    }

    void WindowKey(int number, std::string_view key, std::string_view value) {
        PanelWindow& window = config_.windows.back();
        if (NumberAfter(key, "gauge")) return GaugeLine(number, window, key, value);
        const std::string_view plain = Uncommented(value);
        if (SameWord(key, "file") || SameWord(key, "file_1024")) {
            // A virtual cockpit's "$name" is one of the simulator's own
            // textures, not a file of the aircraft's.
            if (window.virtualCockpit && plain.starts_with('$')) return;
            if (!InsideFolder(plain)) {
                return Error(number, "expected " + LowerCopy(key) +
                                         "=NAME of a bitmap in the panel configuration's folder, found " +
                                         QuotedInput(plain), value);
            }
            // file_1024 serves where file= is absent (settled at the end).
            if (SameWord(key, "file_1024")) {
                file1024_.back() = Utf8FromWindows1252(plain);
                file1024Lines_.back() = number;
                return;
            }
            window.file = Utf8FromWindows1252(plain);
            window.fileLine = number;
        } else if (SameWord(key, "size_mm")) {
            // One number is a width: the background bitmap gives the height.
            const auto width = WholeNumber(plain);
            const auto both = SizePair(plain);
            if (width && *width > 0) {
                window.sizeWidth = width;
                window.sizeHeight.reset();
                widthOnly_[config_.windows.size() - 1] = number;
            } else if (both || width == 0) {
                window.sizeWidth = both ? both->first : 0;
                window.sizeHeight = both ? both->second : 0;
                widthOnly_.erase(config_.windows.size() - 1);
            } else {
                return Error(number, "expected size_mm=WIDTH,HEIGHT or size_mm=WIDTH, positive whole numbers up to " +
                                         std::to_string(maxPanelCoordinate) + " (or 0,0 for nothing to draw)", value);
            }
        } else if (SameWord(key, "pixel_size")) {
            const auto side = WholeNumber(plain);
            const auto both = SizePair(plain);
            if (side && *side > 0) {
                window.pixelWidth = window.pixelHeight = oneNumberTextureSide;
                Add(Severity::Note, number, "pixel_size gives one number: the simulator draws this texture " +
                                                std::to_string(oneNumberTextureSide) + "x" +
                                                std::to_string(oneNumberTextureSide) + "; pixel_size=" +
                                                std::to_string(*side) + "," + std::to_string(*side) + " draws it " +
                                                std::to_string(*side) + " pixels square", value);
            } else if (both || side == 0) {
                window.pixelWidth = both ? both->first : 0;
                window.pixelHeight = both ? both->second : 0;
            } else {
                return Error(number, "expected pixel_size=WIDTH,HEIGHT, positive whole numbers up to " +
                                         std::to_string(maxPanelCoordinate) + " (or 0,0 for nothing to draw)", value);
            }
        } else if (SameWord(key, "texture")) {
            window.texture = Utf8FromWindows1252(plain);
        } else if (SameWord(key, "window_size")) {
            const auto width = Fraction(plain);
            const auto size = FractionPair(plain);
            if (width && *width > 0) {
                window.screenWidth = width;
                window.screenHeight.reset();
            } else if (size && size->first > 0 && size->second > 0) {
                window.screenWidth = size->first;
                window.screenHeight = size->second;
            } else {
                return Error(number, "expected window_size=WIDTH,HEIGHT or window_size=WIDTH as fractions of the "
                                     "screen, above 0 up to 1", value);
            }
        } else if (SameWord(key, "window_size_ratio")) {
            const auto ratio = PositiveNumber(plain, maxSizeRatio);
            if (!ratio) return Error(number, "expected window_size_ratio=N, a number above 0 up to 100", value);
            window.sizeRatio = ratio;
        } else if (SameWord(key, "window_pos")) {
            const auto corner = FractionPair(plain);
            if (!corner) return Error(number, "expected window_pos=X,Y as fractions of the screen, 0 to 1", value);
            window.screenX = corner->first;
            window.screenY = corner->second;
        } else if (SameWord(key, "zorder")) {
            const auto zorder = WholeNumber(plain);
            if (!zorder) return Error(number, "expected zorder=N, a whole number", value);
            window.zorder = zorder;
        } else if (SameWord(key, "position")) {
            const auto position = WholeNumber(plain);
            if (!position || *position < 0 || *position > 8) {
                return Error(number, "expected position=N, a whole number from 0 to 8", value);
            }
            window.position = position;
        } else if (SameWord(key, "visible")) {
            const auto visible = WholeNumber(plain);
            if (!visible || (*visible != 0 && *visible != 1)) {
                return Error(number, "expected visible=0 or visible=1", value);
            }
            window.visible = *visible == 1;
        } else if (SameWord(key, "ident")) {
            IdentKey(number, window, plain);
        } else if (SameWord(key, "background_color")) {
            const auto rgb = Rgb(plain);
            if (!rgb) return Error(number, "expected background_color=RED,GREEN,BLUE, each 0 to 255", value);
            window.backgroundRgb = rgb;
        } else if (!Known(knownWindowKeys, key) && !NumberAfter(key, "htmlgauge")) {
            const std::string digits = DigitsOf(key);
            std::vector<std::string> numbered{"gauge" + (digits.empty() ? "00" : digits),
                                              "htmlgauge" + (digits.empty() ? "00" : digits)};
            std::vector<std::string_view> candidates{numbered.begin(), numbered.end()};
            for (const KnownName& known : knownWindowKeys) {
                if (!known.name.ends_with("NN")) candidates.push_back(known.name);
            }
            Unknown(number, "key", key, candidates, "the simulator passes over it");
        }
        // The simulator's other keys (file_800, sizeable, htmlgaugeNN, ...)
        // change no picture.
    }

    // A number, a window name of the host's, or a name the simulator may
    // know that this module does not: the window is shown all the same.
    void IdentKey(int number, PanelWindow& window, std::string_view plain) {
        auto ident = WholeNumber(plain);
        if (!ident) ident = PanelWindowByName(plain);
        if (ident && *ident >= 0) {
            window.ident = ident;
            window.identName.clear();
            return;
        }
        if (ident || !WindowNameLike(plain)) {
            return Error(number, "expected ident=NUMBER or a window name (MAIN_PANEL, RADIO_STACK_PANEL, ...), "
                                 "found " + QuotedInput(plain), plain);
        }
        window.ident.reset();
        window.identName = std::string(plain);
        // The simulator knows more window names than the module: no guess.
        Add(Severity::Note, number,
            "ident " + QuotedInput(plain) + " is not a window name this module knows: the simulator shows the window, "
            "but the module's toggles cannot name it", plain);
    }

    void GaugeLine(int number, PanelWindow& window, std::string_view written, std::string_view value) {
        std::string key = LowerCopy(written);
        const auto [earlier, first] = gaugeLines_.emplace(key, number);
        if (!first) {
            return Add(Severity::Warning, number, key + " was given at line " + std::to_string(earlier->second) +
                                                      " too: the simulator places the first only", written);
        }
        if (gaugeCount_ == maxPanelGauges) {
            if (!gaugesRefused_) {
                Error(number, "expected at most " + std::to_string(maxPanelGauges) +
                                  " gauges in a configuration; this one and those after it are not placed");
            }
            gaugesRefused_ = true;
            return;
        }
        const auto fields = SplitCommas(value, 6);
        const std::string_view name = Trim(fields[0]);
        const std::size_t bang = name.find('!');
        if (bang == std::string_view::npos || bang == 0 || bang + 1 == name.size()) {
            return Error(number, "expected " + key + "=MODULE!GAUGE, X, Y[, WIDTH[, HEIGHT[, PARAMETERS]]], found " +
                                     QuotedInput(name), name);
        }
        PanelGauge gauge;
        gauge.line = number;
        gauge.key = std::move(key);
        const std::string_view module = Trim(name.substr(0, bang));
        const std::string_view gaugeName = Trim(name.substr(bang + 1));
        gauge.module = std::string(module);
        gauge.gauge = std::string(gaugeName);
        gauge.moduleColumn = Column(module);
        gauge.gaugeColumn = Column(gaugeName);
        if (fields.size() < 3) return Error(number, "expected X and Y after " + QuotedInput(name), name);
        // A field that ends the line may carry a comment.
        const auto field = [&](std::size_t i) { return i + 1 == fields.size() ? Uncommented(fields[i]) : Trim(fields[i]); };
        const auto x = WholeNumber(field(1));
        const auto y = WholeNumber(field(2));
        if (!x || !y) {
            return Error(number, "expected X and Y as whole numbers up to " + std::to_string(maxPanelCoordinate) +
                                     " after " + QuotedInput(name), x ? field(2) : field(1));
        }
        gauge.x = *x;
        gauge.y = *y;
        gauge.xColumn = Column(field(1));
        for (std::size_t i = 3; i < 5 && i < fields.size(); ++i) {
            const std::string_view text = field(i);
            if (text.empty()) continue;
            const auto side = WholeNumber(text);
            if (!side || *side < 0) {
                return Error(number, std::string("expected ") + (i == 3 ? "WIDTH" : "HEIGHT") +
                                         " as a whole number, 0 or more (or nothing), found " + QuotedInput(text),
                             text);
            }
            (i == 3 ? gauge.width : gauge.height) = side;
        }
        if (fields.size() == 6) gauge.params = std::string(Trim(fields[5]));
        const auto gaugeNumber = NumberAfter(gauge.key, "gauge");
        gaugeKeys_.back().push_back({*gaugeNumber, number, Column(written), gauge.key});
        window.gauges.push_back(std::move(gauge));
        ++gaugeCount_;
    }

    // The simulator looks for gauge00, gauge01, ... and stops at the first
    // number it does not find; it looks for two digits at least.
    void CheckNumbering(const std::vector<GaugeKeyAt>& keys) {
        std::vector<int> numbers;
        for (const GaugeKeyAt& key : keys) {
            if (key.key == GaugeKey(key.number)) {
                numbers.push_back(key.number);
            } else {
                findings_.push_back(PanelFinding{
                    .file = config_.name, .line = key.line, .column = key.column, .severity = Severity::Warning,
                    .message = "the simulator looks for " + GaugeKey(key.number) + ", not " + key.key +
                               ": this gauge is not shown there",
                    .suggestions = {GaugeKey(key.number)}});
            }
        }
        std::sort(numbers.begin(), numbers.end());
        int missing = 0;
        while (std::binary_search(numbers.begin(), numbers.end(), missing)) ++missing;
        const auto next = std::upper_bound(numbers.begin(), numbers.end(), missing);
        if (next == numbers.end()) return;
        const auto after = std::find_if(keys.begin(), keys.end(),
                                        [&](const GaugeKeyAt& key) { return key.key == GaugeKey(*next); });
        const auto unseen = numbers.end() - next;
        findings_.push_back(PanelFinding{
            .file = config_.name, .line = after->line, .column = after->column, .severity = Severity::Warning,
            .message = GaugeKey(missing) + " is missing: the simulator reads the gauges from gauge00 and stops "
                       "at the first missing number, so " + after->key +
                       (unseen > 1 ? " and the " + std::to_string(unseen - 1) + " after it are" : " is") +
                       " not shown there", .suggestions = {}});
    }

    PanelConfig config_;
    std::vector<PanelFinding> findings_;
    std::string_view line_;  // the line being read
    int lineNumber_{};
    bool stopped_{};
    Section section_{Section::None};
    std::map<int, Title> titles_;
    std::map<std::pair<bool, int>, int> sectionLines_;  // (virtual cockpit, number): header line
    std::unordered_map<std::string, int> gaugeLines_;   // the current window's gauge keys: line
    std::map<std::size_t, int> widthOnly_;              // window index: line of a one-number size_mm
    // By window index: the gauge keys, and file_1024 with its line.
    std::vector<std::vector<GaugeKeyAt>> gaugeKeys_;
    std::vector<std::string> file1024_;
    std::vector<int> file1024Lines_;
    std::size_t gaugeCount_{};
    bool gaugesRefused_{};
};

}  // namespace

namespace {

constexpr KnownName windowKeyTable[] = {
    {"file", "the window's background bitmap, in the configuration's folder or below it; stretched over the window"},
    {"file_1024", "the background for screens 1024 pixels wide: used where file= is absent"},
    {"file_640", "backgrounds for other screen widths: passed over"},
    {"file_800", "passed over"},
    {"file_1280", "passed over"},
    {"file_1600", "passed over"},
    {"size_mm", "the design space of the gauges' coordinates: WIDTH,HEIGHT, or WIDTH alone (the height from the "
                "background's aspect); 0,0 for a section with nothing to draw"},
    {"pixel_size", "a virtual-cockpit texture's pixels: WIDTH,HEIGHT; one number gives the 512-pixel square the "
                   "simulator draws then; 0,0 for nothing to draw"},
    {"texture", "the virtual-cockpit texture the section paints ($Panel_1)"},
    {"position", "where the window lies on the screen without window_pos: 0 top left to 8 bottom right"},
    {"window_pos", "the window's corner as fractions of the screen: X,Y"},
    {"window_size", "the window's size as fractions of the screen: WIDTH,HEIGHT, or WIDTH alone (the height "
                    "following the window's aspect)"},
    {"window_size_ratio", "scales a window sized from size_mm on the screen (1.0: as designed)"},
    {"zorder", "stacking on the screen: higher over lower"},
    {"visible", "1: open when the panel starts, 0: closed"},
    {"ident", "the window's number for the toggles and key events: a number or a window name (MAIN_PANEL, ...); "
              "another name is shown but cannot be toggled by the module's gauges"},
    {"background_color", "the panel colour where there is no background: R,G,B"},
    {"gaugeNN", "a gauge: MODULE!GAUGE, X, Y[, WIDTH[, HEIGHT[, PARAMETERS]]], numbered from gauge00 without a "
                "gap; width 0 places a logic gauge unseen"},
    {"htmlgaugeNN", "passed over"},
    {"sizeable", "passed over"},
    {"nomenu", "passed over"},
    {"no_luminous", "passed over"},
    {"child_3d", "passed over"},
    {"render_3d_window", "passed over"},
    {"type", "passed over"},
};

constexpr KnownName sectionTable[] = {
    {"Window Titles", "each window's title: WindowNN=TITLE"},
    {"WindowNN", "a panel window, drawn as WindowNN.png"},
    {"VcockpitNN", "a virtual-cockpit texture, drawn as VCockpitNN.png"},
    {"Color", "the panel's tints: Day=, Night=, Luminous= as R,G,B"},
    {"Views", "passed over"},
    {"Default View", "passed over"},
};

}  // namespace

const std::span<const KnownName> knownWindowKeys = windowKeyTable;
const std::span<const KnownName> knownSections = sectionTable;

bool NothingToDraw(const PanelWindow& window) {
    return window.sizeWidth == 0 || (window.virtualCockpit && window.pixelWidth == 0);
}

bool Unseen(const PanelGauge& gauge) { return gauge.width == 0 || gauge.height == 0; }

std::optional<int> PanelWindowByName(std::string_view name) {
    for (const PanelWindowName& entry : panelWindowNames) {
        if (SameWord(name, entry.name)) return entry.number;
    }
    return std::nullopt;
}

const PanelWindow* PanelConfig::Window(std::string_view section) const {
    for (const PanelWindow& window : windows) {
        if (SameWord(window.section, section)) return &window;
    }
    return nullptr;
}

PanelConfig ParsePanelConfig(std::string_view text, const std::string& name) {
    Reader reader(name);
    reader.Text(text);
    return reader.Finish();
}

PanelConfig ReadPanelConfigFrom(const PanelConfigSource& source, const std::string& name) {
    Reader reader(name);
    std::string pending;  // the start of a line not yet ended
    std::array<char, 64 * 1024> buffer;
    std::size_t total = 0;
    for (;;) {
        const std::optional<std::size_t> got = source(buffer.data(), buffer.size());
        if (!got) {  // the line cut by the failure is not read
            reader.Error(reader.LinesRead() + 1, "expected the rest of the file: it could not be read");
            break;
        }
        if (*got == 0) {
            reader.Text(pending);
            break;
        }
        const std::string_view piece(buffer.data(), std::min(*got, buffer.size()));
        total += piece.size();
        if (total > maxPanelFileBytes) {
            reader.Error(reader.LinesRead() + 1, "expected a panel configuration of at most " +
                                                     std::to_string(maxPanelFileBytes) +
                                                     " bytes; the rest is not read");
            break;
        }
        pending.append(piece);
        // Whole lines go to the reader; the start of the next one waits.
        if (const std::size_t lastEnd = piece.rfind('\n'); lastEnd != std::string_view::npos) {
            const std::size_t lineEnds = pending.size() - piece.size() + lastEnd + 1;
            reader.Text(std::string_view(pending).substr(0, lineEnds));
            pending.erase(0, lineEnds);
        }
    }
    return reader.Finish();
}

PanelConfig ReadPanelConfig(const std::string& path) {
    std::error_code problem;
    std::FILE* file = std::filesystem::is_regular_file(path, problem) ? std::fopen(path.c_str(), "rb") : nullptr;
    if (!file) {
        PanelConfig config;
        config.name = path;
        config.findings.push_back(PanelFinding{.file = path, .line = 1, .column = 1, .severity = Severity::Error,
                                               .message = "expected a readable panel configuration file", .suggestions = {}});
        return config;
    }
    PanelConfig config = ReadPanelConfigFrom(
        [file](char* buffer, std::size_t size) -> std::optional<std::size_t> {
            const std::size_t got = std::fread(buffer, 1, size, file);
            if (got == 0 && std::ferror(file)) return std::nullopt;
            return got;
        },
        path);
    std::fclose(file);
    return config;
}

std::string Utf8FromWindows1252(std::string_view text) {
    // 0x80 to 0x9F; 0 where the code page defines nothing.
    static constexpr std::array<char16_t, 32> high{
        0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    std::string out;
    out.reserve(text.size());
    for (const char byte : text) {
        const auto c = static_cast<unsigned char>(byte);
        char32_t code = c;
        if (c >= 0x80 && c < 0xA0) code = high[c - 0x80] ? high[c - 0x80] : 0xFFFD;
        if (code < 0x80) {
            out.push_back(char(code));
        } else if (code < 0x800) {
            out.push_back(char(0xC0 | (code >> 6)));
            out.push_back(char(0x80 | (code & 0x3F)));
        } else {
            out.push_back(char(0xE0 | (code >> 12)));
            out.push_back(char(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(char(0x80 | (code & 0x3F)));
        }
    }
    return out;
}

}  // namespace panelhost
