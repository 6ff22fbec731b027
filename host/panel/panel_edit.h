// A panel configuration edited as its designer keeps it: each change
// rewrites only the line it is about, in the file's own style (line ends,
// blanks around "=" and after commas, the case of keys), and leaves every
// other byte where it was: comments, blank lines, keys and sections the
// reader does not know, the order of everything, other modules' gauges.
//
// Changes come in batches applied all or none. Each is range-checked
// against the configuration as it stands, applied to the text, and the text
// read again: a change the reader would not take back as asked, or that
// would give the file an error it did not have, is refused with its reason
// and the text stays as it was.
//
// Saving writes a temporary file beside the configuration and renames it
// over it, so that a failed write leaves the old file whole; the file as it
// was before the first save is kept as NAME.bak; a file changed on disk
// since it was read is not overwritten unless asked to be.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "host/panel/panel_config.h"

namespace panelhost {

enum class PanelEditKind {
    Move,       // window, gauge, x, y
    Resize,     // window, gauge, width, height (none: the gauge's own aspect)
    Add,        // window, name ("MODULE!GAUGE"), x, y, width (none: the gauge's default)
    Remove,     // window, gauge
    Params,     // window, gauge, text (UTF-8; empty: none)
    Window,     // window, key, value (none: the key's line goes)
    AddWindow,  // window (empty: the next free WindowNN), value: size_mm (empty: 400,300), text: title
};

struct PanelEdit {
    PanelEditKind kind{};
    std::string window;  // section name, any case
    std::string gauge;   // key as written, any case ("gauge03")
    std::string name;    // Add
    std::optional<int> x, y, width, height;
    std::string text;    // Params: the parameters; AddWindow: the title
    std::string key;     // Window: size_mm, position, window_pos, window_size, visible
    std::optional<std::string> value;  // Window, AddWindow
};

// The window keys a designer sets by Window edits.
extern const std::span<const std::string_view> editableWindowKeys;

// A gauge of this module's table, as Add takes it.
struct TableGauge {
    std::string_view name;
};

struct EditRefusal {
    std::size_t change{};  // which change of the batch, from 0
    std::string reason;    // UTF-8
};

// Undo and redo go back this many batches at most.
inline constexpr std::size_t maxEditHistory = 500;
// Changes taken in one batch.
inline constexpr std::size_t maxEditBatch = 1000;

class PanelDocument {
public:
    // `text` as read from the file; `name` stands for it in findings.
    PanelDocument(std::string text, std::string name);

    const std::string& Text() const { return text_; }
    const PanelConfig& Config() const { return config_; }
    const std::string& Name() const { return name_; }

    // Applies the batch all or none; `table` is the module's gauge table.
    // False with the refusal, the text unchanged.
    bool Apply(std::span<const PanelEdit> changes, std::span<const TableGauge> table, EditRefusal* refusal);
    // The text as it was before the last batch applied, and again after.
    bool Undo();
    bool Redo();
    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }

    // The line a gauge stands on, as written (without its line end): what
    // a selection will be saved as.
    std::string GaugeLine(const PanelGauge& gauge) const;

private:
    void SetText(std::string text);

    std::string name_;
    std::string text_;
    PanelConfig config_;
    std::vector<std::string> undo_, redo_;
};

// The configuration's file: read once, saved as the design goes.
class PanelFile {
public:
    explicit PanelFile(std::string path) : path_(std::move(path)) {}

    // Reads the file; false with the reason.
    bool Read(std::string* text, std::string* error);

    struct Saved {
        bool written{};
        bool changedOnDisk{};  // refused: the file is not what was read
        std::string backup;    // where the previous file was kept, once per run
        std::string error;     // UTF-8
    };
    // Writes `text` in place of the file. A file no longer what was read
    // (or written last) is refused unless `overwrite`.
    Saved Save(const std::string& text, bool overwrite);

    const std::string& Path() const { return path_; }

private:
    std::string path_;
    std::string onDisk_;  // what the file held when read or written last
    bool backedUp_{};
};

}  // namespace panelhost
