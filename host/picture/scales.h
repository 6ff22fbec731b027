// The needles' scale tables of a loaded module, as plain rows: what the
// artwork script reads to paint every dial's marks where its needles point.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "host/core/panel_host.h"

namespace panelhost {

// One row of a needle's scale table: the needle's gauge, its drawing-order
// number, the gauge's background bitmap, where the needle turns on it, and
// the point it aims at for the value, and the angle the host turns it to
// there (clockwise from +x, unwound along the table as the host unwinds it).
struct ScaleRow {
    std::string gauge;
    int element{};
    SINT32 face{};
    PIXPOINT pivot{};
    PIXPOINT point{};
    double value{};
    double degrees{};
};

// Every needle with a scale table, of every gauge the module lists (each
// name once), in table and drawing order; read from the build-time records.
std::vector<ScaleRow> NeedleScales(const Host& host);

// The rows as tab-separated lines under a heading; values in their shortest
// exact decimal form.
void WriteScales(const std::vector<ScaleRow>& rows, std::ostream& out);

// `panelhost scales`: writes the loaded module's scales to standard output.
int ScalesCommand(const std::string& modulePath);

}  // namespace panelhost
