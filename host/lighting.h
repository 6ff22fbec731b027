// The light a picture is drawn in: day, or night with the panel lights on.
#pragma once

#include <optional>
#include <string_view>

namespace panelhost {

enum class Lighting { Day, Night };

// "day" or "night"; nothing for anything else.
inline std::optional<Lighting> LightingByName(std::string_view name) {
    if (name == "day") return Lighting::Day;
    if (name == "night") return Lighting::Night;
    return std::nullopt;
}

}  // namespace panelhost
