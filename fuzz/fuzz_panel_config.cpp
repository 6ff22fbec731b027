// The panel configuration reader over any text: every malformed line gets
// its message and the rest is read; every gauge line it accepts is placed
// with its parameters on the module.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "host/panel_config.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const panelhost::PanelConfig config = panelhost::ParsePanelConfig(text, "fuzz.cfg");
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
