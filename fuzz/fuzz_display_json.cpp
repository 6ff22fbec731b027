// The step from display lists to the page's JSON: a gauge named on the
// first line is placed with the parameters on the second (a registration's
// text and font, a toggle's face), the ATC identifier is the rest; its list
// after a frame goes out whole, and after another frame with the identifier
// reversed, as changes. Texts of the module and the parameters are
// Windows-1252: what goes out must be UTF-8 that JSON takes as it stands,
// and numbers (NaN and infinities among them) must stay numbers.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <nlohmann/json.hpp>

#include "fuzz/fuzz_support.h"
#include "host/picture/bitmap_source.h"
#include "host/picture/display_list.h"
#include "host/picture/gauge_canvas.h"
#include "host/web/web_protocol.h"

namespace {

std::string Line(const std::string& text, std::size_t& at) {
    if (at > text.size()) return {};
    const std::size_t end = std::min(text.find('\n', at), text.size());
    std::string line = text.substr(at, end - at);
    at = end + 1;
    return line;
}

// Aborts unless the JSON goes out as it stands (strict UTF-8) and reads back.
void CheckWire(const nlohmann::json& json) {
    std::string text;
    try {
        text = json.dump();
    } catch (const nlohmann::json::exception& error) {
        std::fprintf(stderr, "display list JSON not in UTF-8: %s\n", error.what());
        std::abort();
    }
    if (!nlohmann::json::accept(text)) {
        std::fprintf(stderr, "display list JSON does not read back\n");
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text = fuzzing::Text(data, size);
    std::size_t at = 0;
    const std::string name = Line(text, at);
    const std::string params = Line(text, at);
    const std::string atcid = at < text.size() ? text.substr(at) : std::string();

    panelhost::Host host;
    if (!fuzzing::AttachModule(host)) return 0;
    const std::string alias = "G";  // the lists' items name it: it outlives them
    const std::vector<panelhost::GaugeEntry> table = host.Gauges();
    if (table.empty()) return 0;
    if (!host.Place(fuzzing::ChooseGauge(table, name).name, alias, params)) return 0;
    host.SetAtcId(atcid);
    host.Connect();
    host.Frame();
    panelhost::ModuleBitmaps bitmaps(host);
    const panelhost::LightingScheme lighting(panelhost::Lighting::Night);
    const panelhost::WindowList first = panelhost::ComputeGaugeList(host, alias, bitmaps, lighting);
    CheckWire(panelhost::WindowListJson(first));
    host.SetAtcId(std::string(atcid.rbegin(), atcid.rend()));
    host.Frame();
    const panelhost::WindowList second = panelhost::ComputeGaugeList(host, alias, bitmaps, lighting);
    CheckWire(panelhost::WindowListChanges(first, second));
    host.KillAll();
    return 0;
}
