// The live panel: a whole panel configuration on the host, flown in real
// time for the page that `panelhost serve` serves. A frame thread advances
// the clock and the time tokens, plays a scenario at its own pace, runs the
// frame and computes every open window's display list; what changed goes
// out as one update per frame. Clicks, sliders and lighting come in from
// the server's threads; one lock keeps the host to one thread at a time.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace panelhost {

class Host;

// A text made once and handed to many readers (an update, a picture).
using SharedText = std::shared_ptr<const std::string>;

struct LiveOptions {
    std::string modulePath;
    // How the module is had when not from modulePath (a module linked into
    // the program, as the fuzz targets have it).
    std::function<bool(Host&, std::string*)> attach;
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
    // Called on the frame thread after each frame, outside the panel's lock;
    // set before Start.
    void OnFrame(std::function<void()> call);
    // Runs frames in real time until Stop.
    void Start();
    void Stop();
    // One frame at once, without the frame thread.
    void Step();

    // Everything the page needs to paint from nothing, and the frame it is
    // of; made once a frame however many ask.
    SharedText Snapshot(std::uint64_t* frame) const;
    // The updates after `frame`, each one JSON text with its frame number,
    // without waiting; `frame` moves on. A reader too far behind gets a
    // snapshot.
    std::vector<std::pair<std::uint64_t, SharedText>> UpdatesAfter(std::uint64_t& frame) const;

    // The page's requests; bodies are JSON already parsed.
    LiveAnswer Mouse(const nlohmann::json& body);
    // Where the open windows lie on a browser window of {"w", "h"} pixels,
    // bottom first: {"windows": [{"s", "x", "y", "w", "h"}, ...]}.
    // A page ({"p": id}) keeps its own open windows; with {"windows": [name,
    // ...]} it shows only those, each as large as the screen lets it be.
    LiveAnswer Layout(const nlohmann::json& body);
    LiveAnswer Flight(const nlohmann::json& body);
    LiveAnswer SetLighting(const nlohmann::json& body);
    LiveAnswer FlyApproach();
    LiveAnswer Events() const;  // key events sent so far, oldest first (the latest few thousand)

    // Bitmaps and waves, each as a file's bytes, made once; null when
    // unknown (and an unknown id is not remembered).
    SharedText BitmapPng(std::int32_t id) const;
    SharedText BackgroundPng(const std::string& section) const;
    SharedText Wave(std::uint32_t id) const;

    // Host work of the last frames (frame, display lists, changes), in
    // microseconds, and the bytes of their updates; for the benchmark.
    nlohmann::json Measures() const;

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace panelhost
