// A gauge's sweep sheet: one picture of the states it can show, so that a
// designer sees how it moves and a reviewer sees at a glance what is cut,
// misplaced or unreadable. The first row shows the gauge as placed, by day
// and by night, whole and with every failure its elements list; each
// further row one moving element: a needle at both ends of its table and
// half way round, an icon in each of its images, a drum or strip at its
// start, middle and end, a slider or sprite driven by its tokens across the
// simulator's range of them (turned a full turn in quarters when nothing
// drives its turn that the sheet knows).
#pragma once

#include <string>

namespace panelhost {

// `panelhost sweep GAUGE [--params TEXT] FILE`: places the gauge alone,
// connects, runs one frame and writes its sheet as a PNG. 0 when written,
// 1 when the gauge cannot be drawn or the file written, 2 for bad usage.
int SweepCommand(const std::string& modulePath, int argc, char** argv);

}  // namespace panelhost
