#include "host/web/live_panel.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>

#include "host/core/aircraft_systems.h"
#include "host/core/help_texts.h"
#include "host/core/host_sound.h"
#include "host/core/messages.h"
#include "host/core/module_loader.h"
#include "host/core/mouse_capture.h"
#include "host/core/panel_host.h"
#include "host/core/reactions.h"
#include "host/panel/panel_config.h"
#include "host/panel/screen_layout.h"
#include "host/picture/bitmap_source.h"
#include "host/picture/display_list.h"
#include "host/picture/panel_view.h"
#include "host/picture/web_pictures.h"
#include "host/script/scenario.h"
#include "host/web/web_protocol.h"
#include "module/bcd.h"
#include "module/gauge_builders.h"
#include "module/tokens.h"

namespace panelhost {

namespace {

using Clock = std::chrono::steady_clock;

constexpr double livePeriod = 1.0 / 18;
// Scenario lines run in one frame at most: a file without frames cannot
// hold the panel up.
constexpr int maxLinesPerFrame = 500;
constexpr double secondsPerDay = 86400;
// Updates kept for readers a little behind; one further back gets a snapshot.
constexpr std::size_t keptUpdates = 64;
constexpr std::size_t keptEvents = 4000;
constexpr std::size_t keptMeasures = 1200;
// The latest failed scenario lines shown with the panel's errors.
constexpr std::size_t keptScenarioFindings = 20;
// Mouse coordinates beyond this are no point on any window.
constexpr double maxMouseCoordinate = 1e6;
// The largest browser window laid out, in pixels on each axis.
constexpr int maxScreenPixels = 16384;

// Pages kept apart, and the length of their ids.
constexpr std::size_t maxPages = 256;
constexpr std::size_t maxPageId = 64;
constexpr std::size_t maxChosenWindows = 16;
// The readings go out every this many frames (three times a second).
constexpr std::uint64_t readingsEvery = 6;

// What the approach button plays: the scenario from this line on.
constexpr std::string_view approachStart = "echo == The approach";
constexpr const char* shippedScenario = "corvane.scn";

// The flight panel's sliders: the token each sets, the factor from the
// page's unit to the token's, and the range the page may send.
struct FlightValue {
    const char* name;
    std::vector<SINT32> tokens;
    double factor;
    double minimum, maximum;
};
const std::vector<FlightValue>& FlightValues() {
    static const std::vector<FlightValue> values = {
        {"airspeed", {tokenIndicatedAirspeed}, 1, 0, 400},                 // knots
        {"altitude", {tokenAltitude}, 1, -2000, 40000},                     // feet
        {"verticalSpeed", {tokenVerticalSpeed}, 0.3048 / 60 * 256, -6000, 6000},  // feet a minute
        {"pitch", {tokenPitch}, 1, -90, 90},                                // degrees
        {"bank", {tokenBank}, 1, -180, 180},
        {"heading", {tokenMagneticHeading, tokenGyroHeading}, 1, 0, 360},
        {"rpm1", {tokenEngine1Rpm}, 1, 0, 3500},
        {"rpm2", {tokenEngine2Rpm}, 1, 0, 3500},
        {"radioHeight", {tokenRadioHeight}, 0.3048, 0, 2500},               // feet
    };
    return values;
}

// --- Readings -----------------------------------------------------------------
// What a pilot reads off the main instruments and the radios, in words.

std::string Rounded(double value, double step) {
    if (!std::isfinite(value)) return "unknown";
    char text[32];
    std::snprintf(text, sizeof text, "%.0f", std::round(value / step) * step);
    return text;
}

std::string VhfFrequency(std::int32_t code) {
    const auto value = static_cast<UINT32>(code);
    char text[16];
    std::snprintf(text, sizeof text, "%u.%02u", BcdWholeMHz(value), BcdFraction(value));
    return text;
}

nlohmann::json ReadingsJson(const Host& host) {
    const auto n = [&](SINT32 token) { return host.Number(token); };
    const auto adfDigits = static_cast<UINT32>(host.Integer(tokenAdfFrequency));
    const auto adfExtension = static_cast<UINT32>(host.Integer(tokenAdfFrequencyExtension));
    char adf[16], squawk[8];
    std::snprintf(adf, sizeof adf, "%u.%u", AdfWholeKHz(adfDigits, adfExtension), AdfTenthDigit(adfExtension));
    std::snprintf(squawk, sizeof squawk, "%04u", BcdFourDigits(static_cast<UINT32>(host.Integer(tokenTransponderCode))));
    constexpr double feetPerMinute = 60 / 0.3048 / 256;  // from the token's metres a second times 256
    constexpr double feetPerMetre = 1 / 0.3048;
    return {
        {"airspeed", "Airspeed " + Rounded(n(tokenIndicatedAirspeed), 1) + " knots"},
        {"altitude", "Altitude " + Rounded(n(tokenAltitude), 10) + " feet"},
        {"verticalSpeed", "Vertical speed " + Rounded(n(tokenVerticalSpeed) * feetPerMinute, 10) + " feet a minute"},
        {"heading", "Heading " + Rounded(n(tokenGyroHeading), 1) + " degrees"},
        {"radioHeight", "Radio height " + Rounded(n(tokenRadioHeight) * feetPerMetre, 1) + " feet"},
        {"rpm1", "Engine 1 " + Rounded(n(tokenEngine1Rpm), 10) + " rpm"},
        {"rpm2", "Engine 2 " + Rounded(n(tokenEngine2Rpm), 10) + " rpm"},
        {"volts", "Main bus " + Rounded(n(tokenMainBusVoltage), 1) + " volts"},
        {"com1", "COM1 " + VhfFrequency(host.Integer(tokenCom1Frequency))},
        {"nav1", "NAV1 " + VhfFrequency(host.Integer(tokenNav1Frequency))},
        {"nav2", "NAV2 " + VhfFrequency(host.Integer(tokenNav2Frequency))},
        {"adf", std::string("ADF ") + adf + " kHz"},
        {"transponder", std::string("Transponder ") + squawk},
    };
}

LiveAnswer Refused(int status, const std::string& why) {
    return LiveAnswer{status, JsonText(nlohmann::json{{"error", why}})};
}

// The panel's problems as the page and the terminal show them: the file
// names in them are whatever bytes the file system holds.
std::vector<std::string> PrintableAll(const std::vector<std::string>& texts) {
    std::vector<std::string> shown;
    for (const std::string& text : texts) shown.push_back(Printable(text));
    return shown;
}

// A scenario's text from its first line that starts with `from`.
std::optional<std::string> TextFrom(const std::string& text, std::string_view from) {
    for (std::size_t at = 0; at < text.size();) {
        if (std::string_view(text).substr(at).starts_with(from)) return text.substr(at);
        const std::size_t end = text.find('\n', at);
        if (end == std::string::npos) break;
        at = end + 1;
    }
    return std::nullopt;
}

// What the sound buffers did, for the page to do the same:
// {"a": start|loop|stop|volume, "b": buffer, "id": wave, "loop", "v": volume
// in hundredths of a decibel, "o": seconds into the wave}.
nlohmann::json SoundsJson(const std::vector<HostSoundChange>& changes) {
    constexpr const char* names[] = {"start", "loop", "stop", "volume"};
    nlohmann::json sounds = nlohmann::json::array();
    for (const HostSoundChange& change : changes) {
        sounds.push_back({{"a", names[int(change.what)]}, {"b", change.buffer}, {"id", change.wave},
                          {"loop", change.looping}, {"v", change.volume}, {"o", change.offset}});
    }
    return sounds;
}

}  // namespace

struct LivePanel::Impl {
    LiveOptions options;
    mutable std::mutex lock;  // everything below
    mutable std::condition_variable changed;
    Host host;
    std::unique_ptr<ModuleBitmaps> bitmaps;
    PlacedPanel placed;
    Lighting lighting{Lighting::Day};
    std::map<std::string, WindowList> lists;  // the open windows' lists of the last frame
    WindowList spare;  // the list being computed, its storage reused frame after frame
    nlohmann::json open = nlohmann::json::array();
    std::uint64_t frame{};
    std::deque<std::pair<std::uint64_t, SharedText>> updates;
    // The snapshot of the last frame, made once for every stream opened
    // before the next (null: not made yet).
    mutable SharedText snapshot;
    mutable std::uint64_t snapshotFrame{};
    std::function<void()> onFrame;
    bool stopping{};
    std::thread thread;
    std::deque<KeyEvent> events;
    std::vector<std::string> echoes;
    std::deque<std::string> scenarioFindings;
    bool findingsChanged{};
    std::deque<std::pair<double, std::size_t>> measures;  // microseconds, bytes
    // Bitmaps and backgrounds as PNG, each encoded once: as many as the
    // module and the panel have pictures.
    mutable std::map<std::int32_t, SharedText> pngs;
    mutable std::map<std::string, SharedText> backgroundPngs;
    mutable std::map<std::uint32_t, SharedText> waves;
    // The gauge a button was pressed on, and its box.
    std::optional<std::pair<std::string, ClipBox>> pressed;
    // Each page's own windows: those its clicks opened (starting from the
    // host's when the page first asks) and those it chose to show alone.
    struct Page {
        std::set<std::string> open;
        std::vector<std::string> pinned;
        std::uint64_t seen{};
    };
    std::map<std::string, Page> pages;
    nlohmann::json readings = nlohmann::json::object();  // as last sent

    std::unique_ptr<ScenarioPlayer> player;  // the scenario being played, if any

    const Picture* Background(const std::string& section) const {
        return placed.backgrounds ? placed.backgrounds->Section(section) : nullptr;
    }

    WindowList ListOf(const PanelWindow& window, std::vector<std::string>* problems = nullptr) const {
        return ComputeWindowList(host, placed, window, *bitmaps, PanelLighting(lighting, placed.config.colours),
                                 problems);
    }

    // Open on the host, the set that scenarios and the gauges' own frames
    // work on.
    bool HostOpen(const PanelWindow& window) const {
        if (window.virtualCockpit) return false;
        return window.ident ? host.WindowOpen(UINT32(*window.ident)) : window.visible;
    }

    // Open for some page: the host computes what any page shows.
    bool IsOpen(const PanelWindow& window) const {
        if (window.virtualCockpit) return false;
        if (HostOpen(window)) return true;
        return std::any_of(pages.begin(), pages.end(), [&](const auto& entry) {
            const Page& page = entry.second;
            return page.open.contains(window.section) ||
                   std::find(page.pinned.begin(), page.pinned.end(), window.section) != page.pinned.end();
        });
    }

    std::set<std::string> HostOpenSections() const {
        std::set<std::string> sections;
        for (const PanelWindow& window : placed.config.windows) {
            if (HostOpen(window)) sections.insert(window.section);
        }
        return sections;
    }

    void SetHostOpen(const std::set<std::string>& sections) {
        for (const PanelWindow& window : placed.config.windows) {
            if (window.ident && !window.virtualCockpit) {
                host.SetWindow(UINT32(*window.ident), sections.contains(window.section));
            }
        }
    }

    // The page a request names ({"p": id}), met for the first time with the
    // host's windows; null for a request without one. The pages least
    // recently heard from make way beyond a limit.
    Page* PageOf(const nlohmann::json& body) {
        if (!body.contains("p") || !body["p"].is_string()) return nullptr;
        const std::string id = body["p"];
        if (id.empty() || id.size() > maxPageId ||
            !std::all_of(id.begin(), id.end(), [](unsigned char c) { return std::isalnum(c); })) {
            return nullptr;
        }
        auto found = pages.find(id);
        if (found == pages.end()) {
            if (pages.size() >= maxPages) {
                pages.erase(std::min_element(pages.begin(), pages.end(), [](const auto& a, const auto& b) {
                    return a.second.seen < b.second.seen;
                }));
            }
            found = pages.emplace(id, Page{.open = HostOpenSections(), .pinned = {}, .seen = frame}).first;
        }
        found->second.seen = frame;
        return &found->second;
    }

    // The windows a page asks to show alone, by section ("Window01"),
    // ident name ("RADIO_STACK_PANEL") or title; nothing when one is unknown.
    std::optional<std::vector<std::string>> ChosenWindows(const nlohmann::json& names, std::string* problem) const {
        if (!names.is_array() || names.size() > maxChosenWindows) {
            *problem = "expected \"windows\": [name, ...], at most " + std::to_string(maxChosenWindows);
            return std::nullopt;
        }
        std::vector<std::string> sections;
        for (const nlohmann::json& name : names) {
            const std::string text = name.is_string() ? name.get<std::string>() : std::string();
            const auto ident = PanelWindowByName(text);
            const auto window = std::find_if(
                placed.config.windows.begin(), placed.config.windows.end(), [&](const PanelWindow& w) {
                    return !w.virtualCockpit && !text.empty() &&
                           (w.section == text || w.title == text || (ident && w.ident == ident));
                });
            if (window == placed.config.windows.end()) {
                *problem = "no window " + (name.is_string() ? text : name.dump());
                return std::nullopt;
            }
            if (std::find(sections.begin(), sections.end(), window->section) == sections.end()) {
                sections.push_back(window->section);
            }
        }
        return sections;
    }

    static nlohmann::json Shown(const Page& page) {
        if (!page.pinned.empty()) return page.pinned;
        return nlohmann::json(std::vector<std::string>(page.open.begin(), page.open.end()));
    }

    const PanelWindow* OpenWindow(const std::string& section) const {
        const PanelWindow* window = placed.config.Window(section);
        return window && IsOpen(*window) ? window : nullptr;
    }

    // The page's mouse areas of a window: [x, y, w, h, cursor, tip] in
    // window pixels, topmost gauge last. A group of areas with a help text
    // is an area of its own (cursor 0), before its children, so that a point
    // outside any clickable child still shows the innermost group's text; a
    // gauge with no text of its own names itself.
    nlohmann::json Areas(const PanelWindow& window) {
        nlohmann::json areas = nlohmann::json::array();
        const WindowList list = ListOf(window);
        for (const PlacedGauge& gauge : placed.gauges) {
            if (gauge.window != &window || gauge.alias.empty()) continue;
            const GAUGEHDR* header = host.Header(gauge.alias);
            if (!header || !header->mouse_rect || host.ElementCount(gauge.alias) == 0) continue;
            const Picture* picture = bitmaps->Find(host.Element(gauge.alias, 1).record->resource_id);
            const auto box = std::find_if(list.items.begin(), list.items.end(),
                                          [&](const PaintItem& item) { return item.alias == gauge.alias; });
            if (!picture || box == list.items.end()) continue;
            const std::size_t first = areas.size();
            AddGaugeAreas(*header, *picture, box->clip, areas);
            const bool named = std::any_of(areas.begin() + std::ptrdiff_t(first), areas.end(),
                                           [](const nlohmann::json& area) { return area[5] != ""; });
            if (!named && header->gauge_name) {
                std::string name = Utf8FromWindows1252(header->gauge_name);
                std::replace(name.begin(), name.end(), '_', ' ');
                areas.insert(areas.begin() + std::ptrdiff_t(first),
                             nlohmann::json{box->clip.x, box->clip.y, box->clip.w, box->clip.h, 0, name});
            }
        }
        return areas;
    }

    static void AddGaugeAreas(const GAUGEHDR& header, const Picture& picture, const ClipBox& clip,
                              nlohmann::json& areas) {
        const double sx = clip.w / picture.width, sy = clip.h / picture.height;
        const auto text = [](UINT32 id) { return id && HelpText(id) ? std::string(HelpText(id)) : std::string(); };
        const auto areaOf = [&](const MouseBox& b, SINT32 cursor, const std::string& tip) {
            const MouseBox in = b.whole ? MouseBox{false, 0, 0, picture.width, picture.height} : b;
            return nlohmann::json{clip.x + double(in.x) * sx, clip.y + double(in.y) * sy, double(in.w) * sx,
                                  double(in.h) * sy, cursor, tip};
        };
        // Each open group: the text its areas show and its own area in `areas`.
        struct Group {
            std::string tip;
            std::ptrdiff_t area;
        };
        std::vector<Group> groups{{{}, -1}};
        WalkMouseList(header.mouse_rect, [&](const MouseHit& entry) {
            const MOUSERECT& rect = *entry.rect;
            if (rect.rect_type == MOUSE_RECT_PARENT) {
                Group opened{groups.back().tip, std::ptrdiff_t(areas.size())};
                if (const std::string help = text(rect.help_id); !help.empty()) opened.tip = help;
                areas.push_back(areaOf(entry.box, 0, opened.tip));
                groups.push_back(opened);
            } else if (rect.rect_type == MOUSE_RECT_END_PARENT) {
                if (groups.size() > 1) groups.pop_back();
            } else if (rect.rect_type == MOUSE_RECT_USER) {
                const char* own = TooltipText(rect);
                const std::string tip = own ? Utf8FromWindows1252(own) : text(rect.help_id);
                if (!tip.empty()) {
                    groups.back().tip = tip;
                    if (groups.back().area >= 0) areas[std::size_t(groups.back().area)][5] = tip;
                }
            } else {
                const std::string own = text(rect.help_id);
                areas.push_back(areaOf(entry.box, rect.cursor, own.empty() ? groups.back().tip : own));
            }
            return false;
        });
        // Groups that say nothing and take no click are no areas.
        areas.erase(std::remove_if(areas.begin(), areas.end(),
                                   [](const nlohmann::json& area) { return area[4] == 0 && area[5] == ""; }),
                    areas.end());
    }

    nlohmann::json OpenList() {
        nlohmann::json list = nlohmann::json::array();
        for (const PanelWindow& window : placed.config.windows) {
            if (!IsOpen(window)) continue;
            // Where it lies on the page's screen comes from Layout.
            list.push_back({{"s", window.section}, {"title", window.title}, {"areas", Areas(window)}});
        }
        return list;
    }

    SharedText SnapshotLocked(std::uint64_t* at) const {
        if (at) *at = frame;
        if (snapshot && snapshotFrame == frame) return snapshot;
        nlohmann::json windows = nlohmann::json::array();
        for (const auto& [section, list] : lists) windows.push_back(WindowListJson(list));
        snapshotFrame = frame;
        snapshot = std::make_shared<const std::string>(
            JsonText({{"t", "full"}, {"frame", frame}, {"clock", host.Clock()},
                      {"light", lighting == Lighting::Day ? "day" : "night"}, {"errors", ErrorsLocked()},
                      {"windows", windows}, {"open", open}, {"readings", readings}}));
        return snapshot;
    }

    void PlayScenario() {
        if (!player) return;
        player->Play(maxLinesPerFrame);
        // Scenario text is Windows-1252, as the simulator's is; the page takes UTF-8.
        for (const std::string& text : player->TakeEchoes()) echoes.push_back(Utf8FromWindows1252(text));
        for (std::string& finding : player->TakeFindings()) {
            std::cerr << "panelhost: " << finding << '\n';
            scenarioFindings.push_back(std::move(finding));
            if (scenarioFindings.size() > keptScenarioFindings) scenarioFindings.pop_front();
            findingsChanged = true;
        }
    }

    // The configuration's errors, then the scenario's latest failed lines.
    std::vector<std::string> ErrorsLocked() const {
        std::vector<std::string> all = PrintableAll(placed.errors);
        all.insert(all.end(), scenarioFindings.begin(), scenarioFindings.end());
        return all;
    }

    // Plays a scenario file from its first line that starts with `from`
    // (empty: from the start). False, playing nothing, when the file cannot
    // be read or has no such line.
    bool Play(const std::string& path, std::string_view from) {
        player.reset();
        std::string text, error;
        if (!ReadScenarioFile(path, text, error)) return false;
        const std::optional<std::string> played = from.empty() ? text : TextFrom(text, from);
        if (!played) return false;
        player = std::make_unique<ScenarioPlayer>(host, path, *played, livePeriod);
        return true;
    }

    // One frame of the live panel and its update.
    void Step() {
        const auto began = Clock::now();
        PlayScenario();
        RunElectricalSystem(host);
        host.SetNumber(tokenSimulationTime, host.Number(tokenSimulationTime) + livePeriod);
        host.SetNumber(tokenTimeOfDay, std::fmod(host.Number(tokenTimeOfDay) + livePeriod, secondsPerDay));
        host.Frame();
        for (const KeyEvent& event : host.TakeEvents()) events.push_back(event);
        while (events.size() > keptEvents) events.pop_front();

        nlohmann::json windows = nlohmann::json::array();
        std::erase_if(lists, [&](const auto& entry) { return !OpenWindow(entry.first); });
        const LightingScheme scheme = PanelLighting(lighting, placed.config.colours);
        for (const PanelWindow& window : placed.config.windows) {
            if (!IsOpen(window)) continue;
            ComputeWindowList(host, placed, window, *bitmaps, scheme, spare);
            const auto before = lists.find(window.section);
            nlohmann::json change =
                before == lists.end() ? WindowListJson(spare) : WindowListChanges(before->second, spare);
            if (!change.is_null()) windows.push_back(std::move(change));
            if (before == lists.end()) {
                lists.emplace(window.section, std::exchange(spare, {}));
            } else {
                std::swap(before->second, spare);
            }
        }
        nlohmann::json update{{"t", "frame"}, {"frame", frame + 1}, {"clock", host.Clock()}, {"windows", windows}};
        if (windows.size() || lists.size() != open.size()) {
            std::vector<std::string> sections;
            for (const auto& window : open) sections.push_back(window["s"]);
            std::vector<std::string> openSections;
            for (const PanelWindow& window : placed.config.windows) {
                if (IsOpen(window)) openSections.push_back(window.section);
            }
            if (sections != openSections) {
                open = OpenList();
                update["open"] = open;
            }
        }
        HostSoundTakePlays();  // the start log, kept for scenarios' checks only
        nlohmann::json sounds = SoundsJson(HostSoundTakeChanges());
        if (!sounds.empty()) update["sounds"] = std::move(sounds);
        if (!echoes.empty()) update["echo"] = std::exchange(echoes, {});
        if (std::exchange(findingsChanged, false)) update["errors"] = ErrorsLocked();
        AddReadings(update);
        auto text = std::make_shared<const std::string>(JsonText(update));
        const double micros = std::chrono::duration<double, std::micro>(Clock::now() - began).count();
        measures.emplace_back(micros, text->size());
        while (measures.size() > keptMeasures) measures.pop_front();
        updates.emplace_back(++frame, std::move(text));
        while (updates.size() > keptUpdates) updates.pop_front();
        changed.notify_all();
    }

    // The instruments' readings for the page's screen-reader list, sent a
    // few times a second, only those that changed.
    void AddReadings(nlohmann::json& update) {
        if (frame % readingsEvery != 0) return;
        nlohmann::json changed = nlohmann::json::object();
        const nlohmann::json now = ReadingsJson(host);
        for (const auto& [name, text] : now.items()) {
            if (!readings.contains(name) || readings[name] != text) changed[name] = text;
        }
        if (changed.empty()) return;
        readings.update(changed);
        update["readings"] = std::move(changed);
    }

    void Run() {
        const auto period = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(livePeriod));
        auto next = Clock::now();
        for (;;) {
            next += period;
            {
                std::unique_lock held(lock);
                if (changed.wait_until(held, next, [&] { return stopping; })) return;
                Step();
            }
            if (onFrame) onFrame();
            // A host held up (a debugger, a loaded machine) goes on from now
            // rather than running the lost frames at once.
            if (Clock::now() - next > std::chrono::seconds(1)) next = Clock::now();
        }
    }
};

LivePanel::LivePanel() : impl_(std::make_unique<Impl>()) {}

LivePanel::~LivePanel() {
    Stop();
    HostSoundWatch(false);
}

bool LivePanel::Open(const LiveOptions& options, std::string* error) {
    Impl& s = *impl_;
    std::lock_guard held(s.lock);
    s.options = options;
    // A scenario asked for that cannot be read is told at once, not played
    // as nothing.
    if (!options.scenarioPath.empty()) {
        std::string text, problem;
        if (!ReadScenarioFile(options.scenarioPath, text, problem)) {
            if (error) *error = options.scenarioPath + ": " + problem;
            return false;
        }
    }
    HostSoundWatch(true);
    if (!(options.attach ? options.attach(s.host, error) : s.host.Load(options.modulePath, error))) return false;
    s.host.SetFramePeriod(livePeriod);
    s.bitmaps = std::make_unique<ModuleBitmaps>(s.host);
    PanelConfig config = ReadPanelConfig(options.panelPath);
    // Windows start as the configuration shows them; the gauges placed then
    // may open or close them.
    for (const PanelWindow& window : config.windows) {
        if (window.ident) s.host.SetWindow(UINT32(*window.ident), window.visible);
    }
    // The aircraft stands parked when the panel comes up; gauges read some of
    // it (the tanks' capacities) as they are placed.
    ParkAircraft(s.host);
    const std::string folder = std::filesystem::path(options.panelPath).parent_path().string();
    s.placed = PlacePanel(s.host, std::move(config), folder);
    // Problems with the windows' backgrounds and bitmaps, found once.
    for (const PanelWindow& window : s.placed.config.windows) {
        if (!window.virtualCockpit) s.ListOf(window, &s.placed.errors);
    }
    s.host.SetReactions(true);
    s.host.Connect();
    if (!options.scenarioPath.empty()) s.Play(options.scenarioPath, {});
    s.Step();
    return true;
}

std::vector<std::string> LivePanel::Errors() const {
    std::lock_guard held(impl_->lock);
    return impl_->ErrorsLocked();
}

void LivePanel::OnFrame(std::function<void()> call) {
    std::lock_guard held(impl_->lock);
    impl_->onFrame = std::move(call);
}

std::vector<std::string> LivePanel::Findings() const {
    std::lock_guard held(impl_->lock);
    return FindingTexts(impl_->placed);
}

void LivePanel::Start() {
    std::lock_guard held(impl_->lock);
    if (!impl_->thread.joinable()) impl_->thread = std::thread([this] { impl_->Run(); });
}

void LivePanel::Stop() {
    {
        std::lock_guard held(impl_->lock);
        impl_->stopping = true;
    }
    impl_->changed.notify_all();
    if (impl_->thread.joinable()) impl_->thread.join();
}

void LivePanel::Step() {
    std::lock_guard held(impl_->lock);
    impl_->Step();
}

SharedText LivePanel::Snapshot(std::uint64_t* frame) const {
    std::lock_guard held(impl_->lock);
    return impl_->SnapshotLocked(frame);
}

std::vector<std::pair<std::uint64_t, SharedText>> LivePanel::UpdatesAfter(std::uint64_t& frame) const {
    const Impl& s = *impl_;
    std::lock_guard held(s.lock);
    std::vector<std::pair<std::uint64_t, SharedText>> out;
    if (s.frame <= frame) return out;
    if (s.updates.empty() || s.updates.front().first > frame + 1) {
        out.emplace_back(s.frame, s.SnapshotLocked(&frame));
        return out;
    }
    for (const auto& [number, text] : s.updates) {
        if (number > frame) out.emplace_back(number, text);
    }
    frame = s.frame;
    return out;
}

namespace {

// The key events a request sent ({"events": [[event, value], ...]}) and those
// of them the simulator's reactions neither act on nor name as ignored
// ({"unnamed": [event, ...]}): a control that would act on nothing.
void AddSentEvents(const EventList& events, std::size_t from, nlohmann::json& answer) {
    nlohmann::json sent = nlohmann::json::array(), unnamed = nlohmann::json::array();
    for (std::size_t i = from; i < events.size(); ++i) {
        sent.push_back({events[i].event, events[i].value});
        if (!Reacts(events[i].event) && !IgnoredBecause(events[i].event)) unnamed.push_back(events[i].event);
    }
    answer["events"] = std::move(sent);
    answer["unnamed"] = std::move(unnamed);
}

}  // namespace

LiveAnswer LivePanel::Mouse(const nlohmann::json& body) {
    Impl& s = *impl_;
    if (!body.is_object() || !body.contains("s") || !body["s"].is_string() || !body.contains("x") ||
        !body["x"].is_number() || !body.contains("y") || !body["y"].is_number() || !body.contains("a") ||
        !body["a"].is_string()) {
        return Refused(400, "expected {\"s\": window, \"x\": number, \"y\": number, \"a\": action}");
    }
    const std::string section = body["s"], action = body["a"];
    const double x = body["x"], y = body["y"];
    if (!std::isfinite(x) || !std::isfinite(y) || std::abs(x) > maxMouseCoordinate ||
        std::abs(y) > maxMouseCoordinate) {
        return Refused(400, "expected x and y within the window");
    }
    if (action != "down" && action != "up" && action != "drag" && action != "repeat") {
        return Refused(400, "expected the action down, up, drag or repeat");
    }
    Button button = Button::Left;
    if (body.contains("b")) {
        if (body["b"] == "right") {
            button = Button::Right;
        } else if (body["b"] != "left") {
            return Refused(400, "expected the button left or right");
        }
    }
    std::lock_guard held(s.lock);
    const PanelWindow* window = s.OpenWindow(section);
    if (!window) return Refused(404, "no open window " + section);
    std::string only;
    if (body.contains("g")) {
        if (!body["g"].is_string()) return Refused(400, "expected the gauge as text");
        only = section + "." + body["g"].get<std::string>();
        if (!s.host.Has(only)) return Refused(404, "no gauge " + only);
    }
    const auto found = s.lists.find(section);
    if (found == s.lists.end()) return Refused(404, "no open window " + section);
    // Each gauge's box is the clip of its first item (its background). A
    // press goes to the topmost gauge under the point that takes it; what
    // follows it goes to the gauge pressed.
    std::vector<std::pair<std::string, ClipBox>> under;
    for (const PaintItem& item : found->second.items) {
        if (item.alias.empty() || (!under.empty() && under.back().first == item.alias)) continue;
        if (only.empty() || item.alias == only) under.emplace_back(item.alias, item.clip);
    }
    const bool followsPress = action != "down" && s.pressed && s.pressed->first.starts_with(section + ".");
    if (followsPress) under.assign(1, *s.pressed);
    std::erase_if(under, [&](const auto& gauge) {
        const ClipBox& box = gauge.second;
        return !followsPress && !(x >= box.x && y >= box.y && x < box.x + box.w && y < box.y + box.h);
    });
    std::reverse(under.begin(), under.end());
    if (action == "down") s.pressed.reset();
    bool taken = false;
    std::string gaugeAlias;
    // A page's click works on that page's windows: a toggle opens or closes
    // them there, not on every page.
    Impl::Page* page = s.PageOf(body);
    const std::size_t sentBefore = s.host.Events().size();
    const std::set<std::string> hostWindows = s.HostOpenSections();
    if (page) s.SetHostOpen(page->open);
    for (const auto& [alias, box] : under) {
        // A gauge the scenario has killed (or a reload has taken) since the
        // last frame's lists is no longer there to click.
        if (!s.host.Has(alias) || s.host.ElementCount(alias) == 0) continue;
        const Picture* picture = s.bitmaps->Find(s.host.Element(alias, 1).record->resource_id);
        if (!picture || box.w <= 0 || box.h <= 0) continue;
        const int gx = int(std::floor((x - box.x) * picture->width / box.w));
        const int gy = int(std::floor((y - box.y) * picture->height / box.h));
        if (action == "down") {
            taken = s.host.Click(alias, gx, gy, button);
            if (taken) s.pressed.emplace(alias, box);
        } else if (action == "up") {
            taken = s.host.Release(alias, gx, gy);
            s.pressed.reset();
        } else if (action == "drag") {
            taken = s.host.Drag(alias, gx, gy);
        } else {
            taken = s.host.Repeat(gx, gy, button);
        }
        if (taken || action != "down") {
            gaugeAlias = alias;
            break;
        }
    }
    nlohmann::json answer{{"taken", taken}, {"gauge", gaugeAlias}};
    if (page) {
        page->open = s.HostOpenSections();
        s.SetHostOpen(hostWindows);
        answer["open"] = Impl::Shown(*page);
    }
    AddSentEvents(s.host.Events(), sentBefore, answer);
    return LiveAnswer{200, JsonText(answer)};
}

namespace {

// Windows shown alone, each as large as its share of the screen lets it be:
// side by side or one above the other, whichever shows them larger.
template <typename SizeOf>
nlohmann::json PinnedLayout(const LivePanel::Impl& s, const std::vector<std::string>& sections, int width, int height,
                            const SizeOf& sizeOf) {
    std::vector<std::pair<std::string, PictureSize>> shown;
    for (const std::string& section : sections) {
        const PanelWindow* window = s.placed.config.Window(section);
        const auto size = window ? sizeOf(*window) : std::nullopt;
        if (size && s.lists.contains(section)) shown.emplace_back(section, *size);
    }
    nlohmann::json windows = nlohmann::json::array();
    if (shown.empty()) return windows;
    const double n = double(shown.size());
    const auto smallest = [&](double cellW, double cellH) {
        double scale = 1e9;
        for (const auto& [section, size] : shown) scale = std::min({scale, cellW / size.width, cellH / size.height});
        return scale;
    };
    const bool sideBySide = smallest(width / n, height) >= smallest(width, height / n);
    const double cellW = sideBySide ? width / n : width, cellH = sideBySide ? height : height / n;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const PictureSize& size = shown[i].second;
        const double scale = std::min(cellW / size.width, cellH / size.height);
        const double w = size.width * scale, h = size.height * scale;
        const double x = (sideBySide ? double(i) * cellW : 0) + (cellW - w) / 2;
        const double y = (sideBySide ? 0 : double(i) * cellH) + (cellH - h) / 2;
        windows.push_back({{"s", shown[i].first}, {"x", x}, {"y", y}, {"w", w}, {"h", h}});
    }
    return windows;
}

}  // namespace

LiveAnswer LivePanel::Layout(const nlohmann::json& body) {
    const auto pixels = [&](const char* name) -> std::optional<int> {
        if (!body.is_object() || !body.contains(name) || !body[name].is_number()) return std::nullopt;
        const double value = body[name];
        if (!std::isfinite(value) || value < 1 || value > maxScreenPixels) return std::nullopt;
        return int(value);
    };
    const auto width = pixels("w"), height = pixels("h");
    if (!width || !height) {
        return Refused(400, "expected {\"w\": width, \"h\": height} in pixels from 1 to " +
                                std::to_string(maxScreenPixels));
    }
    Impl& s = *impl_;
    std::lock_guard held(s.lock);
    Impl::Page* page = s.PageOf(body);
    if (page && body.contains("windows")) {
        std::string problem;
        auto chosen = s.ChosenWindows(body["windows"], &problem);
        if (!chosen) return Refused(400, problem);
        page->pinned = std::move(*chosen);
    }
    const auto size = [&](const PanelWindow& window) -> std::optional<PictureSize> {
        // An open window's picture as drawn, else (the main panel closed)
        // its background's.
        const auto found = s.lists.find(window.section);
        if (found != s.lists.end() && found->second.width > 0 && found->second.height > 0) {
            return PictureSize{double(found->second.width), double(found->second.height)};
        }
        const Picture* background = s.Background(window.section);
        if (!background || background->width <= 0 || background->height <= 0) return std::nullopt;
        return PictureSize{double(background->width), double(background->height)};
    };
    nlohmann::json windows = nlohmann::json::array();
    if (page && !page->pinned.empty()) {
        windows = PinnedLayout(s, page->pinned, *width, *height, size);
    } else {
        // The open windows as the simulator would place them on a screen of
        // the page's size; windows closed though visible in the file stay off it.
        std::vector<std::string> open;
        for (const auto& [section, list] : s.lists) {
            if (!page || page->open.contains(section)) open.push_back(section);
        }
        const ScreenLayout layout = LayOutScreen(s.placed.config, ScreenSize{*width, *height}, open, size);
        for (const ScreenWindow& placed : layout.windows) {
            if (!s.lists.contains(placed.window->section)) continue;
            windows.push_back({{"s", placed.window->section}, {"x", placed.x}, {"y", placed.y}, {"w", placed.width},
                               {"h", placed.height}});
        }
    }
    nlohmann::json answer{{"w", *width}, {"h", *height}, {"windows", windows}};
    if (page) answer["open"] = Impl::Shown(*page);
    return LiveAnswer{200, JsonText(answer)};
}

LiveAnswer LivePanel::Flight(const nlohmann::json& body) {
    if (!body.is_object() || body.empty()) return Refused(400, "expected {\"name\": value, ...}");
    const auto& values = FlightValues();
    std::vector<std::pair<const FlightValue*, double>> chosen;
    for (const auto& [name, value] : body.items()) {
        const auto row = std::find_if(values.begin(), values.end(), [&](const FlightValue& v) { return name == v.name; });
        if (row == values.end()) return Refused(400, "no flight value " + name);
        if (!value.is_number() || !std::isfinite(value.get<double>()) || value.get<double>() < row->minimum ||
            value.get<double>() > row->maximum) {
            return Refused(400, name + " expects a number from " + std::to_string(row->minimum) + " to " +
                                    std::to_string(row->maximum));
        }
        chosen.emplace_back(&*row, value.get<double>());
    }
    std::lock_guard held(impl_->lock);
    for (const auto& [row, value] : chosen) {
        for (const SINT32 token : row->tokens) impl_->host.SetNumber(token, value * row->factor);
    }
    return {};
}

LiveAnswer LivePanel::SetLighting(const nlohmann::json& body) {
    if (!body.is_object() || !body.contains("lighting") || !body["lighting"].is_string()) {
        return Refused(400, "expected {\"lighting\": \"day\" or \"night\"}");
    }
    const auto lighting = LightingByName(body["lighting"].get<std::string>());
    if (!lighting) return Refused(400, "expected the lighting day or night");
    std::lock_guard held(impl_->lock);
    impl_->lighting = *lighting;
    impl_->snapshot.reset();
    return {};
}

LiveAnswer LivePanel::FlyApproach() {
    Impl& s = *impl_;
    std::lock_guard held(s.lock);
    // The approach of the scenario being played, else of the one shipped
    // beside the panel configuration.
    const std::string shipped =
        (std::filesystem::path(s.options.panelPath).parent_path() / shippedScenario).string();
    for (const std::string& path : {s.options.scenarioPath, shipped}) {
        if (!path.empty() && s.Play(path, approachStart)) return {};
    }
    return Refused(404, "no approach to fly: " + Quoted(shipped) + " holds none");
}

LiveAnswer LivePanel::Events() const {
    std::lock_guard held(impl_->lock);
    nlohmann::json list = nlohmann::json::array();
    for (const KeyEvent& event : impl_->events) list.push_back({event.event, event.value});
    return LiveAnswer{200, JsonText(list)};
}

SharedText LivePanel::BitmapPng(std::int32_t id) const {
    const Impl& s = *impl_;
    std::lock_guard held(s.lock);
    const auto cached = s.pngs.find(id);
    if (cached != s.pngs.end()) return cached->second;
    // Only an id the module holds is looked up (and so remembered by the
    // bitmap cache): any number a page asks for is not.
    const void* data = nullptr;
    std::size_t size = 0;
    if (!FindModuleResource(s.host.ModuleHandle(), s.host.ModuleHandle32(), "BITMAP", std::uint32_t(id), data, size)) {
        return nullptr;
    }
    const Picture* picture = s.bitmaps->Find(id);
    if (!picture) return nullptr;
    std::string png = PngBytes(*picture);
    if (png.empty()) return nullptr;
    return s.pngs[id] = std::make_shared<const std::string>(std::move(png));
}

SharedText LivePanel::BackgroundPng(const std::string& section) const {
    const Impl& s = *impl_;
    std::lock_guard held(s.lock);
    const auto cached = s.backgroundPngs.find(section);
    if (cached != s.backgroundPngs.end()) return cached->second;
    const Picture* picture = s.Background(section);
    if (!picture) return nullptr;
    std::string png = PngBytes(*picture);
    if (png.empty()) return nullptr;
    return s.backgroundPngs[section] = std::make_shared<const std::string>(std::move(png));
}

SharedText LivePanel::Wave(std::uint32_t id) const {
    const Impl& s = *impl_;
    std::lock_guard held(s.lock);
    const auto cached = s.waves.find(id);
    if (cached != s.waves.end()) return cached->second;
    const void* data = nullptr;
    std::size_t size = 0;
    if (!FindModuleResource(s.host.ModuleHandle(), s.host.ModuleHandle32(), "WAVE", id, data, size)) return nullptr;
    return s.waves[id] = std::make_shared<const std::string>(static_cast<const char*>(data), size);
}

void LivePanel::Replace(PanelConfig config) {
    Impl& s = *impl_;
    std::lock_guard held(s.lock);
    PlacedPanel placed = PlaceAgain(s.host, s.placed, std::move(config));
    // A window made visible or hidden in the file opens or closes at once.
    for (const PanelWindow& window : placed.config.windows) {
        const PanelWindow* was = s.placed.config.Window(window.section);
        if (window.ident && (!was || was->visible != window.visible)) s.host.SetWindow(UINT32(*window.ident), window.visible);
    }
    s.placed = std::move(placed);
    // The lists name the gauges of the placement they were made from: the
    // next frame sends every open window whole, with its mouse areas.
    s.lists.clear();
    s.open = nlohmann::json::array();
    s.pressed.reset();
}

void LivePanel::Inspect(const std::function<void(const Host&, const PlacedPanel&, BitmapSource&)>& look) const {
    std::lock_guard held(impl_->lock);
    look(impl_->host, impl_->placed, *impl_->bitmaps);
}

nlohmann::json LivePanel::Measures() const {
    std::lock_guard held(impl_->lock);
    std::vector<double> work;
    std::vector<std::size_t> bytes;
    for (const auto& [micros, size] : impl_->measures) {
        work.push_back(micros);
        bytes.push_back(size);
    }
    if (work.empty()) return {{"frames", 0}};
    std::sort(work.begin(), work.end());
    std::sort(bytes.begin(), bytes.end());
    double total = 0;
    for (const double w : work) total += w;
    std::size_t byteTotal = 0;
    for (const std::size_t b : bytes) byteTotal += b;
    return {{"frames", work.size()},
            {"workMeanMicros", total / double(work.size())},
            {"workMedianMicros", work[work.size() / 2]},
            {"workP95Micros", work[work.size() * 95 / 100]},
            {"workMaxMicros", work.back()},
            {"bytesMean", double(byteTotal) / double(bytes.size())},
            {"bytesMedian", bytes[bytes.size() / 2]},
            {"bytesP95", bytes[bytes.size() * 95 / 100]},
            {"bytesMax", bytes.back()}};
}

}  // namespace panelhost
