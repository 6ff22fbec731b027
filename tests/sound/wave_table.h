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

// The radio altimeter's height callouts: spoken words, all recorded at one
// rate and depth.
struct CalloutEntry {
    std::uint16_t id;
    const char* file;
    std::uint32_t dataBytes;
    const char* words;
};
constexpr std::uint32_t calloutRate = 11025;
constexpr std::uint16_t calloutBits = 8;

inline const std::vector<WaveEntry>& PanelWaves() {
    static const std::vector<WaveEntry> waves = [] {
        std::vector<WaveEntry> all = {
            {10, nullptr, "click_switch.wav", 22050, 16, 3828, nullptr},
            {20, nullptr, "ratchet_brake.wav", 22050, 8, 10304, nullptr},
            {30, nullptr, "click_knob.wav", 22050, 16, 6014, nullptr},
        };
        const CalloutEntry callouts[] = {
            {2100, "radalt_1000.wav", 9950, "one thousand"},  {2110, "radalt_500.wav", 10226, "five hundred"},
            {2120, "radalt_400.wav", 10020, "four hundred"},  {2130, "radalt_300.wav", 9570, "three hundred"},
            {2140, "radalt_200.wav", 9586, "two hundred"},    {2150, "radalt_100.wav", 9893, "one hundred"},
            {2160, "radalt_50.wav", 5442, "fifty"},           {2170, "radalt_40.wav", 4468, "forty"},
            {2180, "radalt_30.wav", 4531, "thirty"},          {2190, "radalt_20.wav", 3273, "twenty"},
            {2200, "radalt_10.wav", 5099, "ten"},             {2210, "radalt_minimums.wav", 6095, "minimums"},
        };
        for (const CalloutEntry& c : callouts) {
            all.push_back({c.id, nullptr, c.file, calloutRate, calloutBits, c.dataBytes, c.words});
        }
        // The one resource loaded by name rather than number.
        all.push_back(
            {0, "WAV_RADALT_2500", "radalt_2500.wav", calloutRate, calloutBits, 11322, "twenty five hundred"});
        return all;
    }();
    return waves;
}
