#include "host/scenario.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <limits>
#include <map>
#include <ostream>
#include <sstream>

#include "host/bitmap_source.h"
#include "host/element_math.h"
#include "host/host_sound.h"
#include "host/renderer.h"

namespace panelhost {

namespace {

constexpr int maxCoordinate = 1000000;

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

std::string FormatNumber(double value) {
    std::ostringstream out;
    out << std::setprecision(12) << value;
    return out.str();
}

// Error raised by a malformed line or a failed expectation.
struct LineError {
    std::string message;
};

// True when the conversion took every character of the word: a character
// zero inside it ends the C text early and must not hide what follows.
bool TookWholeWord(const std::string& word, const char* end) { return end == word.c_str() + word.size(); }

LineError Malformed(const char* what, const std::string& word) {
    return LineError{std::string("expected ") + what + ", got \"" + word + "\""};
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

const char* KindName(UINT32 kind) {
    switch (kind) {
    case ELEMENT_TYPE_STATIC_IMAGE: return "static";
    case ELEMENT_TYPE_NEEDLE: return "needle";
    case ELEMENT_TYPE_STRING: return "string";
    case ELEMENT_TYPE_SLIDER: return "slider";
    case ELEMENT_TYPE_ICON: return "icon";
    case ELEMENT_TYPE_MOVING_IMAGE: return "moving";
    case ELEMENT_TYPE_SPRITE: return "sprite";
    default: return "unknown";
    }
}

// One line for an element: its kind and what it shows.
std::string Describe(const ElementState& e) {
    std::ostringstream out;
    out << KindName(e.kind);
    if (e.hidden) {
        out << " hidden";
        return out.str();
    }
    switch (e.kind) {
    case ELEMENT_TYPE_NEEDLE:
        out << " value " << FormatNumber(e.value) << " angle " << FormatNumber(e.angle);
        break;
    case ELEMENT_TYPE_STRING:
        out << " value " << FormatNumber(e.value) << " text \"" << e.text << '"';
        break;
    case ELEMENT_TYPE_ICON:
        out << " value " << FormatNumber(e.value) << " image " << e.image;
        break;
    case ELEMENT_TYPE_SLIDER:
    case ELEMENT_TYPE_MOVING_IMAGE:
        out << " value " << FormatNumber(e.value) << " shift " << FormatNumber(e.shiftX) << ' '
            << FormatNumber(e.shiftY);
        break;
    case ELEMENT_TYPE_SPRITE:
        out << " value " << FormatNumber(e.value) << " shift " << FormatNumber(e.shiftX) << ' '
            << FormatNumber(e.shiftY) << " rotation " << FormatNumber(e.rotation);
        break;
    default:
        break;
    }
    return out.str();
}

class Runner {
public:
    Runner(Host& host, std::ostream& out, const ScenarioOptions& options)
        : host(host), out(out), options(options) {}

    void Run(const std::string& line);

    int expectations{};

private:
    Host& host;
    std::ostream& out;
    const ScenarioOptions& options;
    std::size_t shownEvents{};

    std::vector<Word> words;
    std::string line;

    void Arity(std::size_t minimum, std::size_t maximum, const char* usage) const {
        if (words.size() < minimum || words.size() > maximum) {
            throw LineError{std::string("expected \"") + usage + "\""};
        }
    }

    const std::string& Alias(std::size_t index) const {
        const std::string& alias = words[index].text;
        if (!host.Has(alias)) throw LineError{"no gauge placed as " + alias};
        return alias;
    }

    int ElementNumber(const std::string& alias, std::size_t index) const {
        const long long count = host.ElementCount(alias);
        if (count == 0) throw LineError{alias + " has no elements"};
        return static_cast<int>(ParseInteger(words[index].text, 1, count, "element number"));
    }

    int Coordinate(std::size_t index) const {
        return static_cast<int>(ParseInteger(words[index].text, -maxCoordinate, maxCoordinate,
                                             "pixel coordinate"));
    }

    Button ButtonAt(std::size_t index) const {
        if (index >= words.size()) return Button::Left;
        if (words[index].text == "left") return Button::Left;
        if (words[index].text == "right") return Button::Right;
        throw LineError{"expected left or right, got \"" + words[index].text + "\""};
    }

    SINT32 TokenAt(std::size_t index) const {
        return static_cast<SINT32>(ParseInteger(words[index].text, INT32_MIN, INT32_MAX, "token number"));
    }

    std::map<std::string, std::string> shown;  // what the trace printed last, per element

    void Place();
    void Render(const std::string& alias, const std::string& file);
    void Expect();
    void Show(const std::string& alias);
    void TraceChanges();

    void Fail(const std::string& what, const std::string& expected, const std::string& actual) {
        throw LineError{"expectation failed: " + what + ": expected " + expected + ", actual " + actual};
    }
    void ExpectNumber(const std::string& what, double expected, double actual) {
        if (!NumbersMatch(expected, actual)) Fail(what, FormatNumber(expected), FormatNumber(actual));
    }
    void ExpectAngle(const std::string& what, double expected, double actual) {
        if (!AnglesMatch(expected, actual)) Fail(what, FormatNumber(expected), FormatNumber(actual));
    }
};

void Runner::Run(const std::string& text) {
    line = text;
    words = SplitWords(line);
    const std::string& command = words[0].text;

    if (command == "place") {
        Place();
    } else if (command == "connect") {
        Arity(1, 1, "connect");
        host.Connect();
    } else if (command == "frame") {
        Arity(1, 2, "frame [N]");
        host.Frame(words.size() == 2
                       ? static_cast<int>(ParseInteger(words[1].text, 0, maxFramesPerCall, "frame count"))
                       : 1);
    } else if (command == "kill") {
        Arity(2, 2, "kill ALIAS");
        host.Kill(Alias(1));
    } else if (command == "reinstall") {
        Arity(2, 2, "reinstall ALIAS");
        host.Reinstall(Alias(1));
    } else if (command == "reload") {
        Arity(1, 1, "reload");
        std::string error;
        if (!host.Reload(&error)) throw LineError{"reload failed: " + error};
    } else if (command == "service") {
        Arity(2, 3, "service NUMBER [EXTRA]");
        const auto service = static_cast<UINT32>(ParseInteger(words[1].text, 0, UINT32_MAX, "service number"));
        const auto extra = words.size() == 3
                               ? static_cast<UINT32>(ParseInteger(words[2].text, 0, UINT32_MAX, "extra data"))
                               : 0u;
        host.SendService(service, extra);
    } else if (command == "set") {
        Arity(3, 3, "set TOKEN VALUE");
        host.SetNumber(TokenAt(1), ParseNumber(words[2].text, "a number"));
    } else if (command == "seti") {
        Arity(3, 3, "seti TOKEN VALUE");
        // Hexadecimal values fill all 32 bits (codes, frequencies).
        const long long value = ParseInteger(words[2].text, INT32_MIN, UINT32_MAX, "32-bit integer");
        if (value > INT32_MAX && words[2].text.find_first_of("xX") == std::string::npos) {
            throw LineError{"32-bit integer out of range: " + words[2].text};
        }
        host.SetInteger(TokenAt(1), static_cast<std::int32_t>(static_cast<std::uint32_t>(value)));
    } else if (command == "click") {
        Arity(4, 5, "click ALIAS X Y [left|right]");
        host.Click(Alias(1), Coordinate(2), Coordinate(3), ButtonAt(4));
    } else if (command == "hold") {
        Arity(5, 6, "hold ALIAS X Y N [left|right]");
        const auto repeats =
            static_cast<int>(ParseInteger(words[4].text, 0, maxRepeatsPerHold, "repeat count"));
        host.Hold(Alias(1), Coordinate(2), Coordinate(3), repeats, ButtonAt(5));
    } else if (command == "release") {
        Arity(4, 4, "release ALIAS X Y");
        host.Release(Alias(1), Coordinate(2), Coordinate(3));
    } else if (command == "drag") {
        Arity(4, 4, "drag ALIAS X Y");
        host.Drag(Alias(1), Coordinate(2), Coordinate(3));
    } else if (command == "fail" || command == "repair") {
        Arity(2, 2, "fail KEY");
        const auto key = static_cast<SINT32>(ParseInteger(words[1].text, INT32_MIN, INT32_MAX, "failure key"));
        command == "fail" ? host.Fail(key) : host.Repair(key);
    } else if (command == "window") {
        Arity(3, 3, "window N open|closed");
        const auto window = static_cast<UINT32>(ParseInteger(words[1].text, 0, UINT32_MAX, "window number"));
        if (words[2].text != "open" && words[2].text != "closed") {
            throw LineError{"expected open or closed, got \"" + words[2].text + "\""};
        }
        host.SetWindow(window, words[2].text == "open");
    } else if (command == "atcid") {
        host.SetAtcId(RestAfter(line, words[0]));
    } else if (command == "period") {
        Arity(2, 2, "period SECONDS");
        const double seconds = ParseNumber(words[1].text, "a period in seconds");
        if (!(seconds > 0) || !std::isfinite(seconds)) throw LineError{"the period must be positive"};
        host.SetFramePeriod(seconds);
    } else if (command == "reactions") {
        Arity(2, 2, "reactions on|off");
        if (words[1].text != "on" && words[1].text != "off") {
            throw LineError{"expected on or off, got \"" + words[1].text + "\""};
        }
        host.SetReactions(words[1].text == "on");
    } else if (command == "sound") {
        Arity(2, 2, "sound on|off");
        if (words[1].text != "on" && words[1].text != "off") {
            throw LineError{"expected on or off, got \"" + words[1].text + "\""};
        }
        HostSoundSetDevice(words[1].text == "on");
    } else if (command == "record") {
        Arity(2, 2, "record FILE|stop");
        std::string error;
        const bool ok = words[1].text == "stop" ? HostSoundRecordStop(&error)
                                                : HostSoundRecordStart(words[1].text, &error);
        if (!ok) throw LineError{error};
    } else if (command == "render") {
        Arity(3, 3, "render ALIAS FILE");
        Render(Alias(1), words[2].text);
    } else if (command == "show") {
        Arity(2, 2, "show ALIAS");
        Show(Alias(1));
    } else if (command == "echo") {
        out << RestAfter(line, words[0]) << '\n';
    } else if (command == "expect") {
        Expect();
    } else {
        throw LineError{"unknown command \"" + command + "\""};
    }

    if (options.verbose && host.Events().size() > shownEvents) {
        EventList fresh(host.Events().begin() + static_cast<std::ptrdiff_t>(shownEvents),
                        host.Events().end());
        out << "    events: " << FormatEvents(fresh) << '\n';
    }
    shownEvents = host.Events().size();
    if (options.verbose && command == "frame") TraceChanges();
}

void Runner::Place() {
    if (words.size() < 2) throw LineError{"expected \"place GAUGE [as ALIAS] [params TEXT]\""};
    std::string alias;
    std::optional<std::string> params;
    std::size_t i = 2;
    if (i < words.size() && words[i].text == "as") {
        if (i + 1 >= words.size()) throw LineError{"expected an alias after \"as\""};
        alias = words[i + 1].text;
        i += 2;
    }
    if (i < words.size()) {
        if (words[i].text != "params") {
            throw LineError{"expected \"as ALIAS\" or \"params TEXT\", got \"" + words[i].text + "\""};
        }
        params = RestAfter(line, words[i]);
    }
    std::string error;
    if (!host.Place(words[1].text, alias, params, &error)) throw LineError{error};
}

// Draws the instance and writes its picture; a relative file goes into the
// output folder.
void Runner::Render(const std::string& alias, const std::string& file) {
    std::filesystem::path path(file);
    if (path.is_relative() && !options.outputDirectory.empty()) {
        path = std::filesystem::path(options.outputDirectory) / path;
    }
    std::error_code ignored;
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), ignored);
    ModuleBitmaps moduleBitmaps(host);
    BitmapSource& bitmaps = options.bitmaps ? *options.bitmaps : moduleBitmaps;
    Picture picture;
    std::vector<std::string> skipped;
    std::string error;
    if (!RenderInstance(host, alias, bitmaps, picture, &error, &skipped)) throw LineError{"render: " + error};
    if (!WritePicture(picture, path.string(), &error)) throw LineError{"render: " + error};
    for (const std::string& note : skipped) out << "    render " << alias << ": " << note << '\n';
    if (options.verbose) {
        out << "    wrote " << path.string() << " (" << picture.width << 'x' << picture.height << ")\n";
    }
}

void Runner::Expect() {
    if (words.size() < 2) throw LineError{"expected \"expect WHAT ...\""};
    ++expectations;
    const std::string& what = words[1].text;

    if (what == "events") {
        if (words.size() < 3) throw LineError{"expected \"expect events E:V ...\" or \"expect events none\""};
        EventList expected;
        if (!(words.size() == 3 && words[2].text == "none")) {
            for (std::size_t i = 2; i < words.size(); ++i) {
                const std::string& pair = words[i].text;
                const std::size_t colon = pair.find(':');
                if (colon == std::string::npos) throw LineError{"expected EVENT:VALUE, got \"" + pair + "\""};
                const auto event = static_cast<UINT32>(
                    ParseInteger(pair.substr(0, colon), 0, UINT32_MAX, "key event"));
                const auto value = static_cast<UINT32>(static_cast<std::uint64_t>(
                    ParseInteger(pair.substr(colon + 1), INT32_MIN, UINT32_MAX, "event value")));
                expected.push_back({event, value});
            }
        }
        const std::size_t dropped = host.DroppedEvents();
        const EventList actual = host.TakeEvents();
        shownEvents = 0;
        if (actual == expected && dropped == 0) return;
        std::string found = FormatEvents(actual);
        if (dropped > 0) {
            found += "; " + std::to_string(dropped) + " later events not kept (the log keeps the first " +
                     std::to_string(maxLoggedEvents) + ")";
        }
        if (actual != expected && (actual.size() > eventsShownWhole || expected.size() > eventsShownWhole)) {
            found += "; " + FirstDifference(expected, actual);
        }
        Fail("events", FormatEvents(expected), found);
    }
    if (what == "window") {
        Arity(4, 4, "expect window N open|closed");
        const auto window = static_cast<UINT32>(ParseInteger(words[2].text, 0, UINT32_MAX, "window number"));
        if (words[3].text != "open" && words[3].text != "closed") {
            throw LineError{"expected open or closed, got \"" + words[3].text + "\""};
        }
        const bool open = host.WindowOpen(window);
        if (open != (words[3].text == "open")) {
            Fail("window " + words[2].text, words[3].text, open ? "open" : "closed");
        }
        return;
    }
    if (what == "token" || what == "tokeni") {
        Arity(4, 4, "expect token TOKEN VALUE");
        const SINT32 token = TokenAt(2);
        if (what == "token") {
            ExpectNumber("token " + words[2].text, ParseNumber(words[3].text, "a number"), host.Number(token));
        } else {
            const long long expected = ParseInteger(words[3].text, INT32_MIN, UINT32_MAX, "32-bit integer");
            const auto expected32 = static_cast<std::int32_t>(static_cast<std::uint32_t>(expected));
            if (host.Integer(token) != expected32) {
                Fail("token " + words[2].text, std::to_string(expected32), std::to_string(host.Integer(token)));
            }
        }
        return;
    }
    if (what == "clock") {
        Arity(3, 3, "expect clock SECONDS");
        ExpectNumber("clock", ParseNumber(words[2].text, "seconds"), host.Clock());
        return;
    }
    if (what == "userdata") {
        Arity(4, 4, "expect userdata ALIAS N");
        const GAUGEHDR* header = host.Header(Alias(2));
        const auto expected = static_cast<UINT32>(ParseInteger(words[3].text, 0, UINT32_MAX, "user data"));
        if (header->user_data != expected) {
            Fail("user data of " + words[2].text, std::to_string(expected), std::to_string(header->user_data));
        }
        return;
    }

    // Element expectations: expect WHAT ALIAS ELEMENT ...
    static const char* const elementExpectations[] = {"value", "image", "angle", "rotation",
                                                      "shift", "text", "hidden", "shown"};
    if (std::find(std::begin(elementExpectations), std::end(elementExpectations), what) ==
        std::end(elementExpectations)) {
        throw LineError{"unknown expectation \"" + what + "\""};
    }
    if (words.size() < 4) throw LineError{"expected \"expect " + what + " ALIAS ELEMENT ...\""};
    const std::string& alias = Alias(2);
    const int number = ElementNumber(alias, 3);
    const ElementState& element = host.Element(alias, number);
    const std::string subject = what + " of " + alias + " element " + words[3].text;

    if (what == "value") {
        Arity(5, 5, "expect value ALIAS ELEMENT NUMBER");
        ExpectNumber(subject, ParseNumber(words[4].text, "a number"), element.value);
    } else if (what == "image") {
        Arity(5, 5, "expect image ALIAS ELEMENT N");
        const auto expected = ParseInteger(words[4].text, -1, INT32_MAX, "image number");
        if (element.image != expected) Fail(subject, std::to_string(expected), std::to_string(element.image));
    } else if (what == "angle") {
        Arity(5, 5, "expect angle ALIAS ELEMENT DEGREES");
        ExpectAngle(subject, ParseNumber(words[4].text, "degrees"), element.angle);
    } else if (what == "rotation") {
        Arity(5, 5, "expect rotation ALIAS ELEMENT DEGREES");
        ExpectAngle(subject, ParseNumber(words[4].text, "degrees"), element.rotation);
    } else if (what == "shift") {
        Arity(6, 6, "expect shift ALIAS ELEMENT X Y");
        const double x = ParseNumber(words[4].text, "x shift");
        const double y = ParseNumber(words[5].text, "y shift");
        if (!NumbersMatch(x, element.shiftX) || !NumbersMatch(y, element.shiftY)) {
            Fail(subject, FormatNumber(x) + " " + FormatNumber(y),
                 FormatNumber(element.shiftX) + " " + FormatNumber(element.shiftY));
        }
    } else if (what == "text") {
        std::string rest = RestAfter(line, words[3]);
        while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t')) rest.pop_back();
        while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) rest.erase(0, 1);
        if (rest.size() < 2 || rest.front() != '"' || rest.back() != '"') {
            throw LineError{"expected \"expect text ALIAS ELEMENT \\\"TEXT\\\"\" with the text in double quotes"};
        }
        std::string expected;
        for (std::size_t i = 1; i + 1 < rest.size(); ++i) {
            if (rest[i] == '\\' && i + 2 < rest.size()) ++i;  // \" and \\ stand for themselves
            expected += rest[i];
        }
        if (element.text != expected) Fail(subject, "\"" + expected + "\"", "\"" + element.text + "\"");
    } else if (what == "hidden" || what == "shown") {
        Arity(4, 4, "expect hidden ALIAS ELEMENT");
        if (element.hidden != (what == "hidden")) {
            Fail(subject, what, element.hidden ? "hidden" : "shown");
        }
    } else {
        throw LineError{"unknown expectation \"" + what + "\""};
    }
}

void Runner::Show(const std::string& alias) {
    const GAUGEHDR* header = host.Header(alias);
    out << alias << " (" << (header->gauge_name ? header->gauge_name : "?") << ")\n";
    for (int n = 1; n <= host.ElementCount(alias); ++n) {
        out << "  " << std::setw(2) << n << ' ' << Describe(host.Element(alias, n)) << '\n';
    }
}

void Runner::TraceChanges() {
    std::map<std::string, std::string> now;
    for (const std::string& alias : host.Aliases()) {
        for (int n = 1; n <= host.ElementCount(alias); ++n) {
            const ElementState& element = host.Element(alias, n);
            if (element.kind == ELEMENT_TYPE_STATIC_IMAGE && !element.hidden) continue;
            std::string key = alias + " " + std::to_string(n);
            std::string description = Describe(element);
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

bool RunScenarioText(Host& host, const std::string& name, const std::string& text,
                     std::ostream& out, std::ostream& err, const ScenarioOptions& options) {
    // Each file starts on a machine with a working sound device.
    HostSoundSetDevice(true);
    Runner runner(host, out, options);
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        if (options.verbose) out << name << ':' << number << "> " << line.substr(first) << '\n';
        try {
            runner.Run(line);
        } catch (const LineError& error) {
            err << name << ':' << number << ": " << error.message << '\n';
            return false;
        } catch (const std::exception& error) {
            err << name << ':' << number << ": " << error.what() << '\n';
            return false;
        }
    }
    out << name << ": ok, " << runner.expectations << " expectation"
        << (runner.expectations == 1 ? "" : "s") << " held\n";
    return true;
}

bool RunScenarioFile(Host& host, const std::string& path, std::ostream& out, std::ostream& err,
                     const ScenarioOptions& options) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        err << path << ": cannot open the scenario file\n";
        return false;
    }
    std::ostringstream text;
    text << file.rdbuf();
    return RunScenarioText(host, path, text.str(), out, err, options);
}

}  // namespace panelhost
