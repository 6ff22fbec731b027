// Parameters texts through every gauge that reads them (engine numbers,
// toggles, registration, callout switch): the input names a gauge on its
// first line and gives its parameters on the rest. The gauge is placed with
// them, connected, run, clicked over its face and killed. A name the table
// does not hold picks an entry by its characters, so every input places
// something.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text = fuzzing::Text(data, size);
    const std::size_t newline = text.find('\n');
    const std::string name = text.substr(0, newline);
    const std::string params = newline == std::string::npos ? std::string() : text.substr(newline + 1);

    panelhost::Host host;
    if (!fuzzing::AttachModule(host)) return 0;
    const std::vector<panelhost::GaugeEntry> table = host.Gauges();
    if (table.empty()) return 0;
    const panelhost::GaugeEntry& entry = fuzzing::ChooseGauge(table, name);
    if (!host.Place(entry.name, "G", params)) return 0;
    // A second copy placed from the same text, as panels placing a gauge in
    // two windows do.
    host.Place(entry.name, "G2", params);
    host.Connect();
    host.Frame(3);
    for (int y = 0; y < 400; y += 40) {
        for (int x = 0; x < 400; x += 40) {
            host.Click("G", x, y);
            host.Release("G", x, y);
        }
    }
    host.Frame(2);
    host.Reinstall("G");
    host.Frame();
    host.KillAll();
    return 0;
}
