#include "host/panel/panel_config.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <filesystem>
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

// A value up to a trailing "//" comment.
std::string_view Uncommented(std::string_view text) {
    const std::size_t comment = text.find("//");
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

// Two whole numbers "A,B", both positive.
std::optional<std::pair<int, int>> PositivePair(std::string_view text) {
    const auto fields = SplitCommas(text, 3);
    if (fields.size() != 2) return std::nullopt;
    const auto a = WholeNumber(fields[0]);
    const auto b = WholeNumber(fields[1]);
    if (!a || !b || *a <= 0 || *b <= 0) return std::nullopt;
    return std::pair{*a, *b};
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
            Line(lineNumber_, line);
        }
    }

    int LinesRead() const { return lineNumber_; }

    void Error(int line, const std::string& what) {
        errors_.push_back({line, config_.name + ":" + std::to_string(line) + ": " + what});
    }

    PanelConfig Finish() {
        std::map<int, const PanelWindow*> sections;  // window number: its [WindowNN]
        std::map<int, const PanelWindow*> idents;
        for (std::size_t i = 0; i < config_.windows.size(); ++i) {
            PanelWindow& window = config_.windows[i];
            const auto width = widthOnly_.find(i);
            if (width != widthOnly_.end() && !window.virtualCockpit && window.file.empty()) {
                Error(width->second, "expected size_mm=WIDTH,HEIGHT: " + window.section +
                                         " has no background bitmap to give the height");
                window.sizeWidth.reset();
            }
            if (window.virtualCockpit) continue;
            sections.emplace(window.number, &window);
            const auto title = titles_.find(window.number);
            if (title != titles_.end()) {
                window.title = title->second.text;
            } else {
                Note(window.line, window.section + " has no title in [Window Titles]");
            }
            if (window.ident) {
                const auto [earlier, first] = idents.emplace(*window.ident, &window);
                if (!first) {
                    Note(window.line, window.section + " has the ident of " + earlier->second->section +
                                          "; the simulator opens only one of them");
                }
            }
        }
        for (const auto& [number, title] : titles_) {
            if (!sections.contains(number)) {
                Note(title.line, "title for window " + std::to_string(number) + " without a [Window" +
                                     (number < 10 ? "0" : "") + std::to_string(number) + "] section");
            }
        }
        const auto byLine = [](const auto& a, const auto& b) { return a.line < b.line; };
        std::stable_sort(errors_.begin(), errors_.end(), byLine);
        std::stable_sort(notes_.begin(), notes_.end(), byLine);
        for (auto& error : errors_) config_.errors.push_back(std::move(error.text));
        // Notes change nothing: a few tell enough.
        for (std::size_t i = 0; i < notes_.size() && i < maxPanelNotes; ++i) {
            config_.notes.push_back(std::move(notes_[i].text));
        }
        if (notes_.size() > maxPanelNotes) {
            config_.notes.push_back(config_.name + ": note: " + std::to_string(notes_.size() - maxPanelNotes) +
                                    " notes more");
        }
        return std::move(config_);
    }

private:
    enum class Section { None, Titles, Window, Colours, Skipped };

    struct Message {
        int line;
        std::string text;
    };
    struct Title {
        std::string text;
        int line;
    };

    void Note(int line, const std::string& what) {
        notes_.push_back({line, config_.name + ":" + std::to_string(line) + ": note: " + what});
    }

    void Line(int number, std::string_view raw) {
        const std::string_view line = Trim(raw);
        if (line.empty() || line.starts_with("//") || line.starts_with(";")) return;
        if (line.front() == '[') return SectionLine(number, line);
        const std::size_t equals = line.find('=');
        if (section_ == Section::Skipped) return;
        if (equals == std::string_view::npos) {
            return Error(number, "expected KEY=VALUE or a [section], found " + QuotedInput(line));
        }
        const std::string_view key = Trim(line.substr(0, equals));
        const std::string_view value = Trim(line.substr(equals + 1));
        switch (section_) {
        case Section::None:
            return Error(number, "expected a [section] before " + QuotedInput(key));
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

    void SectionLine(int number, std::string_view line) {
        section_ = Section::Skipped;
        if (line.back() != ']') return Error(number, "expected ']' closing the section name");
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
        if (!window) return;  // [Views], [Default View], [fltsim], ...
        const auto [earlier, first] = sectionLines_.emplace(std::pair{virtualCockpit, *window}, number);
        if (!first) {
            return Error(number, "expected each window once; " + Utf8FromWindows1252(name) + " was given at line " +
                                     std::to_string(earlier->second));
        }
        if (config_.windows.size() == maxPanelWindows) {
            return Error(number, "expected at most " + std::to_string(maxPanelWindows) + " windows; " +
                                     Utf8FromWindows1252(name) + " and the windows after it are not read");
        }
        section_ = Section::Window;
        gaugeLines_.clear();
        PanelWindow& added = config_.windows.emplace_back();
        added.line = number;
        added.section = std::string(name);
        added.number = *window;
        added.virtualCockpit = virtualCockpit;
    }

    void ColourKey(int number, std::string_view key, std::string_view value) {
        std::optional<std::uint32_t>* tint = SameWord(key, "day")        ? &config_.colours.day
                                             : SameWord(key, "night")    ? &config_.colours.night
                                             : SameWord(key, "luminous") ? &config_.colours.luminous
                                                                         : nullptr;
        if (!tint) return;
        *tint = Rgb(value);
        if (!*tint) Error(number, "expected " + LowerCopy(key) + "=RED,GREEN,BLUE, each 0 to 255");
    }

    void WindowKey(int number, std::string_view key, std::string_view value) {
        PanelWindow& window = config_.windows.back();
        if (NumberAfter(key, "gauge")) return GaugeLine(number, window, LowerCopy(key), value);
        const std::string_view plain = Uncommented(value);
        if (SameWord(key, "file")) {
            // A virtual cockpit's "$name" is one of the simulator's own
            // textures, not a file of the aircraft's.
            if (window.virtualCockpit && plain.starts_with('$')) return;
            if (!InsideFolder(plain)) {
                return Error(number, "expected file=NAME of a bitmap in the panel configuration's folder, found " +
                                         QuotedInput(plain));
            }
            window.file = Utf8FromWindows1252(plain);
            window.fileLine = number;
        } else if (SameWord(key, "size_mm")) {
            // One number is a width: the background bitmap gives the height.
            const auto width = WholeNumber(plain);
            const auto both = PositivePair(plain);
            if (width && *width > 0) {
                window.sizeWidth = width;
                window.sizeHeight.reset();
                widthOnly_[config_.windows.size() - 1] = number;
            } else if (both) {
                window.sizeWidth = both->first;
                window.sizeHeight = both->second;
                widthOnly_.erase(config_.windows.size() - 1);
            } else {
                return Error(number, "expected size_mm=WIDTH,HEIGHT or size_mm=WIDTH, positive whole numbers up to " +
                                         std::to_string(maxPanelCoordinate));
            }
        } else if (SameWord(key, "pixel_size")) {
            const auto both = PositivePair(plain);
            if (!both) {
                return Error(number, "expected pixel_size=WIDTH,HEIGHT, positive whole numbers up to " +
                                         std::to_string(maxPanelCoordinate));
            }
            window.pixelWidth = both->first;
            window.pixelHeight = both->second;
        } else if (SameWord(key, "texture")) {
            window.texture = Utf8FromWindows1252(plain);
        } else if (SameWord(key, "window_size")) {
            const auto size = FractionPair(plain);
            if (!size || size->first <= 0 || size->second <= 0) {
                return Error(number, "expected window_size=WIDTH,HEIGHT as fractions of the screen, above 0 up to 1");
            }
            window.screenWidth = size->first;
            window.screenHeight = size->second;
        } else if (SameWord(key, "window_pos")) {
            const auto corner = FractionPair(plain);
            if (!corner) return Error(number, "expected window_pos=X,Y as fractions of the screen, 0 to 1");
            window.screenX = corner->first;
            window.screenY = corner->second;
        } else if (SameWord(key, "zorder")) {
            const auto zorder = WholeNumber(plain);
            if (!zorder) return Error(number, "expected zorder=N, a whole number");
            window.zorder = zorder;
        } else if (SameWord(key, "position")) {
            const auto position = WholeNumber(plain);
            if (!position || *position < 0 || *position > 8) {
                return Error(number, "expected position=N, a whole number from 0 to 8");
            }
            window.position = position;
        } else if (SameWord(key, "visible")) {
            const auto visible = WholeNumber(plain);
            if (!visible || (*visible != 0 && *visible != 1)) return Error(number, "expected visible=0 or visible=1");
            window.visible = *visible == 1;
        } else if (SameWord(key, "ident")) {
            auto ident = WholeNumber(plain);
            if (!ident) ident = PanelWindowByName(plain);
            if (!ident || *ident < 0) {
                return Error(number, "expected ident=NUMBER or a window name (MAIN_PANEL, RADIO_STACK_PANEL, ...), "
                                     "found " + QuotedInput(plain));
            }
            window.ident = ident;
        } else if (SameWord(key, "background_color")) {
            const auto rgb = Rgb(plain);
            if (!rgb) return Error(number, "expected background_color=RED,GREEN,BLUE, each 0 to 255");
            window.backgroundRgb = rgb;
        }
        // Other keys (window_size_ratio, sizeable, file_1024, htmlgaugeNN,
        // ...) change nothing here.
    }

    void GaugeLine(int number, PanelWindow& window, std::string key, std::string_view value) {
        const auto [earlier, first] = gaugeLines_.emplace(key, number);
        if (!first) {
            return Error(number, "expected each gauge entry once; " + key + " was given at line " +
                                     std::to_string(earlier->second));
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
                                     QuotedInput(name));
        }
        PanelGauge gauge;
        gauge.line = number;
        gauge.key = std::move(key);
        gauge.module = std::string(Trim(name.substr(0, bang)));
        gauge.gauge = std::string(Trim(name.substr(bang + 1)));
        if (fields.size() < 3) return Error(number, "expected X and Y after " + QuotedInput(name));
        // A field that ends the line may carry a "//" comment.
        const auto field = [&](std::size_t i) { return i + 1 == fields.size() ? Uncommented(fields[i]) : Trim(fields[i]); };
        const auto x = WholeNumber(field(1));
        const auto y = WholeNumber(field(2));
        if (!x || !y) {
            return Error(number, "expected X and Y as whole numbers up to " + std::to_string(maxPanelCoordinate) +
                                     " after " + QuotedInput(name));
        }
        gauge.x = *x;
        gauge.y = *y;
        for (std::size_t i = 3; i < 5 && i < fields.size(); ++i) {
            const std::string_view text = field(i);
            if (text.empty()) continue;
            const auto side = WholeNumber(text);
            if (!side || *side <= 0) {
                return Error(number, std::string("expected ") + (i == 3 ? "WIDTH" : "HEIGHT") +
                                         " as a positive whole number (or nothing), found " + QuotedInput(text));
            }
            (i == 3 ? gauge.width : gauge.height) = side;
        }
        if (fields.size() == 6) gauge.params = std::string(Trim(fields[5]));
        window.gauges.push_back(std::move(gauge));
        ++gaugeCount_;
    }

    PanelConfig config_;
    std::vector<Message> errors_, notes_;
    int lineNumber_{};
    bool stopped_{};
    Section section_{Section::None};
    std::map<int, Title> titles_;
    std::map<std::pair<bool, int>, int> sectionLines_;  // (virtual cockpit, number): header line
    std::unordered_map<std::string, int> gaugeLines_;   // the current window's gauge keys: line
    std::map<std::size_t, int> widthOnly_;              // window index: line of a one-number size_mm
    std::size_t gaugeCount_{};
    bool gaugesRefused_{};
};

}  // namespace

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
        config.errors.push_back(path + ":1: expected a readable panel configuration file");
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
