// Pictures for the live page, encoded by the drawing library.
#pragma once

#include <string>

#include "host/picture/bitmap_source.h"

namespace panelhost {

// The picture as a PNG file's bytes (opaque); empty when it cannot be made.
std::string PngBytes(const Picture& picture);

}  // namespace panelhost
