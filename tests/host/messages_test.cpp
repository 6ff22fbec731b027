// Quotes of input text in messages: nothing a terminal acts on gets through,
// and a huge input gives a short message.
#include <gtest/gtest.h>

#include <string>

#include "host/core/messages.h"

namespace {

using panelhost::Quoted;

TEST(Quoted, EscapesControlBytesAndCutsAtACharacter) {
    EXPECT_EQ(Quoted(std::string("a\x1b[2J\a\0\t\x7f", 9)), "\"a\\x1b[2J\\x07\\x00\\x09\\x7f\"");
    // UTF-8 text stays; the 8-bit control CSI (U+009B) and stray bytes do not.
    EXPECT_EQ(Quoted("K\xc3\xa4se \xc2\x9b \x9b\xff\xc3"), "\"K\xc3\xa4se \\xc2\\x9b \\x9b\\xff\\xc3\"");
    EXPECT_EQ(Quoted(std::string(10'000'000, 'x')),
              "\"" + std::string(panelhost::quoteLength, 'x') + "\" (cut, " +
                  std::to_string(10'000'000 - panelhost::quoteLength) + " more bytes)");
    EXPECT_EQ(Quoted("ab\xc3\xa4", 3), "\"ab\" (cut, 2 more bytes)");  // never half a character
    EXPECT_EQ(panelhost::Printable("abcdef\n\x1b", 4), "abcd ... (cut, 2 more bytes)\n\\x1b");
}

}  // namespace
