// What a reader or checker of panel configurations has to say about a file:
// one finding per line at most, each with where it lies (file, line,
// column, as compilers tell it so that editors jump there), how much it
// matters and, where a name was nearly right, the names meant.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace panelhost {

// Error: the panel is not what the designer wrote (the command fails).
// Warning: the simulator takes the file, but not as the designer likely
// meant. Note: odd but harmless.
enum class Severity { Error, Warning, Note };

std::string_view SeverityName(Severity severity);  // "error", "warning", "note"

struct PanelFinding {
    std::string file;  // as given for the configuration
    int line{};        // from 1; 0 for the file as a whole
    int column{};      // from 1, in bytes of the line; 0 for the whole line
    Severity severity{Severity::Error};
    std::string message;                   // UTF-8, input text quoted
    std::vector<std::string> suggestions;  // the nearest known names, best first
};

// "FILE:LINE:COLUMN: error: message; did you mean "A" or "B"?"
std::string FindingText(const PanelFinding& finding);

bool HasErrors(std::span<const PanelFinding> findings);

// Findings in the order of the file, one per line: where a line holds
// more than one, the gravest (the first of equals) stays. Findings on the
// file as a whole (line 0) come last, all of them.
void SortFindings(std::vector<PanelFinding>& findings);

// Suggestions offered for one word, and the longest word compared: a
// hostile line gives no more work than a real name.
inline constexpr std::size_t maxSuggestions = 3;
inline constexpr std::size_t maxSuggestedLength = 64;

// The candidates nearest to `word` by edit distance (letters in any case;
// two neighbours swapped count as one edit), at most maxSuggestions, best
// first; only those close enough to be a slip of the hand (a third of the
// word's length, at most 3 edits). None for the word itself.
std::vector<std::string> NearestNames(std::string_view word, std::span<const std::string_view> candidates);

}  // namespace panelhost
