#include "host/panel/panel_check.h"

#include "host/core/messages.h"
#include "host/core/panel_host.h"

namespace panelhost {

namespace {

constexpr std::string_view moduleSuffix = ".gau";

std::string_view WithoutSuffix(std::string_view module) {
    if (module.size() > moduleSuffix.size() && SameWord(module.substr(module.size() - moduleSuffix.size()), moduleSuffix)) {
        module.remove_suffix(moduleSuffix.size());
    }
    return module;
}

}  // namespace

bool NamesThisModule(std::string_view module) { return SameWord(WithoutSuffix(module), thisModuleName); }

std::optional<std::string> GaugeToPlace(const Host& host, const std::string& file, const PanelGauge& entry,
                                        std::vector<PanelFinding>& findings) {
    if (!NamesThisModule(entry.module)) {
        const std::string_view candidates[] = {thisModuleName};
        std::vector<std::string> near = NearestNames(WithoutSuffix(entry.module), candidates);
        if (!near.empty()) {
            findings.push_back(PanelFinding{
                .file = file, .line = entry.line, .column = entry.moduleColumn, .severity = Severity::Warning,
                .message = "no module " + Quoted(Utf8FromWindows1252(entry.module)) +
                           " here: the simulator looks for Gauges\\" + Utf8FromWindows1252(entry.module) +
                           (WithoutSuffix(entry.module).size() == entry.module.size() ? ".gau" : "") +
                           " and shows nothing in its place (drawn as a placeholder)",
                .suggestions = std::move(near)});
        }
        return std::nullopt;
    }
    if (host.FindGauge(entry.gauge)) return entry.gauge;
    const std::vector<GaugeEntry> table = host.Gauges();
    std::vector<std::string_view> names;
    for (const GaugeEntry& gauge : table) {
        if (SameWord(gauge.name, entry.gauge)) return gauge.name;
        names.push_back(gauge.name);
    }
    findings.push_back(PanelFinding{
        .file = file, .line = entry.line, .column = entry.gaugeColumn, .severity = Severity::Error,
        .message = "expected a gauge of " + std::string(thisModuleName) + " (panelhost gauges lists them), found " +
                   Quoted(Utf8FromWindows1252(entry.gauge)) + "; the simulator shows nothing in its place",
        .suggestions = NearestNames(entry.gauge, names)});
    return std::nullopt;
}

}  // namespace panelhost
