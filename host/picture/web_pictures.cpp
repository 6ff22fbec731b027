#include "host/picture/web_pictures.h"

#include "host/picture/drawing.h"

namespace panelhost {

std::string PngBytes(const Picture& picture) {
    std::string bytes;
    const SurfacePtr canvas = CanvasFromPicture(picture);
    if (!canvas) return bytes;
    const auto append = [](void* closure, const unsigned char* data, unsigned int length) {
        static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
        return CAIRO_STATUS_SUCCESS;
    };
    if (cairo_surface_write_to_png_stream(canvas.get(), append, &bytes) != CAIRO_STATUS_SUCCESS) bytes.clear();
    return bytes;
}

}  // namespace panelhost
