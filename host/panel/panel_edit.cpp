#include "host/panel/panel_edit.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <utility>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

#include "host/core/messages.h"

namespace panelhost {

namespace {

constexpr std::string_view editableKeyTable[] = {"size_mm", "position", "window_pos", "window_size", "visible"};

// A new window's design space when none is asked for.
constexpr std::string_view newWindowSize = "400,300";
// Window values and parameters a designer types: a line's worth.
constexpr std::size_t maxValueLength = 256;
constexpr std::size_t maxParamsLength = 4096;

// Fields of a gauge line by position.
enum GaugeField : std::size_t { fieldName, fieldX, fieldY, fieldWidth, fieldHeight, fieldParams, gaugeFields };

// One line of the text: [begin, end) its content, `next` where the following
// line starts (after the line end).
struct TextLine {
    std::size_t begin{}, end{}, next{};
};

std::vector<TextLine> LinesOf(std::string_view text) {
    std::vector<TextLine> lines;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t newline = text.find('\n', at);
        const std::size_t next = newline == std::string_view::npos ? text.size() : newline + 1;
        std::size_t end = newline == std::string_view::npos ? text.size() : newline;
        if (end > at && text[end - 1] == '\r') --end;
        lines.push_back({at, end, next});
        at = next;
    }
    return lines;
}

// A line as the reader sees it: no byte-order mark, no blanks around.
std::string_view Content(std::string_view text, const TextLine& line) {
    std::string_view content = text.substr(line.begin, line.end - line.begin);
    constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
    if (line.begin == 0 && content.starts_with(byteOrderMark)) content.remove_prefix(byteOrderMark.size());
    return TrimBlanks(content);
}

bool Comment(std::string_view content) { return content.starts_with("//") || content.starts_with(";"); }
bool Header(std::string_view content) { return content.starts_with('['); }

// The key of a KEY=VALUE line as written; empty for other lines.
std::string_view KeyOf(std::string_view content) {
    if (content.empty() || Comment(content) || Header(content)) return {};
    const std::size_t equals = content.find('=');
    return equals == std::string_view::npos ? std::string_view{} : TrimBlanks(content.substr(0, equals));
}

// The number of a "gaugeNN" key, or nothing.
std::optional<int> GaugeNumber(std::string_view key) {
    constexpr std::string_view word = "gauge";
    if (key.size() <= word.size() || key.size() > word.size() + 6 || !SameWord(key.substr(0, word.size()), word)) {
        return std::nullopt;
    }
    int number = 0;
    for (const char c : key.substr(word.size())) {
        if (c < '0' || c > '9') return std::nullopt;
        number = number * 10 + (c - '0');
    }
    return number;
}

std::size_t Offset(std::string_view whole, std::string_view part) { return std::size_t(part.data() - whole.data()); }

// The file's own way of ending lines: its first line end, CRLF for a file
// of one line.
std::string LineEnd(std::string_view text) {
    const std::size_t newline = text.find('\n');
    return newline != std::string_view::npos && (newline == 0 || text[newline - 1] != '\r') ? "\n" : "\r\n";
}

// What stands between a key and its value on that line ("=", " = ").
std::string EqualsOf(std::string_view content) {
    const std::size_t equals = content.find('=');
    std::size_t before = equals, after = equals + 1;
    while (before > 0 && (content[before - 1] == ' ' || content[before - 1] == '\t')) --before;
    while (after < content.size() && (content[after] == ' ' || content[after] == '\t')) ++after;
    return std::string(content.substr(before, after - before));
}

// A field of a gauge line: blanks before, the value, and what follows it
// (blanks, and on the last field a trailing comment).
struct Field {
    std::string lead, core, trail;
};

class Editor {
public:
    Editor(std::string text, const std::string& name) : text_(std::move(text)), name_(name) { Read(); }

    const std::string& Text() const { return text_; }
    const PanelConfig& Config() const { return config_; }
    std::string Take() { return std::move(text_); }

    std::optional<std::string> Change(const PanelEdit& change, std::span<const TableGauge> table) {
        const PanelWindow* window = nullptr;
        if (change.kind != PanelEditKind::AddWindow) {
            window = config_.Window(change.window);
            if (!window) return "no window " + Quoted(change.window) + " in the configuration";
        }
        const PanelGauge* gauge = nullptr;
        if (change.kind == PanelEditKind::Move || change.kind == PanelEditKind::Resize ||
            change.kind == PanelEditKind::Remove || change.kind == PanelEditKind::Params) {
            const auto found = std::find_if(window->gauges.begin(), window->gauges.end(),
                                            [&](const PanelGauge& g) { return SameWord(g.key, change.gauge); });
            if (found == window->gauges.end()) return "no gauge " + Quoted(change.gauge) + " in " + window->section;
            gauge = &*found;
        }
        switch (change.kind) {
        case PanelEditKind::Move: return Move(*window, *gauge, change);
        case PanelEditKind::Resize: return Resize(*window, *gauge, change);
        case PanelEditKind::Add: return Add(*window, change, table);
        case PanelEditKind::Remove: return Remove(*window, *gauge);
        case PanelEditKind::Params: return Params(*window, *gauge, change.text);
        case PanelEditKind::Window: return WindowKey(*window, change);
        case PanelEditKind::AddWindow: return AddWindow(change);
        }
        return "unknown change";
    }

private:
    void Read() {
        config_ = ParsePanelConfig(text_, name_);
        lines_ = LinesOf(text_);
    }

    std::string_view ContentAt(std::size_t index) const { return Content(text_, lines_[index]); }

    // The lines of a window's section after its header: [first, end).
    std::pair<std::size_t, std::size_t> SectionLines(const PanelWindow& window) const {
        const std::size_t first = std::size_t(window.line);
        std::size_t end = first;
        while (end < lines_.size() && !Header(ContentAt(end))) ++end;
        return {first, end};
    }

    // The design space a corner may lie in, on each axis.
    static std::pair<int, int> Bounds(const PanelWindow& window) {
        const int width = window.sizeWidth.value_or(0) > 0 ? *window.sizeWidth : maxPanelCoordinate;
        const int height = window.sizeHeight.value_or(0) > 0 ? *window.sizeHeight : maxPanelCoordinate;
        return {width, height};
    }

    static std::optional<std::string> Corner(const PanelWindow& window, std::optional<int> x, std::optional<int> y) {
        if (!x || !y) return "expected x and y as whole numbers";
        const auto [width, height] = Bounds(window);
        if (*x < 0 || *x >= width || *y < 0 || *y >= height) {
            return "expected x from 0 to " + std::to_string(width - 1) + " and y from 0 to " +
                   std::to_string(height - 1) + " (" + window.section + "'s design space), found " +
                   std::to_string(*x) + "," + std::to_string(*y);
        }
        return std::nullopt;
    }

    static std::optional<std::string> Side(const char* what, std::optional<int> side) {
        if (side && (*side < 1 || *side > maxPanelCoordinate)) {
            return std::string("expected ") + what + " from 1 to " + std::to_string(maxPanelCoordinate) + ", found " +
                   std::to_string(*side);
        }
        return std::nullopt;
    }

    // Replaces [begin, end) of the text and reads it again; the change is
    // then checked against what the reader makes of it.
    void Splice(std::size_t begin, std::size_t end, std::string_view with) {
        text_.replace(begin, end - begin, with);
        Read();
    }

    // Where a line is to be inserted before line `index` (or at the end):
    // a last line without its line end gets one first.
    std::size_t InsertionPoint(std::size_t index) {
        if (index < lines_.size()) return lines_[index].begin;
        if (!lines_.empty() && lines_.back().next == lines_.back().end) {
            text_ += LineEnd(text_);
            lines_.back().next = text_.size();
        }
        return text_.size();
    }

    // The fields of the gauge line at `index`, and where its value starts.
    std::vector<Field> Fields(std::size_t index, std::size_t* valueAt) const {
        const TextLine& line = lines_[index];
        const std::string_view raw = std::string_view(text_).substr(line.begin, line.end - line.begin);
        const std::size_t equals = raw.find('=');
        *valueAt = line.begin + equals + 1;
        const std::vector<std::string_view> parts = SplitFields(raw.substr(equals + 1), gaugeFields);
        std::vector<Field> fields;
        for (std::size_t i = 0; i < parts.size(); ++i) {
            const std::string_view part = parts[i];
            // The parameters run to the end of the line; a comment may end
            // any other last field.
            const std::string_view core =
                i + 1 == parts.size() && i != fieldParams ? ValueBeforeComment(part) : TrimBlanks(part);
            const std::size_t at = Offset(part, core);
            fields.push_back({std::string(part.substr(0, at)), std::string(core), std::string(part.substr(at + core.size()))});
        }
        return fields;
    }

    void WriteFields(std::size_t index, std::size_t valueAt, const std::vector<Field>& fields) {
        std::string value;
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (i) value += ',';
            value += fields[i].lead + fields[i].core + fields[i].trail;
        }
        Splice(valueAt, lines_[index].end, value);
    }

    // Sets a field, adding empty ones before it in the line's own spacing;
    // a trailing comment stays at the end.
    static void SetField(std::vector<Field>& fields, std::size_t i, std::string text) {
        while (fields.size() <= i) {
            Field added{fields.size() > fieldX ? fields[fieldX].lead : " ", "", std::exchange(fields.back().trail, {})};
            fields.push_back(std::move(added));
        }
        fields[i].core = std::move(text);
    }

    static void DropLast(std::vector<Field>& fields) {
        std::string trail = std::move(fields.back().trail);
        fields.pop_back();
        fields.back().trail += trail;
    }

    // The gauge at `key` of the window as read back now.
    const PanelGauge* ReadBack(std::string_view section, std::string_view key) const {
        const PanelWindow* window = config_.Window(section);
        if (!window) return nullptr;
        const auto found = std::find_if(window->gauges.begin(), window->gauges.end(),
                                        [&](const PanelGauge& g) { return SameWord(g.key, key); });
        return found == window->gauges.end() ? nullptr : &*found;
    }

    std::optional<std::string> Expect(const PanelGauge& wanted, std::string_view section) const {
        const PanelGauge* got = ReadBack(section, wanted.key);
        if (got && got->module == wanted.module && got->gauge == wanted.gauge && got->x == wanted.x &&
            got->y == wanted.y && got->width == wanted.width && got->height == wanted.height &&
            got->params == wanted.params) {
            return std::nullopt;
        }
        return "the line would not read back as asked" +
               (got ? ": " + Quoted(Utf8FromWindows1252(LineText(std::size_t(got->line - 1)))) : std::string{});
    }

    std::string LineText(std::size_t index) const {
        return text_.substr(lines_[index].begin, lines_[index].end - lines_[index].begin);
    }

    std::optional<std::string> RewriteGauge(const PanelWindow& window, const PanelGauge& gauge,
                                            const std::function<std::optional<std::string>(std::vector<Field>&)>& edit,
                                            PanelGauge wanted) {
        const std::string section = window.section;
        const std::size_t index = std::size_t(gauge.line - 1);
        std::size_t valueAt = 0;
        std::vector<Field> fields = Fields(index, &valueAt);
        if (auto refused = edit(fields)) return refused;
        if (fields.size() > fieldParams && fields.back().trail.find_first_not_of(" \t") != std::string::npos) {
            return "the line's trailing comment would be read as part of the parameters: move it to a line of its own";
        }
        WriteFields(index, valueAt, fields);
        return Expect(wanted, section);
    }

    std::optional<std::string> Move(const PanelWindow& window, const PanelGauge& gauge, const PanelEdit& change) {
        if (auto refused = Corner(window, change.x, change.y)) return refused;
        PanelGauge wanted = gauge;
        wanted.x = *change.x;
        wanted.y = *change.y;
        return RewriteGauge(window, gauge, [&](std::vector<Field>& fields) -> std::optional<std::string> {
            // A value the line already holds stays as written ("+300", "0300").
            if (gauge.x != *change.x) SetField(fields, fieldX, std::to_string(*change.x));
            if (gauge.y != *change.y) SetField(fields, fieldY, std::to_string(*change.y));
            return std::nullopt;
        }, wanted);
    }

    std::optional<std::string> Resize(const PanelWindow& window, const PanelGauge& gauge, const PanelEdit& change) {
        if (!change.width) return "expected a width";
        if (auto refused = Side("width", change.width)) return refused;
        if (auto refused = Side("height", change.height)) return refused;
        PanelGauge wanted = gauge;
        wanted.width = change.width;
        wanted.height = change.height;
        return RewriteGauge(window, gauge, [&](std::vector<Field>& fields) -> std::optional<std::string> {
            if (gauge.width != change.width) SetField(fields, fieldWidth, std::to_string(*change.width));
            if (gauge.height == change.height) {
                // as written
            } else if (change.height) {
                SetField(fields, fieldHeight, std::to_string(*change.height));
            } else if (fields.size() == fieldHeight + 1) {
                DropLast(fields);
            } else if (fields.size() > fieldHeight) {
                fields[fieldHeight].core.clear();  // the parameters still follow
            }
            return std::nullopt;
        }, wanted);
    }

    std::optional<std::string> Params(const PanelWindow& window, const PanelGauge& gauge, const std::string& text) {
        const std::optional<std::string> written = Windows1252FromUtf8(text);
        if (!written) return "expected parameters in characters of Windows-1252";
        if (written->size() > maxParamsLength ||
            std::any_of(written->begin(), written->end(), [](char c) { return static_cast<unsigned char>(c) < ' '; })) {
            return "expected parameters on one line, at most " + std::to_string(maxParamsLength) + " characters";
        }
        const std::string params(TrimBlanks(*written));
        PanelGauge wanted = gauge;
        wanted.params = params.empty() ? std::nullopt : std::optional(params);
        return RewriteGauge(window, gauge, [&](std::vector<Field>& fields) -> std::optional<std::string> {
            if (!params.empty()) {
                SetField(fields, fieldParams, params);
                return std::nullopt;
            }
            if (fields.size() > fieldParams) DropLast(fields);
            // Empty width and height fields say nothing without parameters after them.
            while (fields.size() > fieldWidth && fields.back().core.empty()) DropLast(fields);
            return std::nullopt;
        }, wanted);
    }

    // The key of this module's table or of the file's own gauges that
    // `name` names, written as the designer gave it.
    std::optional<std::string> KnownName(const std::string& name, std::span<const TableGauge> table) const {
        const std::size_t bang = name.find('!');
        if (bang == std::string::npos || bang == 0 || bang + 1 == name.size()) return std::nullopt;
        const std::string_view module = std::string_view(name).substr(0, bang);
        const std::string_view gauge = std::string_view(name).substr(bang + 1);
        if (SameWord(module, "QR417_Instr") || SameWord(module, "QR417_Instr.gau")) {
            for (const TableGauge& entry : table) {
                if (SameWord(entry.name, gauge)) return std::string(module) + "!" + std::string(entry.name);
            }
            return std::nullopt;
        }
        for (const PanelWindow& window : config_.windows) {
            for (const PanelGauge& placed : window.gauges) {
                if (SameWord(placed.module, module) && SameWord(placed.gauge, gauge)) {
                    return placed.module + "!" + placed.gauge;
                }
            }
        }
        return std::nullopt;
    }

    std::optional<std::string> Add(const PanelWindow& window, const PanelEdit& change,
                                   std::span<const TableGauge> table) {
        const std::optional<std::string> name = KnownName(change.name, table);
        if (!name) {
            return "expected a gauge of QR417_Instr's table (panelhost gauges lists them) or one the file already "
                   "places, found " + Quoted(change.name);
        }
        if (auto refused = Corner(window, change.x, change.y)) return refused;
        if (auto refused = Side("width", change.width)) return refused;
        // The smallest number the section does not use yet, so that the
        // simulator, which stops at the first missing number, finds it; new
        // lines follow the section's last gauge in its spelling and spacing.
        const auto [first, end] = SectionLines(window);
        std::set<int> used;
        std::optional<std::size_t> lastGauge, lastKey;
        for (std::size_t i = first; i < end; ++i) {
            const std::string_view key = KeyOf(ContentAt(i));
            if (key.empty()) continue;
            lastKey = i;
            if (const auto number = GaugeNumber(key)) {
                used.insert(*number);
                lastGauge = i;
            }
        }
        int number = 0;
        while (used.contains(number)) ++number;
        std::string prefix = "gauge", equals = "=", comma = ", ";
        if (lastGauge) {
            const std::string_view content = ContentAt(*lastGauge);
            const std::string_view key = KeyOf(content);
            prefix = std::string(key.substr(0, 5));
            equals = EqualsOf(content);
            std::size_t valueAt = 0;
            const std::vector<Field> fields = Fields(*lastGauge, &valueAt);
            if (fields.size() > fieldX) comma = "," + fields[fieldX].lead;
        }
        const std::string key = prefix + GaugeKey(number).substr(5);
        std::string line = key + equals + *name + comma + std::to_string(*change.x) + comma + std::to_string(*change.y);
        if (change.width) line += comma + std::to_string(*change.width);
        const std::size_t at = InsertionPoint(lastGauge ? *lastGauge + 1 : lastKey ? *lastKey + 1 : first);
        const std::string section = window.section;
        Splice(at, at, line + LineEnd(text_));
        PanelGauge wanted;
        wanted.key = key;
        wanted.module = name->substr(0, name->find('!'));
        wanted.gauge = name->substr(name->find('!') + 1);
        wanted.x = *change.x;
        wanted.y = *change.y;
        wanted.width = change.width;
        return Expect(wanted, section);
    }

    // The line goes; the gauges numbered after it move up one number (only
    // their keys change), since the simulator stops at the first missing one.
    std::optional<std::string> Remove(const PanelWindow& window, const PanelGauge& gauge) {
        std::map<std::size_t, std::optional<std::string>, std::greater<>> rewrites;  // line index: new key, or gone
        rewrites[std::size_t(gauge.line - 1)] = std::nullopt;
        const std::optional<int> removed = GaugeNumber(gauge.key);
        if (removed && gauge.key == GaugeKey(*removed)) {
            for (int next = *removed + 1;; ++next) {
                const PanelGauge* later = nullptr;
                for (const PanelGauge& g : window.gauges) {
                    if (g.key == GaugeKey(next)) later = &g;
                }
                if (!later) break;
                const std::string_view written = KeyOf(ContentAt(std::size_t(later->line - 1)));
                rewrites[std::size_t(later->line - 1)] = std::string(written.substr(0, 5)) + GaugeKey(next - 1).substr(5);
            }
        }
        std::string text = text_;
        for (const auto& [index, key] : rewrites) {
            const TextLine& line = lines_[index];
            if (!key) {
                text.erase(line.begin, line.next - line.begin);
                continue;
            }
            const std::string_view written = KeyOf(Content(text_, lines_[index]));
            text.replace(Offset(text_, written), written.size(), *key);
        }
        text_ = std::move(text);
        Read();
        return std::nullopt;
    }

    std::optional<std::string> WindowKey(const PanelWindow& window, const PanelEdit& change) {
        const auto known = std::find_if(editableWindowKeys.begin(), editableWindowKeys.end(),
                                        [&](std::string_view key) { return SameWord(key, change.key); });
        if (known == editableWindowKeys.end()) {
            return "expected the key size_mm, position, window_pos, window_size or visible, found " + Quoted(change.key);
        }
        if (change.value && (change.value->empty() || change.value->size() > maxValueLength ||
                             std::any_of(change.value->begin(), change.value->end(),
                                         [](char c) { return c < ' ' || c > '~'; }))) {
            return "expected the value of " + std::string(*known) + " on one line, in plain characters";
        }
        const auto [first, end] = SectionLines(window);
        std::vector<std::size_t> lines;
        std::optional<std::size_t> lastWindowKey;
        std::string equals = "=";
        for (std::size_t i = first; i < end; ++i) {
            const std::string_view key = KeyOf(ContentAt(i));
            if (key.empty() || GaugeNumber(key)) continue;
            lastWindowKey = i;
            equals = EqualsOf(ContentAt(i));
            if (SameWord(key, *known)) lines.push_back(i);
        }
        const std::string section = window.section;
        std::size_t edited = 0;
        if (!change.value) {
            // The reader takes the last of a key given twice: every one goes.
            for (auto i = lines.rbegin(); i != lines.rend(); ++i) {
                text_.erase(lines_[*i].begin, lines_[*i].next - lines_[*i].begin);
            }
            Read();
            return std::nullopt;
        }
        if (!lines.empty()) {
            edited = lines.back();
            const std::string_view content = ContentAt(edited);
            const std::string_view value = ValueBeforeComment(content.substr(content.find('=') + 1));
            const std::size_t at = Offset(text_, value);
            Splice(at, at + value.size(), *change.value);
        } else {
            edited = lastWindowKey ? *lastWindowKey + 1 : first;
            const std::size_t at = InsertionPoint(edited);
            Splice(at, at, std::string(*known) + equals + *change.value + LineEnd(text_));
        }
        for (const PanelFinding& finding : config_.findings) {
            if (finding.line == int(edited + 1) && finding.severity == Severity::Error) {
                return finding.message;
            }
        }
        return std::nullopt;
    }

    std::optional<std::string> AddWindow(const PanelEdit& change) {
        std::string section = change.window;
        if (section.empty()) {
            int number = 0;
            while (std::any_of(config_.windows.begin(), config_.windows.end(), [&](const PanelWindow& w) {
                return !w.virtualCockpit && w.number == number;
            })) {
                ++number;
            }
            section = "Window" + GaugeKey(number).substr(5);
        }
        if (section.size() < 8 || !SameWord(section.substr(0, 6), "window") ||
            !GaugeNumber("gauge" + section.substr(6)) || config_.Window(section)) {
            return "expected a new window's section name WindowNN, found " + Quoted(section);
        }
        const std::optional<std::string> title = Windows1252FromUtf8(change.text);
        if (!title || title->size() > maxValueLength ||
            std::any_of(title->begin(), title->end(), [](char c) { return static_cast<unsigned char>(c) < ' '; })) {
            return "expected the window's title on one line in characters of Windows-1252";
        }
        const std::string size = change.value.value_or(std::string(newWindowSize));
        if (size.size() > maxValueLength || std::any_of(size.begin(), size.end(), [](char c) { return c < ' ' || c > '~'; })) {
            return "expected size_mm on one line, in plain characters";
        }
        const std::string lineEnd = LineEnd(text_);
        const std::size_t at = InsertionPoint(lines_.size());
        Splice(at, at, (at ? lineEnd : "") + "[" + section + "]" + lineEnd + "size_mm=" + size + lineEnd +
                           "visible=1" + lineEnd);
        if (!title->empty()) {
            // Titled in [Window Titles] where the file has one.
            for (std::size_t i = 0; i < lines_.size(); ++i) {
                const std::string_view content = ContentAt(i);
                if (!Header(content) || !SameWord(TrimBlanks(content.substr(1, content.find(']') - 1)), "window titles")) {
                    continue;
                }
                std::size_t last = i;
                for (std::size_t k = i + 1; k < lines_.size() && !Header(ContentAt(k)); ++k) {
                    if (!KeyOf(ContentAt(k)).empty()) last = k;
                }
                const std::size_t where = InsertionPoint(last + 1);
                Splice(where, where, section + "=" + *title + lineEnd);
                break;
            }
        }
        const PanelWindow* added = config_.Window(section);
        if (!added || !added->sizeWidth) return "size_mm=" + Quoted(size) + " would not read back as a design space";
        return std::nullopt;
    }

    std::string text_;
    std::string name_;
    PanelConfig config_;
    std::vector<TextLine> lines_;
};

std::multiset<std::string> ErrorsOf(const PanelConfig& config) {
    std::multiset<std::string> errors;
    for (const PanelFinding& finding : config.findings) {
        if (finding.severity == Severity::Error) errors.insert(finding.message);
    }
    return errors;
}

// An error the change brought into the file, as the reader tells it.
std::optional<std::string> NewError(const PanelConfig& before, const PanelConfig& after) {
    std::multiset<std::string> had = ErrorsOf(before);
    for (const PanelFinding& finding : after.findings) {
        if (finding.severity != Severity::Error) continue;
        const auto known = had.find(finding.message);
        if (known != had.end()) {
            had.erase(known);
            continue;
        }
        return "it would make the file unreadable: line " + std::to_string(finding.line) + ": " + finding.message;
    }
    return std::nullopt;
}

}  // namespace

const std::span<const std::string_view> editableWindowKeys = editableKeyTable;

PanelDocument::PanelDocument(std::string text, std::string name) : name_(std::move(name)) { SetText(std::move(text)); }

void PanelDocument::SetText(std::string text) {
    text_ = std::move(text);
    config_ = ParsePanelConfig(text_, name_);
}

bool PanelDocument::Apply(std::span<const PanelEdit> changes, std::span<const TableGauge> table,
                          EditRefusal* refusal) {
    const auto refuse = [&](std::size_t change, std::string reason) {
        if (refusal) *refusal = EditRefusal{change, std::move(reason)};
        return false;
    };
    if (changes.size() > maxEditBatch) {
        return refuse(maxEditBatch, "expected at most " + std::to_string(maxEditBatch) + " changes at once");
    }
    Editor editor(text_, name_);
    for (std::size_t i = 0; i < changes.size(); ++i) {
        const PanelConfig before = editor.Config();
        if (auto refused = editor.Change(changes[i], table)) return refuse(i, std::move(*refused));
        if (auto broken = NewError(before, editor.Config())) return refuse(i, std::move(*broken));
    }
    if (editor.Text() == text_) return true;
    undo_.push_back(std::exchange(text_, editor.Take()));
    if (undo_.size() > maxEditHistory) undo_.erase(undo_.begin());
    redo_.clear();
    config_ = ParsePanelConfig(text_, name_);
    return true;
}

bool PanelDocument::Undo() {
    if (undo_.empty()) return false;
    redo_.push_back(text_);
    SetText(std::move(undo_.back()));
    undo_.pop_back();
    return true;
}

bool PanelDocument::Redo() {
    if (redo_.empty()) return false;
    undo_.push_back(text_);
    SetText(std::move(redo_.back()));
    redo_.pop_back();
    return true;
}

std::string PanelDocument::GaugeLine(const PanelGauge& gauge) const {
    const std::vector<TextLine> lines = LinesOf(text_);
    if (gauge.line < 1 || std::size_t(gauge.line) > lines.size()) return {};
    const TextLine& line = lines[std::size_t(gauge.line - 1)];
    return text_.substr(line.begin, line.end - line.begin);
}

// --- The file ------------------------------------------------------------------

namespace {

std::optional<std::string> ReadWhole(const std::string& path, std::string* error) {
    std::error_code problem;
    if (!std::filesystem::is_regular_file(path, problem)) {
        if (error) *error = "expected a panel configuration file at " + path;
        return std::nullopt;
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        if (error) *error = "cannot read " + path + ": " + std::strerror(errno);
        return std::nullopt;
    }
    std::string text;
    char buffer[65536];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0 && text.size() <= maxPanelFileBytes) {
        text.append(buffer, got);
    }
    const bool failed = std::ferror(file);
    std::fclose(file);
    if (failed || text.size() > maxPanelFileBytes) {
        if (error) {
            *error = failed ? "cannot read " + path
                            : path + " is larger than " + std::to_string(maxPanelFileBytes) + " bytes";
        }
        return std::nullopt;
    }
    return text;
}

// Writes the bytes to a temporary file beside `path` and renames it over
// `path`: the file is the old one or the new one, never half of either.
bool WriteBeside(const std::string& path, const std::string& bytes, std::string* error) {
    const std::filesystem::path target(path);
    const std::filesystem::path temporary = target.parent_path() / ("." + target.filename().string() + ".saving");
    std::FILE* file = std::fopen(temporary.string().c_str(), "wb");
    if (!file) {
        *error = "cannot write beside " + path + ": " + std::strerror(errno);
        return false;
    }
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() && std::fflush(file) == 0;
#if defined(_WIN32)
    written = written && _commit(_fileno(file)) == 0;
#else
    written = written && fsync(fileno(file)) == 0;
#endif
    const int code = errno;
    written = std::fclose(file) == 0 && written;
    std::error_code problem;
    if (written) {
        // The new file keeps the old one's permissions.
        const auto status = std::filesystem::status(target, problem);
        if (!problem) std::filesystem::permissions(temporary, status.permissions(), problem);
        problem.clear();
        std::filesystem::rename(temporary, target, problem);
    }
    if (!written || problem) {
        *error = "cannot write " + path + ": " + (problem ? problem.message() : std::string(std::strerror(code ? code : EIO)));
        std::filesystem::remove(temporary, problem);
        return false;
    }
    return true;
}

}  // namespace

bool PanelFile::Read(std::string* text, std::string* error) {
    const std::optional<std::string> bytes = ReadWhole(path_, error);
    if (!bytes) return false;
    onDisk_ = *bytes;
    *text = *bytes;
    return true;
}

PanelFile::Saved PanelFile::Save(const std::string& text, bool overwrite) {
    Saved saved;
    std::string problem;
    const std::optional<std::string> now = ReadWhole(path_, &problem);
    if (!overwrite && (!now || *now != onDisk_)) {
        saved.changedOnDisk = true;
        saved.error = path_ + (now ? " has changed on disk since it was read" : " is gone from disk since it was read") +
                      "; saving again overwrites it";
        return saved;
    }
    if (!backedUp_ && now) {
        if (!WriteBeside(path_ + ".bak", *now, &saved.error)) return saved;
        backedUp_ = true;
        saved.backup = path_ + ".bak";
    }
    if (!WriteBeside(path_, text, &saved.error)) return saved;
    onDisk_ = text;
    saved.written = true;
    return saved;
}

}  // namespace panelhost
