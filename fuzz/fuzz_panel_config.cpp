// The panel configuration reader over any text: every malformed line gets
// its message and the rest is read; every gauge line it accepts is placed
// with its parameters on the module. The same text is read again from a
// source that hands it out in small pieces and fails partway, as a file
// that breaks while being read.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "fuzz/fuzz_support.h"
#include "host/panel/panel_config.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const panelhost::PanelConfig config = panelhost::ParsePanelConfig(text, "fuzz.cfg");
    if (size >= 2) {
        const std::size_t piece = 1 + data[0] % 64;
        const std::size_t failAt = size * data[1] / 255;
        std::size_t at = 2;
        const panelhost::PanelConfig cut = panelhost::ReadPanelConfigFrom(
            [&](char* buffer, std::size_t room) -> std::optional<std::size_t> {
                if (at >= failAt && failAt < size) return std::nullopt;
                const std::size_t n = std::min({room, piece, size - at});
                std::copy_n(data + at, n, buffer);
                at += n;
                return n;
            },
            "cut.cfg");
        // A failed read is always told.
        if (failAt < size && !panelhost::HasErrors(cut.findings)) __builtin_trap();
    }
    panelhost::Host host;
    if (!fuzzing::AttachModule(host)) return 0;
    int placed = 0;
    for (const panelhost::PanelWindow& window : config.windows) {
        for (const panelhost::PanelGauge& gauge : window.gauges) {
            if (placed == 8) break;
            std::string alias = "g";
            alias += std::to_string(placed);
            if (host.Place(gauge.gauge, alias, gauge.params)) ++placed;
        }
    }
    host.Connect();
    host.Frame(2);
    return 0;
}
