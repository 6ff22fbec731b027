// Quoting what the user gave us (a scenario line, a word of the command line,
// a file name) inside a message printed on a terminal.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace panelhost {

// How many bytes of the input a quote shows before it is cut, and how long a
// whole message may grow.
inline constexpr std::size_t quoteLength = 160;
inline constexpr std::size_t messageLength = 1000;

// The text in double quotes, safe to print: control bytes (NUL, BEL, ESC,
// DEL, the 8-bit controls, ...) and bytes that are not UTF-8 appear as \xNN;
// printable UTF-8 appears as it stands. A text longer than the limit is cut
// at a character boundary and the quote ends with how many bytes were left
// out, so that a 10 MB line still gives a one-line message.
std::string Quoted(std::string_view text, std::size_t limit = quoteLength);

// The same escapes without the quotes, line breaks kept and each line cut
// at the limit: for a whole message built from parts that may hold input
// text (an error passed up from elsewhere), just before it is printed.
std::string Printable(std::string_view text, std::size_t limit = messageLength);

}  // namespace panelhost
