// The light a picture is drawn in: day, or night with the panel lights on,
// and the tints a panel designer gives the cockpit for each.
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

// What the light does to a part's colours: a factor per channel (1 keeps
// the colour, 0 is dark).
struct Light {
    double r{1}, g{1}, b{1};
    bool Plain() const { return r == 1 && g == 1 && b == 1; }
    bool operator==(const Light&) const = default;
    bool operator<(const Light& other) const {
        return r != other.r ? r < other.r : g != other.g ? g < other.g : b < other.b;
    }
};

// Our own tints, where a panel names none: night leaves the unlit cockpit a
// cool dark and the panel lights give luminous parts a warm glow.
inline constexpr Light nightUnlitTint{.r = 0.16, .g = 0.17, .b = 0.22};
inline constexpr Light nightLuminousTint{.r = 0.95, .g = 0.72, .b = 0.50};

// The lighting of one picture: by day every part takes the day tint; by
// night unlit parts take the night tint and luminous parts (lit by the panel
// lights) the luminous tint. Bright parts (lamps, radio displays) always
// keep their full brightness.
struct LightingScheme {
    Lighting lighting{Lighting::Day};
    Light day{};
    Light night{nightUnlitTint};
    Light luminous{nightLuminousTint};

    LightingScheme() = default;
    // Our own tints in that light.
    LightingScheme(Lighting chosen) : lighting(chosen) {}  // NOLINT: a light is a scheme with our tints
};

// A tint written 0xRRGGBB as a light.
inline Light TintLight(unsigned rgb) {
    return Light{.r = ((rgb >> 16) & 0xFF) / 255.0, .g = ((rgb >> 8) & 0xFF) / 255.0, .b = (rgb & 0xFF) / 255.0};
}

}  // namespace panelhost
