// The cairo painter of display lists (painter.h), with pango and fontconfig
// for text: the native host's. Text is set in the faces the gauges name,
// found through fontconfig with the project's substitutions (fonts.conf).
#pragma once

#include <string>

namespace panelhost {

// The family fontconfig picks for a face name, with the project's
// substitutions (e.g. "Arial" -> "Liberation Sans").
std::string ResolvedFontFamily(const std::string& face);

}  // namespace panelhost
