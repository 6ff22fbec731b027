// The live panel: a whole panel configuration on the host, flown in real
// time for the page that `panelhost serve` serves. A frame thread advances
// the clock and the time tokens, plays a scenario at its own pace, runs the
// frame and computes every open window's display list; what changed goes
// out as one update per frame. Clicks, sliders and lighting come in from
// the server's threads; one lock keeps the host to one thread at a time.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace panelhost {

class BitmapSource;
class Host;
struct PanelConfig;
struct PlacedPanel;

struct LiveOptions {
    std::string modulePath;
    std::string panelPath;
    std::string scenarioPath;  // played from the start in real time; empty for none
};

// An answer to a request from the page: a status and a JSON or plain body.
struct LiveAnswer {
    int status{200};
    std::string body{"{}"};
};

class LivePanel {
public:
    LivePanel();
    ~LivePanel();
    LivePanel(const LivePanel&) = delete;
    LivePanel& operator=(const LivePanel&) = delete;

    // Loads the module and places the panel (errors in the file are kept for
    // the page). False with a reason when the module cannot be loaded.
    bool Open(const LiveOptions& options, std::string* error);
    // The problems found in the panel configuration, "FILE:LINE: ...".
    std::vector<std::string> Errors() const;
    // Everything found in it, errors, warnings and notes, one line each.
    std::vector<std::string> Findings() const;
    // Runs frames in real time until Stop.
    void Start();
    void Stop();

    // Everything the page needs to paint from nothing, and the frame it is of.
    std::string Snapshot(std::uint64_t* frame) const;
    // The updates after `frame` as they come (waiting at most `wait`), each
    // one JSON text; `frame` moves on. A reader too far behind gets a snapshot.
    // False once the panel stops.
    bool Updates(std::uint64_t& frame, std::vector<std::string>& out, std::chrono::milliseconds wait) const;

    // The page's requests; bodies are JSON already parsed.
    LiveAnswer Mouse(const nlohmann::json& body);
    // Where the open windows lie on a browser window of {"w", "h"} pixels,
    // bottom first: {"windows": [{"s", "x", "y", "w", "h"}, ...]}.
    LiveAnswer Layout(const nlohmann::json& body) const;
    LiveAnswer Flight(const nlohmann::json& body);
    LiveAnswer SetLighting(const nlohmann::json& body);
    LiveAnswer FlyApproach();
    LiveAnswer Events() const;  // key events sent so far, oldest first (the latest few thousand)

    // Bitmaps and waves, each as a file's bytes; nothing when unknown.
    std::optional<std::string> BitmapPng(std::int32_t id) const;
    std::optional<std::string> BackgroundPng(const std::string& section) const;
    std::optional<std::string> Wave(std::uint32_t id) const;

    // Design mode: the panel as an edited configuration places it. Gauges
    // that stand as they were keep running; the pages get every open window
    // anew. Read with `look`, under the panel's lock.
    void Replace(PanelConfig config);
    void Inspect(const std::function<void(const Host&, const PlacedPanel&, BitmapSource&)>& look) const;

    // Host work of the last frames (frame, display lists, changes), in
    // microseconds, and the bytes of their updates; for the benchmark.
    nlohmann::json Measures() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace panelhost
