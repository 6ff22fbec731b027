#include "host/picture/web_pictures.h"

#include "host/picture/painter.h"

namespace panelhost {

std::string PngBytes(const Picture& picture) { return Painting(picture).Png(); }

}  // namespace panelhost
