#include "host/script/scenario.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>
#include <utility>

#include "host/picture/bitmap_source.h"
#include "host/core/element_kinds.h"
#include "host/core/element_math.h"
#include "host/core/host_sound.h"
#include "host/core/messages.h"
#include "host/picture/panel_view.h"
#include "host/picture/renderer.h"

namespace panelhost {

namespace {

constexpr int maxCoordinate = 1000000;
// The longest frame a scenario played live may ask for, in seconds.
constexpr double maxLivePeriod = 60;

// A word of the line and where it ends, so that a command can take the rest
// of its line verbatim.
struct Word {
    std::string text;
    std::size_t end{};
};

std::vector<Word> SplitWords(const std::string& line) {
    std::vector<Word> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        if (i >= line.size()) break;
        std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
        words.push_back({line.substr(start, i - start), i});
    }
    return words;
}

// The text after a word: one separating blank skipped, the rest verbatim.
std::string RestAfter(const std::string& line, const Word& word) {
    return word.end + 1 <= line.size() ? line.substr(word.end + 1) : std::string{};
}

std::string Hex(std::uint64_t value) {
    std::ostringstream out;
    out << "0x" << std::uppercase << std::hex << value;
    return out.str();
}

std::string FormatEvent(const KeyEvent& event) {
    return Hex(event.event) + ":" + std::to_string(event.value);
}

// Lists longer than this are cut: the first and the last few events, and how
// many stand between them.
constexpr std::size_t eventsShownWhole = 12;
constexpr std::size_t eventsShownFirst = 8;
constexpr std::size_t eventsShownLast = 3;

std::string FormatEvents(const EventList& events) {
    if (events.empty()) return "none";
    std::string text;
    const auto add = [&text](const KeyEvent& event) {
        if (!text.empty()) text += ' ';
        text += FormatEvent(event);
    };
    if (events.size() <= eventsShownWhole) {
        for (const KeyEvent& event : events) add(event);
        return text;
    }
    for (std::size_t i = 0; i < eventsShownFirst; ++i) add(events[i]);
    text += " ... (" + std::to_string(events.size() - eventsShownFirst - eventsShownLast) + " more) ...";
    for (std::size_t i = events.size() - eventsShownLast; i < events.size(); ++i) add(events[i]);
    return std::to_string(events.size()) + " events: " + text;
}

// Where two event lists part, for a failed expectation of long lists.
std::string FirstDifference(const EventList& expected, const EventList& actual) {
    std::size_t i = 0;
    while (i < expected.size() && i < actual.size() && expected[i] == actual[i]) ++i;
    const auto at = [i](const EventList& events) {
        return i < events.size() ? FormatEvent(events[i]) : std::string("nothing more");
    };
    return "first difference at event " + std::to_string(i + 1) + ": expected " + at(expected) +
           ", actual " + at(actual);
}

// Error raised by a malformed line or a failed expectation.
struct LineError {
    std::string message;
};

// True when the conversion took every character of the word: a character
// zero inside it ends the C text early and must not hide what follows.
bool TookWholeWord(const std::string& word, const char* end) { return end == word.c_str() + word.size(); }

LineError Malformed(const char* what, const std::string& word) {
    return LineError{std::string("expected ") + what + ", got " + Quoted(word)};
}

// Whole-word integer: decimal, or hexadecimal after 0x; range-checked.
long long ParseInteger(const std::string& word, long long minimum, long long maximum,
                       const char* what) {
    const char* text = word.c_str();
    const char* digits = text;
    if (*digits == '+' || *digits == '-') ++digits;
    const bool hex = digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X');
    if (word.empty() || !(hex ? std::isxdigit(static_cast<unsigned char>(digits[2]))
                              : std::isdigit(static_cast<unsigned char>(digits[0])))) {
        throw Malformed(what, word);
    }
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(text, &end, hex ? 16 : 10);
    if (!TookWholeWord(word, end)) throw Malformed(what, word);
    if (errno == ERANGE || value < minimum || value > maximum) {
        throw LineError{std::string(what) + " out of range (" + std::to_string(minimum) + " to " +
                        std::to_string(maximum) + "): " + word};
    }
    return value;
}

// A float, decimal or hexadecimal; nan and inf included.
double ParseNumber(const std::string& word, const char* what) {
    char* end = nullptr;
    const double value = std::strtod(word.c_str(), &end);
    if (word.empty() || std::isspace(static_cast<unsigned char>(word[0])) || !TookWholeWord(word, end)) {
        throw Malformed(what, word);
    }
    return value;
}

bool NumbersMatch(double expected, double actual) {
    if (std::isnan(expected) || std::isnan(actual)) return std::isnan(expected) && std::isnan(actual);
    if (std::isinf(expected) || std::isinf(actual)) return expected == actual;
    return std::fabs(expected - actual) <= 1e-6 * std::max(1.0, std::fabs(expected));
}

bool AnglesMatch(double expected, double actual) {
    if (!std::isfinite(expected) || !std::isfinite(actual)) return NumbersMatch(expected, actual);
    return std::fabs(AngleDifference(actual, expected)) <= 1e-6 * std::max(1.0, std::fabs(expected));
}

class Runner;
bool PlayedLive(const Runner& runner);

// The arguments of one command: the words after its name ("click") or after
// its name and sub-command ("expect value"), with the parsers every command
// shares, so that a word is read and reported the same way everywhere.
class Arguments {
public:
    Arguments(Host& host, const std::string& line, const std::vector<Word>& words, std::size_t first)
        : host(host), line(line), words(words), first(first) {}

    std::size_t Count() const { return words.size() - first; }
    const std::string& operator[](std::size_t i) const { return words[first + i].text; }
    // The word that names the command or sub-command ("click", "value").
    const std::string& Verb() const { return words[first - 1].text; }
    // The line from argument i on, verbatim: everything after the word
    // before it and one separating blank.
    std::string RestOfLine(std::size_t i) const { return RestAfter(line, words[first + i - 1]); }
    // The arguments of a sub-command named by argument 0 ("expect value").
    Arguments SubCommand() const { return Arguments(host, line, words, first + 1); }

    long long Integer(std::size_t i, long long minimum, long long maximum, const char* what) const {
        return ParseInteger((*this)[i], minimum, maximum, what);
    }
    double Number(std::size_t i, const char* what) const { return ParseNumber((*this)[i], what); }
    bool OnOff(std::size_t i) const { return Choice(i, "on", "off"); }
    bool OpenClosed(std::size_t i) const { return Choice(i, "open", "closed"); }
    // left unless the optional argument i says right.
    Button ButtonAt(std::size_t i) const {
        if (i >= Count()) return Button::Left;
        return Choice(i, "left", "right") ? Button::Left : Button::Right;
    }
    SINT32 Token(std::size_t i) const {
        return static_cast<SINT32>(Integer(i, INT32_MIN, INT32_MAX, "token number"));
    }
    UINT32 Unsigned(std::size_t i, const char* what) const {
        return static_cast<UINT32>(Integer(i, 0, UINT32_MAX, what));
    }
    int Coordinate(std::size_t i) const {
        return static_cast<int>(Integer(i, -maxCoordinate, maxCoordinate, "pixel coordinate"));
    }
    // A placed gauge's alias.
    const std::string& Alias(std::size_t i) const {
        const std::string& alias = (*this)[i];
        if (!host.Has(alias)) throw LineError{"no gauge placed as " + Quoted(alias)};
        return alias;
    }
    // An element named by alias (argument i) and drawing-order number (i + 1).
    const ElementState& Element(std::size_t i) const {
        const std::string& alias = Alias(i);
        const long long count = host.ElementCount(alias);
        if (count == 0) throw LineError{alias + " has no elements"};
        return host.Element(alias, static_cast<int>(Integer(i + 1, 1, count, "element number")));
    }

private:
    Host& host;
    const std::string& line;
    const std::vector<Word>& words;
    std::size_t first;  // index of the first argument in words

    // True for the first word, false for the second, an error otherwise.
    bool Choice(std::size_t i, const char* yes, const char* no) const {
        if ((*this)[i] == yes) return true;
        if ((*this)[i] == no) return false;
        throw LineError{std::string("expected ") + yes + " or " + no + ", got " + Quoted((*this)[i])};
    }
};

// Whether a command runs when a scenario is played live: set-up the live
// host has done itself, and checks and pictures it has no use for, do not.
enum class Live { Runs, PassedOver };

// A command of the language: its name, how many arguments may follow it, the
// usage shown when the count is wrong, the routine that carries it out and
// whether it runs live.
struct Command {
    const char* name;
    std::size_t minArguments;
    std::size_t maxArguments;  // anyCount: the command takes the rest of the line
    const char* usage;
    void (*handler)(Runner&, const Arguments&);
    Live live{Live::Runs};
};
constexpr std::size_t anyCount = std::numeric_limits<std::size_t>::max();

// Finds the row named by the word before the arguments and runs it.
template <std::size_t N>
void Dispatch(const Command (&table)[N], const char* unknown, Runner& runner, const Arguments& arguments) {
    const std::string& name = arguments.Verb();
    const Command* command = std::find_if(std::begin(table), std::end(table),
                                          [&](const Command& c) { return name == c.name; });
    if (command == std::end(table)) throw LineError{std::string(unknown) + " " + Quoted(name)};
    if (command->live == Live::PassedOver && PlayedLive(runner)) return;
    if (arguments.Count() < command->minArguments || arguments.Count() > command->maxArguments) {
        throw LineError{std::string("expected \"") + command->usage + "\""};
    }
    command->handler(runner, arguments);
}

// A scenario played live: the host runs the frames in real time, and the
// scenario only sets their pace.
struct Pace {
    double period{};      // simulated seconds of one of the scenario's frames
    int frames{};         // frames the last `frame` line asked to wait for
    std::vector<std::string> echoes;
};

class Runner {
public:
    Runner(Host& host, std::ostream& out, const ScenarioOptions& options, Pace* pace = nullptr)
        : host(host), out(out), options(options), pace(pace) {}

    void Run(const std::string& line);

    Host& host;
    std::ostream& out;
    const ScenarioOptions& options;
    Pace* pace;  // null unless played live
    int expectations{};
    std::size_t shownEvents{};  // events the trace has printed
    std::map<std::string, std::string> shown;  // what the trace printed last, per element
    std::string folder;  // the scenario file's folder: relative panel files are found there
    std::vector<std::unique_ptr<PlacedPanel>> panels;  // placed by `panel` lines

    void TraceChanges();
};

bool PlayedLive(const Runner& runner) { return runner.pace != nullptr; }

[[noreturn]] void ExpectationFailed(const std::string& what, const std::string& expected,
                                    const std::string& actual) {
    throw LineError{"expectation failed: " + what + ": expected " + expected + ", actual " + actual};
}
void ExpectNumber(const std::string& what, double expected, double actual) {
    if (!NumbersMatch(expected, actual)) ExpectationFailed(what, FormatNumber(expected), FormatNumber(actual));
}
void ExpectAngle(const std::string& what, double expected, double actual) {
    if (!AnglesMatch(expected, actual)) ExpectationFailed(what, FormatNumber(expected), FormatNumber(actual));
}
// "value of ALIAS element N" for element expectations (alias at argument 0).
std::string Subject(const Arguments& a) { return a.Verb() + " of " + a[0] + " element " + a[1]; }

// --- Gauges and frames ---------------------------------------------------

void Place(Runner& r, const Arguments& a) {
    std::string alias;
    std::optional<std::string> params;
    std::size_t i = 1;
    if (i < a.Count() && a[i] == "as") {
        if (i + 1 >= a.Count()) throw LineError{"expected an alias after \"as\""};
        alias = a[i + 1];
        i += 2;
    }
    if (i < a.Count()) {
        if (a[i] != "params") throw LineError{"expected \"as ALIAS\" or \"params TEXT\", got " + Quoted(a[i])};
        params = a.RestOfLine(i + 1);
    }
    std::string error;
    if (!r.host.Place(a[0], alias, params, &error)) throw LineError{error};
}

void Connect(Runner& r, const Arguments&) { r.host.Connect(); }

void Frame(Runner& r, const Arguments& a) {
    const int count = a.Count() ? static_cast<int>(a.Integer(0, 0, maxFramesPerCall, "frame count")) : 1;
    if (r.pace) {
        r.pace->frames = count;
    } else {
        r.host.Frame(count);
    }
}

void Kill(Runner& r, const Arguments& a) { r.host.Kill(a.Alias(0)); }
void Reinstall(Runner& r, const Arguments& a) { r.host.Reinstall(a.Alias(0)); }

void Reload(Runner& r, const Arguments&) {
    std::string error;
    if (!r.host.Reload(&error)) throw LineError{"reload failed: " + error};
}

void Service(Runner& r, const Arguments& a) {
    r.host.SendService(a.Unsigned(0, "service number"), a.Count() > 1 ? a.Unsigned(1, "extra data") : 0u);
}

// --- Simulator ------------------------------------------------------------

void Set(Runner& r, const Arguments& a) { r.host.SetNumber(a.Token(0), a.Number(1, "a number")); }

// A 32-bit integer: decimal within the signed range, or hexadecimal filling
// all 32 bits (codes, frequencies).
std::int32_t Integer32(const Arguments& a, std::size_t i) {
    const long long value = a.Integer(i, INT32_MIN, UINT32_MAX, "32-bit integer");
    if (value > INT32_MAX && a[i].find_first_of("xX") == std::string::npos) {
        throw LineError{"32-bit integer out of range: " + a[i]};
    }
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

void SetI(Runner& r, const Arguments& a) { r.host.SetInteger(a.Token(0), Integer32(a, 1)); }

SINT32 FailureKey(const Arguments& a) {
    return static_cast<SINT32>(a.Integer(0, INT32_MIN, INT32_MAX, "failure key"));
}
void FailKey(Runner& r, const Arguments& a) { r.host.Fail(FailureKey(a)); }
void RepairKey(Runner& r, const Arguments& a) { r.host.Repair(FailureKey(a)); }

void Window(Runner& r, const Arguments& a) {
    const UINT32 window = a.Unsigned(0, "window number");
    r.host.SetWindow(window, a.OpenClosed(1));
}

void AtcId(Runner& r, const Arguments& a) { r.host.SetAtcId(a.RestOfLine(0)); }

void Period(Runner& r, const Arguments& a) {
    const double seconds = a.Number(0, "a period in seconds");
    if (!(seconds > 0) || !std::isfinite(seconds)) throw LineError{"the period must be positive"};
    if (r.pace) {
        r.pace->period = std::min(seconds, maxLivePeriod);
    } else {
        r.host.SetFramePeriod(seconds);
    }
}

void Reactions(Runner& r, const Arguments& a) { r.host.SetReactions(a.OnOff(0)); }
void Sound(Runner&, const Arguments& a) { HostSoundSetDevice(a.OnOff(0)); }

// A file the run writes: a relative name goes into the output folder, which
// is made when missing.
std::filesystem::path OutputPath(const Runner& r, const std::string& file) {
    std::filesystem::path path(file);
    if (path.is_relative() && !r.options.outputDirectory.empty()) {
        path = std::filesystem::path(r.options.outputDirectory) / path;
    }
    std::error_code ignored;
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), ignored);
    return path;
}

void Record(Runner& r, const Arguments& a) {
    std::string error;
    const bool ok = a[0] == "stop" ? HostSoundRecordStop(&error)
                                   : HostSoundRecordStart(OutputPath(r, a[0]).string(), &error);
    if (!ok) throw LineError{error};
}

// --- Mouse ----------------------------------------------------------------

void Click(Runner& r, const Arguments& a) {
    r.host.Click(a.Alias(0), a.Coordinate(1), a.Coordinate(2), a.ButtonAt(3));
}

void Hold(Runner& r, const Arguments& a) {
    const std::string& alias = a.Alias(0);
    const int x = a.Coordinate(1), y = a.Coordinate(2);
    const auto repeats = static_cast<int>(a.Integer(3, 0, maxRepeatsPerHold, "repeat count"));
    r.host.Hold(alias, x, y, repeats, a.ButtonAt(4));
}

// A switch set rather than flipped: clicked only while its element does
// not show the image asked for (as the last frame drew it), so that a
// scenario played twice finds it where it left it.
void Switch(Runner& r, const Arguments& a) {
    const ElementState& element = a.Element(0);
    const auto image = static_cast<int>(a.Integer(2, -1, INT32_MAX, "image number"));
    if (element.image != image) r.host.Click(a[0], a.Coordinate(3), a.Coordinate(4), Button::Left);
}

void Release(Runner& r, const Arguments& a) { r.host.Release(a.Alias(0), a.Coordinate(1), a.Coordinate(2)); }
void Drag(Runner& r, const Arguments& a) { r.host.Drag(a.Alias(0), a.Coordinate(1), a.Coordinate(2)); }

// --- Output ---------------------------------------------------------------

// The window of a placed panel that `name` names ("Window00"), or null.
std::pair<PlacedPanel*, const PanelWindow*> PanelWindowNamed(const Runner& r, const std::string& name) {
    for (const auto& panel : r.panels) {
        if (const PanelWindow* window = panel->config.Window(name)) return {panel.get(), window};
    }
    return {nullptr, nullptr};
}

// Draws a placed gauge, or a whole window of a placed panel, and writes its
// picture, by day or by night.
void Render(Runner& r, const Arguments& a) {
    Lighting lighting = Lighting::Day;
    if (a.Count() == 3) {
        const auto chosen = LightingByName(a[2]);
        if (!chosen) throw LineError{"expected day or night, got " + Quoted(a[2])};
        lighting = *chosen;
    }
    ModuleBitmaps moduleBitmaps(r.host);
    BitmapSource& bitmaps = r.options.bitmaps ? *r.options.bitmaps : moduleBitmaps;
    std::string error;
    if (!r.host.Has(a[0])) {
        const auto [panel, window] = PanelWindowNamed(r, a[0]);
        if (!window) a.Alias(0);  // no gauge and no window of that name: says so
        const std::filesystem::path path = OutputPath(r, a[1]);
        const std::size_t known = panel->errors.size();
        std::string summary;
        if (!WritePanelWindow(r.host, *panel, *window, bitmaps, lighting, path.string(), &error, &summary)) {
            throw LineError{"render: " + error};
        }
        for (std::size_t i = known; i < panel->errors.size(); ++i) r.out << "    render: " << panel->errors[i] << '\n';
        panel->errors.resize(known);
        if (r.options.verbose) r.out << "    wrote " << path.string() << " (" << summary << ")\n";
        return;
    }
    const std::string& alias = a.Alias(0);
    const std::filesystem::path path = OutputPath(r, a[1]);
    Picture picture;
    std::vector<std::string> skipped;
    if (!RenderInstance(r.host, alias, bitmaps, picture, &error, &skipped, lighting)) {
        throw LineError{"render: " + error};
    }
    if (!WritePicture(picture, path.string(), &error)) throw LineError{"render: " + error};
    for (const std::string& note : skipped) r.out << "    render " << alias << ": " << note << '\n';
    if (r.options.verbose) {
        r.out << "    wrote " << path.string() << " (" << picture.width << 'x' << picture.height << ")\n";
    }
}

// Places every gauge of a panel configuration, aliased WINDOW.GAUGE; a
// relative file is found beside the scenario. Any problem in the file fails
// the line, every one of them named.
void Panel(Runner& r, const Arguments& a) {
    std::filesystem::path path(a[0]);
    if (path.is_relative() && !r.folder.empty()) path = std::filesystem::path(r.folder) / path;
    auto placed = std::make_unique<PlacedPanel>(PlacePanelFile(r.host, path.string()));
    if (!placed->errors.empty()) {
        std::string all = "panel: " + std::to_string(placed->errors.size()) + " problem" +
                          (placed->errors.size() == 1 ? "" : "s") + " in " + path.string();
        for (const std::string& problem : placed->errors) all += "\n    " + problem;
        throw LineError{all};
    }
    std::size_t placedCount = 0;
    for (const PlacedGauge& gauge : placed->gauges) placedCount += gauge.alias.empty() ? 0 : 1;
    if (r.options.verbose) {
        r.out << "    placed " << placedCount << " gauges in " << placed->config.windows.size() << " windows\n";
    }
    r.panels.push_back(std::move(placed));
}

void Show(Runner& r, const Arguments& a) {
    const std::string& alias = a.Alias(0);
    const GAUGEHDR* header = r.host.Header(alias);
    r.out << alias << " (" << (header->gauge_name ? header->gauge_name : "?") << ")\n";
    for (int n = 1; n <= r.host.ElementCount(alias); ++n) {
        r.out << "  " << std::setw(2) << n << ' ' << DescribeElement(r.host.Element(alias, n)) << '\n';
    }
}

void Echo(Runner& r, const Arguments& a) {
    if (r.pace) {
        r.pace->echoes.push_back(a.RestOfLine(0));
    } else {
        r.out << a.RestOfLine(0) << '\n';
    }
}

// --- Expectations ---------------------------------------------------------

void ExpectEvents(Runner& r, const Arguments& a) {
    EventList expected;
    if (!(a.Count() == 1 && a[0] == "none")) {
        for (std::size_t i = 0; i < a.Count(); ++i) {
            const std::string& pair = a[i];
            const std::size_t colon = pair.find(':');
            if (colon == std::string::npos) throw LineError{"expected EVENT:VALUE, got " + Quoted(pair)};
            const auto event = static_cast<UINT32>(ParseInteger(pair.substr(0, colon), 0, UINT32_MAX, "key event"));
            const auto value = static_cast<UINT32>(static_cast<std::uint64_t>(
                ParseInteger(pair.substr(colon + 1), INT32_MIN, UINT32_MAX, "event value")));
            expected.push_back({event, value});
        }
    }
    const std::size_t dropped = r.host.DroppedEvents();
    const EventList actual = r.host.TakeEvents();
    r.shownEvents = 0;
    if (actual == expected && dropped == 0) return;
    std::string found = FormatEvents(actual);
    if (dropped > 0) {
        found += "; " + std::to_string(dropped) + " later events not kept (the log keeps the first " +
                 std::to_string(maxLoggedEvents) + ")";
    }
    if (actual != expected && (actual.size() > eventsShownWhole || expected.size() > eventsShownWhole)) {
        found += "; " + FirstDifference(expected, actual);
    }
    ExpectationFailed("events", FormatEvents(expected), found);
}

void ExpectWindow(Runner& r, const Arguments& a) {
    const UINT32 window = a.Unsigned(0, "window number");
    const bool expected = a.OpenClosed(1);
    const bool open = r.host.WindowOpen(window);
    if (open != expected) ExpectationFailed("window " + a[0], a[1], open ? "open" : "closed");
}

void ExpectToken(Runner& r, const Arguments& a) {
    ExpectNumber("token " + a[0], a.Number(1, "a number"), r.host.Number(a.Token(0)));
}

void ExpectTokenI(Runner& r, const Arguments& a) {
    const SINT32 token = a.Token(0);
    const std::int32_t expected = Integer32(a, 1);
    if (r.host.Integer(token) != expected) {
        ExpectationFailed("token " + a[0], std::to_string(expected), std::to_string(r.host.Integer(token)));
    }
}

void ExpectClock(Runner& r, const Arguments& a) { ExpectNumber("clock", a.Number(0, "seconds"), r.host.Clock()); }

void ExpectUserData(Runner& r, const Arguments& a) {
    const GAUGEHDR* header = r.host.Header(a.Alias(0));
    const UINT32 expected = a.Unsigned(1, "user data");
    if (header->user_data != expected) {
        ExpectationFailed("user data of " + a[0], std::to_string(expected), std::to_string(header->user_data));
    }
}

void ExpectValue(Runner&, const Arguments& a) {
    ExpectNumber(Subject(a), a.Number(2, "a number"), a.Element(0).value);
}

void ExpectImage(Runner&, const Arguments& a) {
    const ElementState& element = a.Element(0);
    const long long expected = a.Integer(2, -1, INT32_MAX, "image number");
    if (element.image != expected) {
        ExpectationFailed(Subject(a), std::to_string(expected), std::to_string(element.image));
    }
}

void ExpectAngleOf(Runner&, const Arguments& a) {
    ExpectAngle(Subject(a), a.Number(2, "degrees"), a.Element(0).angle);
}

void ExpectRotation(Runner&, const Arguments& a) {
    ExpectAngle(Subject(a), a.Number(2, "degrees"), a.Element(0).rotation);
}

void ExpectShift(Runner&, const Arguments& a) {
    const ElementState& element = a.Element(0);
    const double x = a.Number(2, "x shift");
    const double y = a.Number(3, "y shift");
    if (!NumbersMatch(x, element.shiftX) || !NumbersMatch(y, element.shiftY)) {
        ExpectationFailed(Subject(a), FormatNumber(x) + " " + FormatNumber(y),
                          FormatNumber(element.shiftX) + " " + FormatNumber(element.shiftY));
    }
}

// The text in double quotes that ends the line from argument i on; inside
// the quotes a backslash takes the next character as it stands (quote or
// backslash).
std::string QuotedText(const Arguments& a, std::size_t i, const char* usage) {
    std::string rest = a.RestOfLine(i);
    while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t')) rest.pop_back();
    while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) rest.erase(0, 1);
    if (rest.size() < 2 || rest.front() != '"' || rest.back() != '"') {
        throw LineError{std::string("expected \"") + usage + "\" with the text in double quotes"};
    }
    std::string text;
    for (std::size_t k = 1; k + 1 < rest.size(); ++k) {
        if (rest[k] == '\\' && k + 2 < rest.size()) ++k;
        text += rest[k];
    }
    return text;
}

void ExpectText(Runner&, const Arguments& a) {
    const ElementState& element = a.Element(0);
    const std::string expected = QuotedText(a, 2, "expect text ALIAS ELEMENT \\\"TEXT\\\"");
    if (element.text != expected) ExpectationFailed(Subject(a), Quoted(expected), Quoted(element.text));
}

// The instance's copy of a string element.
const ELEMENT_STRING& StringElement(const Arguments& a) {
    const ElementState& element = a.Element(0);
    if (element.kind != ELEMENT_TYPE_STRING) throw LineError{a[0] + " element " + a[1] + " is not a string"};
    return *reinterpret_cast<const ELEMENT_STRING*>(element.record);
}

// A string element's font name, as stored (up to its first character zero).
void ExpectFont(Runner&, const Arguments& a) {
    const ELEMENT_STRING& string = StringElement(a);
    const std::string expected = QuotedText(a, 2, "expect font ALIAS ELEMENT \\\"NAME\\\"");
    const char* end = std::find(std::begin(string.font_name), std::end(string.font_name), '\0');
    const std::string font(string.font_name, end);
    if (font != expected) ExpectationFailed("font of " + a[0] + " element " + a[1], Quoted(expected), Quoted(font));
}

// A string element's text colour, 0x00BBGGRR.
void ExpectColour(Runner&, const Arguments& a) {
    const ELEMENT_STRING& string = StringElement(a);
    const UINT32 expected = a.Unsigned(2, "colour");
    if (string.fg_color != expected) {
        ExpectationFailed("colour of " + a[0] + " element " + a[1], Hex(expected), Hex(string.fg_color));
    }
}

// The bitmap id in the instance's copy of the element.
void ExpectBitmap(Runner&, const Arguments& a) {
    const ElementState& element = a.Element(0);
    const auto expected = a.Integer(2, INT32_MIN, INT32_MAX, "bitmap id");
    if (element.record->resource_id != expected) {
        ExpectationFailed("bitmap of " + a[0] + " element " + a[1], std::to_string(expected),
                          std::to_string(element.record->resource_id));
    }
}

// The help id of the instance's first mouse rectangle.
void ExpectHelp(Runner& r, const Arguments& a) {
    const GAUGEHDR* header = r.host.Header(a.Alias(0));
    if (!header->mouse_rect) throw LineError{a[0] + " has no mouse rectangles"};
    const UINT32 expected = a.Unsigned(1, "help id");
    if (header->mouse_rect[0].help_id != expected) {
        ExpectationFailed("help id of " + a[0], Hex(expected), Hex(header->mouse_rect[0].help_id));
    }
}

// The waves the module started since the previous `expect sounds`. Only
// where the host runs the audio system; under Windows it checks nothing.
void ExpectSounds(Runner&, const Arguments& a) {
    std::vector<std::uint32_t> expected;
    if (!(a.Count() == 1 && a[0] == "none")) {
        for (std::size_t i = 0; i < a.Count(); ++i) {
            expected.push_back(static_cast<std::uint32_t>(a.Integer(i, 1, UINT16_MAX, "wave resource id")));
        }
    }
    const std::vector<std::uint32_t> actual = HostSoundTakePlays();
    if (!HostSoundControlled() || actual == expected) return;
    const auto format = [](const std::vector<std::uint32_t>& waves) {
        if (waves.empty()) return std::string("none");
        std::string text;
        for (std::uint32_t wave : waves) {
            if (!text.empty()) text += ' ';
            text += std::to_string(wave);
        }
        return text;
    };
    ExpectationFailed("sounds", format(expected), format(actual));
}

void ExpectDrawn(const Arguments& a, bool hidden) {
    const ElementState& element = a.Element(0);
    if (element.hidden != hidden) {
        ExpectationFailed(Subject(a), hidden ? "hidden" : "shown", element.hidden ? "hidden" : "shown");
    }
}
void ExpectHidden(Runner&, const Arguments& a) { ExpectDrawn(a, true); }
void ExpectShown(Runner&, const Arguments& a) { ExpectDrawn(a, false); }

// Lighting as the element's routines leave it: the luminous bit of the
// instance's image flags.
void ExpectLit(Runner&, const Arguments& a) {
    const ElementState& element = a.Element(0);
    const bool expected = a.OnOff(2);
    const bool lit = element.record && (element.record->image_flags & IMAGE_USE_LUMINOUS) != 0;
    if (lit != expected) ExpectationFailed(Subject(a), expected ? "on" : "off", lit ? "on" : "off");
}

// What `expect WHAT ...` can check; arguments are counted after WHAT. Each
// row counts as one expectation held when its handler returns.
constexpr Command expectations[] = {
    {"events", 1, anyCount, "expect events E:V ... | expect events none", ExpectEvents},
    {"window", 2, 2, "expect window N open|closed", ExpectWindow},
    {"token", 2, 2, "expect token TOKEN NUMBER", ExpectToken},
    {"tokeni", 2, 2, "expect tokeni TOKEN N", ExpectTokenI},
    {"clock", 1, 1, "expect clock SECONDS", ExpectClock},
    {"userdata", 2, 2, "expect userdata ALIAS N", ExpectUserData},
    {"value", 3, 3, "expect value ALIAS ELEMENT NUMBER", ExpectValue},
    {"image", 3, 3, "expect image ALIAS ELEMENT N", ExpectImage},
    {"angle", 3, 3, "expect angle ALIAS ELEMENT DEGREES", ExpectAngleOf},
    {"rotation", 3, 3, "expect rotation ALIAS ELEMENT DEGREES", ExpectRotation},
    {"shift", 4, 4, "expect shift ALIAS ELEMENT X Y", ExpectShift},
    {"text", 3, anyCount, "expect text ALIAS ELEMENT \\\"TEXT\\\"", ExpectText},
    {"hidden", 2, 2, "expect hidden ALIAS ELEMENT", ExpectHidden},
    {"shown", 2, 2, "expect shown ALIAS ELEMENT", ExpectShown},
    {"sounds", 1, anyCount, "expect sounds WAVE ... | expect sounds none", ExpectSounds},
    {"bitmap", 3, 3, "expect bitmap ALIAS ELEMENT ID", ExpectBitmap},
    {"help", 2, 2, "expect help ALIAS ID", ExpectHelp},
    {"font", 3, anyCount, "expect font ALIAS ELEMENT \\\"NAME\\\"", ExpectFont},
    {"colour", 3, 3, "expect colour ALIAS ELEMENT VALUE", ExpectColour},
    {"lit", 3, 3, "expect lit ALIAS ELEMENT on|off", ExpectLit},
};

void Expect(Runner& r, const Arguments&);

// Every command of the language; arguments are counted after the name. A
// new command is a row here and a handler above that reads its arguments
// with the shared parsers of Arguments and throws LineError on bad input;
// the runner checks the argument count and reports the row's usage.
constexpr Command commands[] = {
    {"place", 1, anyCount, "place GAUGE [as ALIAS] [params TEXT]", Place},
    {"connect", 0, 0, "connect", Connect, Live::PassedOver},
    {"frame", 0, 1, "frame [N]", Frame},
    {"kill", 1, 1, "kill ALIAS", Kill},
    {"reinstall", 1, 1, "reinstall ALIAS", Reinstall},
    {"reload", 0, 0, "reload", Reload},
    {"service", 1, 2, "service NUMBER [EXTRA]", Service},
    {"set", 2, 2, "set TOKEN VALUE", Set},
    {"seti", 2, 2, "seti TOKEN VALUE", SetI},
    {"fail", 1, 1, "fail KEY", FailKey},
    {"repair", 1, 1, "repair KEY", RepairKey},
    {"window", 2, 2, "window N open|closed", Window},
    {"atcid", 0, anyCount, "atcid TEXT", AtcId},
    {"period", 1, 1, "period SECONDS", Period},
    {"reactions", 1, 1, "reactions on|off", Reactions},
    {"sound", 1, 1, "sound on|off", Sound},
    {"record", 1, 1, "record FILE|stop", Record, Live::PassedOver},
    {"click", 3, 4, "click ALIAS X Y [left|right]", Click},
    {"hold", 4, 5, "hold ALIAS X Y N [left|right]", Hold},
    {"switch", 5, 5, "switch ALIAS ELEMENT IMAGE X Y", Switch},
    {"release", 3, 3, "release ALIAS X Y", Release},
    {"drag", 3, 3, "drag ALIAS X Y", Drag},
    {"render", 2, 3, "render ALIAS|WINDOW FILE [day|night]", Render, Live::PassedOver},
    {"panel", 1, 1, "panel PANEL.CFG", Panel, Live::PassedOver},
    {"show", 1, 1, "show ALIAS", Show, Live::PassedOver},
    {"echo", 0, anyCount, "echo TEXT", Echo},
    {"expect", 1, anyCount, "expect WHAT ...", Expect, Live::PassedOver},
};

void Expect(Runner& r, const Arguments& a) {
    ++r.expectations;
    Dispatch(expectations, "unknown expectation", r, a.SubCommand());
}

void Runner::Run(const std::string& line) {
    const std::vector<Word> words = SplitWords(line);
    Dispatch(commands, "unknown command", *this, Arguments(host, line, words, 1));

    if (options.verbose && host.Events().size() > shownEvents) {
        EventList fresh(host.Events().begin() + static_cast<std::ptrdiff_t>(shownEvents),
                        host.Events().end());
        out << "    events: " << FormatEvents(fresh) << '\n';
    }
    shownEvents = host.Events().size();
    if (options.verbose && words[0].text == "frame") TraceChanges();
}

void Runner::TraceChanges() {
    std::map<std::string, std::string> now;
    for (const std::string& alias : host.Aliases()) {
        for (int n = 1; n <= host.ElementCount(alias); ++n) {
            const ElementState& element = host.Element(alias, n);
            if (element.kind == ELEMENT_TYPE_STATIC_IMAGE && !element.hidden) continue;
            std::string key = alias + " " + std::to_string(n);
            std::string description = DescribeElement(element);
            auto previous = shown.find(key);
            if (previous == shown.end() || previous->second != description) {
                out << "    " << key << ' ' << description << '\n';
            }
            now.emplace(std::move(key), std::move(description));
        }
    }
    shown.swap(now);
}

}  // namespace

std::vector<ScenarioCommand> ScenarioCommands() {
    std::vector<ScenarioCommand> list;
    for (const Command& command : commands) {
        list.push_back({command.name, command.minArguments, command.maxArguments, command.usage});
    }
    for (const Command& command : expectations) {
        list.push_back({std::string("expect ") + command.name, command.minArguments, command.maxArguments,
                        command.usage});
    }
    return list;
}

namespace {

// Each file starts on a machine with a working sound device, and `expect
// sounds` counts from its start.
void StartFile(Runner& runner, const std::string& name) {
    HostSoundSetDevice(true);
    HostSoundTakePlays();
    runner.folder = std::filesystem::path(name).parent_path().string();
}

// Runs one line of a file (its line break taken off); blank lines and
// comments run nothing. Nothing when the line ran, else why not.
std::optional<std::string> RunLine(Runner& runner, std::string& line, const std::string& shownName, int number) {
    if (line.size() > maxScenarioLineBytes) {
        return "line of " + std::to_string(line.size()) + " bytes, longer than " +
               std::to_string(maxScenarioLineBytes);
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == '#') return std::nullopt;
    if (runner.options.verbose) {
        runner.out << shownName << ':' << number << "> " << Printable(line.substr(first)) << '\n';
    }
    try {
        runner.Run(line);
    } catch (const LineError& error) {
        return Printable(error.message);
    } catch (const std::exception& error) {
        return Printable(error.what());
    }
    return std::nullopt;
}

}  // namespace

bool RunScenarioText(Host& host, const std::string& name, const std::string& text,
                     std::ostream& out, std::ostream& err, const ScenarioOptions& options) {
    Runner runner(host, out, options);
    StartFile(runner, name);
    const std::string shownName = Printable(name);
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        const std::optional<std::string> problem = RunLine(runner, line, shownName, ++number);
        if (problem) {
            err << shownName << ':' << number << ": " << *problem << '\n';
            return false;
        }
    }
    out << shownName << ": ok, " << runner.expectations << " expectation"
        << (runner.expectations == 1 ? "" : "s") << " held\n";
    return true;
}

struct ScenarioPlayer::State {
    State(Host& host, const std::string& name, const std::string& text, double period)
        : host(host), name(Printable(name)), lines(text), waitUntil(host.Clock()) {
        pace.period = period;
    }

    Host& host;
    std::string name;
    std::istringstream lines;
    int number{};
    bool finished{};
    double waitUntil{};
    std::ostringstream sink;  // what lines print when played live: nothing kept
    std::vector<std::string> findings;
    ScenarioOptions options;
    Pace pace{};
    Runner runner{host, sink, options, &pace};
};

ScenarioPlayer::ScenarioPlayer(Host& host, const std::string& name, const std::string& text, double period)
    : state_(std::make_unique<State>(host, name, text, period)) {
    StartFile(state_->runner, name);
}

ScenarioPlayer::~ScenarioPlayer() = default;

void ScenarioPlayer::Play(int maxLines) {
    State& s = *state_;
    std::string line;
    for (int run = 0; run < maxLines && !s.finished && s.host.Clock() + 1e-9 >= s.waitUntil; ++run) {
        if (!std::getline(s.lines, line)) {
            s.finished = true;
            break;
        }
        s.pace.frames = 0;
        // A line that fails is told and passed over: the panel flies on.
        if (const std::optional<std::string> problem = RunLine(s.runner, line, s.name, ++s.number)) {
            s.findings.push_back(s.name + ':' + std::to_string(s.number) + ": " + *problem);
        }
        if (s.pace.frames > 0) s.waitUntil = s.host.Clock() + s.pace.frames * s.pace.period;
    }
    s.sink.str({});
}

bool ScenarioPlayer::Finished() const { return state_->finished; }

std::vector<std::string> ScenarioPlayer::TakeEchoes() { return std::exchange(state_->pace.echoes, {}); }

std::vector<std::string> ScenarioPlayer::TakeFindings() { return std::exchange(state_->findings, {}); }

bool ReadScenarioFile(const std::string& path, std::string& text, std::string& error) {
    std::error_code code;
    const std::filesystem::file_status status = std::filesystem::status(path, code);
    if (code) {
        error = "cannot open the scenario file: " + code.message();
        return false;
    }
    if (status.type() == std::filesystem::file_type::directory) {
        error = "is a folder, not a scenario file";
        return false;
    }
    if (status.type() != std::filesystem::file_type::regular) {
        error = "is not a regular file (a device, pipe or socket), not a scenario file";
        return false;
    }
    errno = 0;
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!file) {
        error = std::string("cannot open the scenario file: ") + std::strerror(errno);
        return false;
    }
    char buffer[16384];
    text.clear();
    for (;;) {
        const std::size_t count = std::fread(buffer, 1, sizeof buffer, file.get());
        if (text.size() + count > maxScenarioBytes) {
            error = "larger than " + std::to_string(maxScenarioBytes) + " bytes, not a scenario file";
            return false;
        }
        text.append(buffer, count);
        if (count < sizeof buffer) break;
    }
    if (std::ferror(file.get())) {
        error = std::string("cannot read the scenario file: ") + std::strerror(errno);
        return false;
    }
    return true;
}

bool RunScenarioFile(Host& host, const std::string& path, std::ostream& out, std::ostream& err,
                     const ScenarioOptions& options) {
    std::string text, error;
    if (!ReadScenarioFile(path, text, error)) {
        err << Printable(path) << ": " << error << '\n';
        return false;
    }
    return RunScenarioText(host, path, text, out, err, options);
}

}  // namespace panelhost
