// What one panel frame costs through the host: the whole panel with every
// gauge of the module's table placed, each gauge alone, and the five gauges
// that cost most, together. A frame is what the simulator pays at its frame
// rate: pre-update, every element's routines and tokens, post-update.
//
//   cmake --build build --target panel_bench && build/bench/panel_bench
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "host/core/panel_host.h"

extern "C" IMPORT_TABLE ImportTable;
extern "C" MODULE_LINKAGE_VIEW Linkage;

namespace {

constexpr SINT32 lastToken = 1200;

// A plausible aircraft in flight: every token holds a moderate value, power
// and switches on, so that the gauges take their busy paths.
void SetFlightTokens(panelhost::Host& host) {
    for (SINT32 token = 1; token <= lastToken; ++token) {
        host.SetNumber(token, 1.0 + (token % 7) * 37.5);
    }
}

// A host driving the linked module copy with the given gauges placed,
// connected and run for a few frames.
void Prepare(panelhost::Host& host, const std::vector<std::string>& gauges) {
    host.Attach(&ImportTable, &Linkage);
    SetFlightTokens(host);
    int number = 0;
    for (const std::string& gauge : gauges) {
        std::string alias = "g";
        alias += std::to_string(++number);
        host.Place(gauge, alias);
    }
    host.Connect();
    host.Frame(10);
    host.ClearEvents();
}

std::vector<std::string> EveryGauge() {
    std::vector<std::string> names;
    GAUGEHDR* const* list = Linkage.gauge_header_ptr;
    for (int i = 0; i < 4096 && list[i]; ++i) names.emplace_back(list[i]->gauge_name);
    return names;
}

void RunFrames(benchmark::State& state, const std::vector<std::string>& gauges) {
    panelhost::Host host;
    Prepare(host, gauges);
    int frames = 0;
    for (auto _ : state) {
        host.Frame();
        // The key-event log is the host's; keep it from growing.
        if (++frames % 1024 == 0) host.ClearEvents();
    }
    state.counters["gauges"] = static_cast<double>(gauges.size());
    state.SetItemsProcessed(state.iterations());
}

// Seconds per frame of one gauge alone, from a short run: ranks the gauges.
double QuickFrameCost(const std::string& gauge) {
    panelhost::Host host;
    Prepare(host, {gauge});
    constexpr int frames = 2000;
    const auto start = std::chrono::steady_clock::now();
    host.Frame(frames);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / frames;
}

std::vector<std::string> HeaviestGauges(const std::vector<std::string>& gauges, std::size_t count) {
    std::vector<std::pair<double, std::string>> costs;
    for (const std::string& gauge : gauges) {
        if (std::none_of(costs.begin(), costs.end(),
                         [&](const auto& cost) { return cost.second == gauge; })) {
            costs.emplace_back(QuickFrameCost(gauge), gauge);
        }
    }
    std::sort(costs.begin(), costs.end(), std::greater<>());
    std::vector<std::string> heaviest;
    for (std::size_t i = 0; i < std::min(count, costs.size()); ++i) heaviest.push_back(costs[i].second);
    return heaviest;
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    const std::vector<std::string> gauges = EveryGauge();
    benchmark::RegisterBenchmark("FullPanelFrame", [gauges](benchmark::State& state) {
        RunFrames(state, gauges);
    });

    const std::vector<std::string> heaviest = HeaviestGauges(gauges, 5);
    std::string label;
    for (const std::string& gauge : heaviest) {
        if (!label.empty()) label += ' ';
        label += gauge;
    }
    benchmark::RegisterBenchmark("HeaviestGaugesFrame", [heaviest, label](benchmark::State& state) {
        RunFrames(state, heaviest);
        state.SetLabel(label);
    });

    std::vector<std::string> seen;
    for (const std::string& gauge : gauges) {
        if (std::find(seen.begin(), seen.end(), gauge) != seen.end()) continue;
        seen.push_back(gauge);
        std::string name = "GaugeFrame/";
        name += gauge;
        benchmark::RegisterBenchmark(name.c_str(),
                                     [gauge](benchmark::State& state) { RunFrames(state, {gauge}); });
    }

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
