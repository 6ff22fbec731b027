// The gauge lines of a configuration against the module a host has loaded:
// which of them are this module's, the table's name for each, and what the
// simulator would make of a name that is nearly right.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/panel/panel_config.h"
#include "host/panel/panel_findings.h"

namespace panelhost {

class Host;

// The module's own name as panel configurations write it before "!".
inline constexpr std::string_view thisModuleName = "QR417_Instr";
// "QR417_Instr", with or without ".gau", in any case.
bool NamesThisModule(std::string_view module);

// The name in the host's gauge table of the gauge an entry places, or
// nothing: for another module's gauge (a warning when the module's name is
// a slip from this one's, which the simulator would not find), and for a
// name the table lacks (an error with the nearest names of the table).
std::optional<std::string> GaugeToPlace(const Host& host, const std::string& file, const PanelGauge& entry,
                                        std::vector<PanelFinding>& findings);

}  // namespace panelhost
