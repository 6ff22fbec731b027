// Scenario texts as the live panel plays them at their own pace: a few
// gauges placed on a host attached to the linked module, the player run
// frame by frame until it is done or a frame limit passes (frame counts
// held small and files left out as fuzzing::TamedScenario does). Echo lines
// are scenario text, Windows-1252; what the page gets of them must be UTF-8
// that JSON takes as it stands.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "fuzz/fuzz_support.h"
#include "host/web/live_player.h"

namespace {

constexpr int maxFrames = 200;
constexpr const char* placed[] = {"Registration", "Radio_COM1", "Altimeter", "Battery_Switch"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text = fuzzing::TamedScenario(std::string(reinterpret_cast<const char*>(data), size));
    panelhost::Host host;
    if (!fuzzing::AttachModule(host)) return 0;
    for (const char* gauge : placed) host.Place(gauge, gauge, std::nullopt);
    host.Connect();
    panelhost::LivePlayer player;
    player.Load("fuzz.scn", text, {}, host.Clock());
    std::vector<std::string> echoes;
    for (int frame = 0; frame < maxFrames && player.Playing(); ++frame) {
        player.Play(host, echoes);
        host.Frame();
    }
    for (const std::string& echo : echoes) {
        // Throws on a text that is not UTF-8.
        try {
            (void)nlohmann::json(echo).dump();
        } catch (const nlohmann::json::exception&) {
            std::fprintf(stderr, "echo line not in UTF-8 for the page\n");
            std::abort();
        }
    }
    host.KillAll();
    return 0;
}
