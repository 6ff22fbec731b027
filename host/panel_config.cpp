#include "host/panel_config.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "module/panel_windows.h"

namespace panelhost {

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool SameWord(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return Lower(x) == Lower(y);
           });
}

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

class Reader {
public:
    explicit Reader(const std::string& name) { config_.name = name; }

    PanelConfig Read(std::string_view text) {
        constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
        if (text.substr(0, byteOrderMark.size()) == byteOrderMark) text.remove_prefix(byteOrderMark.size());
        int number = 0;
        while (!text.empty()) {
            const std::size_t end = text.find('\n');
            std::string_view line = text.substr(0, end);
            text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            ++number;
            Line(number, line);
        }
        for (PanelWindow& window : config_.windows) {
            const auto title = titles_.find(window.number);
            if (title != titles_.end()) window.title = title->second;
        }
        return std::move(config_);
    }

private:
    enum class Section { None, Titles, Window, Skipped };

    void Error(int line, const std::string& what) {
        config_.errors.push_back(config_.name + ":" + std::to_string(line) + ": " + what);
    }

    void Line(int number, std::string_view raw) {
        const std::string_view line = Trim(raw);
        if (line.empty() || line.starts_with("//") || line.starts_with(";")) return;
        if (line.front() == '[') return SectionLine(number, line);
        const std::size_t equals = line.find('=');
        if (section_ == Section::Skipped) return;
        if (equals == std::string_view::npos) {
            return Error(number, "expected KEY=VALUE or a [section], found \"" + Utf8FromWindows1252(line) + "\"");
        }
        const std::string_view key = Trim(line.substr(0, equals));
        const std::string_view value = Trim(line.substr(equals + 1));
        switch (section_) {
        case Section::None:
            return Error(number, "expected a [section] before " + Utf8FromWindows1252(key));
        case Section::Titles:
            if (const auto window = NumberAfter(key, "window")) {
                titles_[*window] = Utf8FromWindows1252(Uncommented(value));
            }
            return;
        case Section::Window: return WindowKey(number, key, value);
        case Section::Skipped: return;
        }
    }

    void SectionLine(int number, std::string_view line) {
        if (line.back() != ']') {
            section_ = Section::Skipped;
            return Error(number, "expected ']' closing the section name");
        }
        const std::string_view name = Trim(line.substr(1, line.size() - 2));
        if (SameWord(name, "window titles")) {
            section_ = Section::Titles;
            return;
        }
        const auto window = NumberAfter(name, "window");
        if (!window) {  // [Vcockpit01], [Views], [Default View], [Color], ...
            section_ = Section::Skipped;
            return;
        }
        for (const PanelWindow& earlier : config_.windows) {
            if (earlier.number == *window) {
                section_ = Section::Skipped;
                return Error(number, "expected each window once; " + std::string(name) + " was given at line " +
                                         std::to_string(earlier.line));
            }
        }
        section_ = Section::Window;
        PanelWindow& added = config_.windows.emplace_back();
        added.line = number;
        added.section = std::string(name);
        added.number = *window;
    }

    void WindowKey(int number, std::string_view key, std::string_view value) {
        PanelWindow& window = config_.windows.back();
        if (const auto gauge = NumberAfter(key, "gauge")) {
            (void)gauge;
            return GaugeLine(number, window, LowerCopy(key), value);
        }
        const std::string_view plain = Uncommented(value);
        if (SameWord(key, "file")) {
            window.file = Utf8FromWindows1252(plain);
            window.fileLine = number;
        } else if (SameWord(key, "size_mm")) {
            const auto fields = SplitCommas(plain, 3);
            const auto width = fields.size() == 2 ? WholeNumber(fields[0]) : std::nullopt;
            const auto height = fields.size() == 2 ? WholeNumber(fields[1]) : std::nullopt;
            if (!width || !height || *width <= 0 || *height <= 0) {
                return Error(number, "expected size_mm=WIDTH,HEIGHT, two positive whole numbers up to " +
                                         std::to_string(maxPanelCoordinate));
            }
            window.sizeWidth = width;
            window.sizeHeight = height;
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
                                     "found \"" + Utf8FromWindows1252(plain) + "\"");
            }
            window.ident = ident;
        } else if (SameWord(key, "background_color")) {
            const auto fields = SplitCommas(plain, 4);
            std::uint32_t rgb = 0;
            bool good = fields.size() == 3;
            for (std::size_t i = 0; good && i < 3; ++i) {
                const auto part = WholeNumber(fields[i]);
                good = part && *part >= 0 && *part <= 255;
                if (good) rgb = rgb << 8 | std::uint32_t(*part);
            }
            if (!good) return Error(number, "expected background_color=RED,GREEN,BLUE, each 0 to 255");
            window.backgroundRgb = rgb;
        }
        // Other keys (window_size_ratio, sizeable, zorder, ...) change nothing
        // in a preview.
    }

    void GaugeLine(int number, PanelWindow& window, std::string key, std::string_view value) {
        for (const PanelGauge& earlier : window.gauges) {
            if (earlier.key == key) {
                return Error(number, "expected each gauge entry once; " + key + " was given at line " +
                                         std::to_string(earlier.line));
            }
        }
        const auto fields = SplitCommas(value, 6);
        const std::string_view name = Trim(fields[0]);
        const std::size_t bang = name.find('!');
        if (bang == std::string_view::npos || bang == 0 || bang + 1 == name.size()) {
            return Error(number, "expected " + key + "=MODULE!GAUGE, X, Y[, WIDTH[, HEIGHT[, PARAMETERS]]], found \"" +
                                     Utf8FromWindows1252(name) + "\"");
        }
        PanelGauge gauge;
        gauge.line = number;
        gauge.key = std::move(key);
        gauge.module = std::string(Trim(name.substr(0, bang)));
        gauge.gauge = std::string(Trim(name.substr(bang + 1)));
        if (fields.size() < 3) return Error(number, "expected X and Y after " + std::string(name));
        // A field that ends the line may carry a "//" comment.
        const auto field = [&](std::size_t i) { return i + 1 == fields.size() ? Uncommented(fields[i]) : Trim(fields[i]); };
        const auto x = WholeNumber(field(1));
        const auto y = WholeNumber(field(2));
        if (!x || !y) {
            return Error(number, "expected X and Y as whole numbers up to " + std::to_string(maxPanelCoordinate) +
                                     " after " + std::string(name));
        }
        gauge.x = *x;
        gauge.y = *y;
        for (std::size_t i = 3; i < 5 && i < fields.size(); ++i) {
            const std::string_view text = field(i);
            if (text.empty()) continue;
            const auto side = WholeNumber(text);
            if (!side || *side <= 0) {
                return Error(number, std::string("expected ") + (i == 3 ? "WIDTH" : "HEIGHT") +
                                         " as a positive whole number (or nothing), found \"" +
                                         Utf8FromWindows1252(text) + "\"");
            }
            (i == 3 ? gauge.width : gauge.height) = side;
        }
        if (fields.size() == 6) gauge.params = std::string(Trim(fields[5]));
        window.gauges.push_back(std::move(gauge));
    }

    PanelConfig config_;
    Section section_{Section::None};
    std::map<int, std::string> titles_;
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

PanelConfig ParsePanelConfig(std::string_view text, const std::string& name) { return Reader(name).Read(text); }

PanelConfig ReadPanelConfig(const std::string& path) {
    std::error_code problem;
    std::ifstream file;
    if (std::filesystem::is_regular_file(path, problem)) file.open(path, std::ios::binary);
    std::string text;
    if (file) text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    if (!file.is_open() || file.bad()) {
        PanelConfig config;
        config.name = path;
        config.errors.push_back(path + ":1: expected a readable panel configuration file");
        return config;
    }
    return ParsePanelConfig(text, path);
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
