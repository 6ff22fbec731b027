// Pictures and light for the live page, from the drawing library: kept
// apart from the display-list code, which needs no drawing library.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "host/bitmap_source.h"
#include "host/lighting.h"

namespace panelhost {

// The picture as a PNG file's bytes (opaque); empty when it cannot be made.
std::string PngBytes(const Picture& picture);

// The factors (r, g, b) the light gives an element with these image flags
// (0: the panel around the instruments).
std::array<double, 3> LightFactorsOf(Lighting lighting, std::uint32_t imageFlags);

}  // namespace panelhost
