// The panel's wave resources as gauges load them: resource, recording and
// the format the player is given.
#pragma once

#include <cstdint>
#include <vector>

struct WaveEntry {
    std::uint16_t id;   // 0 for the one named resource
    const char* name;   // the named resource, else null
    const char* file;   // under resources/waves/
    std::uint32_t rate;
    std::uint16_t bits;
    std::uint32_t dataBytes;
    const char* words;  // spoken callouts: what is said; null for mechanical sounds
};

inline const std::vector<WaveEntry>& PanelWaves() {
    static const std::vector<WaveEntry> waves = {
        {10, nullptr, "click_switch.wav", 22050, 16, 3828, nullptr},
        {20, nullptr, "ratchet_brake.wav", 22050, 8, 10304, nullptr},
        {30, nullptr, "click_knob.wav", 22050, 16, 6014, nullptr},
        {2100, nullptr, "radalt_1000.wav", 11025, 8, 9950, "one thousand"},
        {2110, nullptr, "radalt_500.wav", 11025, 8, 10226, "five hundred"},
        {2120, nullptr, "radalt_400.wav", 11025, 8, 10020, "four hundred"},
        {2130, nullptr, "radalt_300.wav", 11025, 8, 9570, "three hundred"},
        {2140, nullptr, "radalt_200.wav", 11025, 8, 9586, "two hundred"},
        {2150, nullptr, "radalt_100.wav", 11025, 8, 9893, "one hundred"},
        {2160, nullptr, "radalt_50.wav", 11025, 8, 5442, "fifty"},
        {2170, nullptr, "radalt_40.wav", 11025, 8, 4468, "forty"},
        {2180, nullptr, "radalt_30.wav", 11025, 8, 4531, "thirty"},
        {2190, nullptr, "radalt_20.wav", 11025, 8, 3273, "twenty"},
        {2200, nullptr, "radalt_10.wav", 11025, 8, 5099, "ten"},
        {2210, nullptr, "radalt_minimums.wav", 11025, 8, 6095, "minimums"},
        {0, "WAV_RADALT_2500", "radalt_2500.wav", 11025, 8, 11322, "twenty five hundred"},
    };
    return waves;
}
