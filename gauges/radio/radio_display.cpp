#include "gauges/radio/radio_display.h"

#include <cmath>
#include <cstdio>
#include <cstring>

void LightDigits(ELEMENT_HEADER* element, bool lit) {
    if (!element) return;
    if (lit) {
        element->image_flags |= IMAGE_USE_LUMINOUS;
    } else {
        element->image_flags &= ~UINT32{IMAGE_USE_LUMINOUS};
    }
    element->image_flags &= ~UINT32{IMAGE_ON_SCREEN};
}

void ShowWindowText(ELEMENT_STRING* element, const char* text) {
    if (!element || !element->string || !text) return;
    const std::size_t room = element->max_string_length;
    std::size_t length = std::strlen(text);
    if (length > room) length = room;
    std::memcpy(element->string, text, length);
    element->string[length] = '\0';
}

namespace {

// Windows hold a handful of characters; anything this large cannot fit, and
// leaving it out keeps the formatting short.
constexpr FLOAT64 largestFormatted = 1e6;

}  // namespace

void ShowWindowNumber(ELEMENT_STRING* element, const char* format, FLOAT64 value) {
    if (!element || !element->string) return;
    const std::size_t room = element->max_string_length;
    char text[32];
    int length = -1;
    if (std::isfinite(value) && std::fabs(value) < largestFormatted) {
        length = std::snprintf(text, sizeof text, format, value);
    }
    if (length < 0 || static_cast<std::size_t>(length) > room) {
        std::memset(element->string, '-', room);
        element->string[room] = '\0';
        return;
    }
    ShowWindowText(element, text);
}
