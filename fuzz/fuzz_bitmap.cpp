// The decoder of the module's bitmap resources over any bytes: it decodes
// or refuses, and a decoded picture holds exactly its pixels.
#include <cstddef>
#include <cstdint>
#include <string>

#include "host/picture/bitmap_source.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    panelhost::Picture picture;
    std::string error;
    if (!panelhost::DecodeDib(data, size, picture, &error)) return 0;
    if (picture.width <= 0 || picture.height <= 0 || picture.width > panelhost::maxBitmapSide ||
        picture.height > panelhost::maxBitmapSide ||
        picture.pixels.size() != std::size_t(picture.width) * std::size_t(picture.height)) {
        __builtin_trap();
    }
    return 0;
}
