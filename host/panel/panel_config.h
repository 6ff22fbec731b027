// The simulator's panel configuration file (panel.cfg), read as aircraft ship
// it: a [Window Titles] section, one [WindowNN] section per panel window
// with its background bitmap, design size, position, visibility, identifier
// and the gauges placed on it:
//
//   [Window Titles]
//   Window00=Main Panel
//
//   [Window00]
//   file=main.bmp            // background in the file's folder or below (optional)
//   size_mm=1600,900         // design space of the gauge coordinates
//   position=7
//   visible=1
//   ident=MAIN_PANEL         // a number or a window name
//   gauge00=QR417_Instr!Airspeed, 40, 60, 200
//   gauge01=QR417_Instr!Tachometer, 260, 60, 200, 200, 2
//
// A gauge line gives, by position, module!gauge, x, y, width, height and the
// parameters text: width, height and parameters may be absent or empty, and
// the parameters run from the sixth field to the end of the line, commas
// included. Keys are compared without regard to case; lines may end in CRLF
// or LF; text is Windows-1252 and is handed on as UTF-8 (titles, file names)
// or byte for byte (parameters, which the gauges read as the simulator gives
// them). Lines whose first non-blank characters are "//" or ";" are comments,
// and so is what follows "//", or ";" after a blank, in a value; a UTF-8
// byte-order mark is skipped. Sections come in any order. [VcockpitNN]
// sections are read as windows of the virtual cockpit; [Color] gives the
// panel's tints; sections and keys the simulator reads but that change no
// picture ([Views], file_800, sizeable, htmlgaugeNN, ...) are passed over.
//
// Nothing here fails as a whole: every line gets one finding at most (see
// panel_findings.h) and the rest of the file is still read. A malformed
// line is an error; what the simulator takes but likely not as meant is a
// warning (a misspelt key, a gap in the gauge numbers, the same gauge number
// twice); what is odd but harmless is a note (a window without a title, a
// window name the module does not know).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "host/panel/panel_findings.h"

namespace panelhost {

// Window numbers of the host's panel configuration, by name: the names that
// `ident=` and the toggles' parameters use.
std::optional<int> PanelWindowByName(std::string_view name);

struct PanelGauge {
    int line{};            // line of the gauge entry, for messages
    int moduleColumn{}, gaugeColumn{}, xColumn{};  // where the names and X stand on it
    std::string key;       // "gauge03", lower case
    std::string module;    // as written before "!", e.g. "QR417_Instr"
    std::string gauge;     // as written after "!"
    int x{}, y{};          // top-left corner in the window's design space
    std::optional<int> width, height;  // 0: a logic gauge, nothing drawn
    std::optional<std::string> params;  // absent when the line has no sixth field
};

struct PanelWindow {
    int line{};                  // line of the section header
    std::string section;         // "Window00" as written
    int number{};                // NN of the section name
    std::string title;           // from [Window Titles], UTF-8
    std::string file;            // background bitmap file name (file=, else file_1024=), UTF-8, "" for none
    int fileLine{};
    std::optional<int> sizeWidth, sizeHeight;  // size_mm; 0,0 for nothing to draw
    std::optional<int> position;
    bool visible{true};
    std::optional<int> ident;
    std::string identName;  // an ident written as a window name the module does not know
    // background_color=R,G,B: the panel colour where there is no bitmap.
    std::optional<std::uint32_t> backgroundRgb;
    std::vector<PanelGauge> gauges;  // in file order

    // Where the simulator shows the window on the screen: window_pos and
    // window_size as fractions of the screen (a width alone: the height
    // follows the window's aspect), else `position` (0-8: the nine places
    // of the screen, 0 top left, 8 bottom right); zorder stacks;
    // window_size_ratio scales a window sized from its design space.
    std::optional<double> screenX, screenY, screenWidth, screenHeight;
    std::optional<int> zorder;
    std::optional<double> sizeRatio;

    // A [VcockpitNN] section: a texture of pixel_size that the virtual
    // cockpit maps (texture=$Panel_1), its gauges placed in size_mm units.
    bool virtualCockpit{};
    std::optional<int> pixelWidth, pixelHeight;  // 0,0 for nothing to draw
    std::string texture;
};

// A window or texture of size 0 (a virtual-cockpit section that carries
// only logic gauges): its gauges run, nothing is drawn.
bool NothingToDraw(const PanelWindow& window);

// A gauge placed with a width or height of 0: it runs unseen.
bool Unseen(const PanelGauge& gauge);

// The side of the square texture the simulator draws for a pixel_size of
// one number.
inline constexpr int oneNumberTextureSide = 512;

// The [Color] section: how the simulator tints the panel. `day` tints
// everything by day, `night` the unlit parts at night, `luminous` the parts
// the panel lights light (each 0xRRGGBB).
struct PanelColours {
    std::optional<std::uint32_t> day, night, luminous;
};

struct PanelConfig {
    std::string name;  // the file's name as given, for messages
    std::vector<PanelWindow> windows;  // in file order
    std::vector<PanelFinding> findings;  // in line order
    PanelColours colours;

    const PanelWindow* Window(std::string_view section) const;
};

// Design coordinates and sizes are held to this bound (either sign): no
// panel comes near it, and it keeps every sum of them inside 32 bits.
inline constexpr int maxPanelCoordinate = 100000;

// What a configuration may ask for, well above any real panel: more is one
// error, and what lies beyond is not read.
inline constexpr std::size_t maxPanelWindows = 256;
inline constexpr std::size_t maxPanelGauges = 4096;
inline constexpr int maxPanelLines = 200000;
inline constexpr std::size_t maxPanelLineLength = 16384;
inline constexpr std::size_t maxPanelFileBytes = 16 * 1024 * 1024;
// Notes told for one configuration; the rest are counted.
inline constexpr std::size_t maxPanelNotes = 100;

// Reads a configuration held in memory; `name` stands for the file in
// messages. Touches no file.
PanelConfig ParsePanelConfig(std::string_view text, const std::string& name);

// The keys of a window section and the sections the reader knows, each
// with what it does: the checker's table and the designers' (README).
struct KnownName {
    std::string_view name;
    std::string_view use;
};
extern const std::span<const KnownName> knownWindowKeys;
extern const std::span<const KnownName> knownSections;

// Reads the file; a file that cannot be opened gives one error and no
// windows, one that fails while being read one error and the lines before.
PanelConfig ReadPanelConfig(const std::string& path);

// Where a configuration's bytes come from: fills up to `size` bytes and
// tells how many (0 at the end), or nothing when reading fails.
using PanelConfigSource = std::function<std::optional<std::size_t>(char* buffer, std::size_t size)>;
PanelConfig ReadPanelConfigFrom(const PanelConfigSource& source, const std::string& name);

// Windows-1252 text as UTF-8 (bytes the code page leaves undefined become
// U+FFFD).
std::string Utf8FromWindows1252(std::string_view text);

// Whether two names or keys are the same but for the case of ASCII letters,
// as the simulator compares section, key, window and file names.
bool SameWord(std::string_view a, std::string_view b);

}  // namespace panelhost
