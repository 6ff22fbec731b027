// Quotes of input text in messages: nothing a terminal acts on gets through,
// and a huge input gives a short message.
#include <gtest/gtest.h>

#include <string>

#include "host/messages.h"

namespace {

using panelhost::Quoted;

TEST(Quoted, EscapesWhatATerminalWouldActOn) {
    EXPECT_EQ(Quoted("plain text"), "\"plain text\"");
    EXPECT_EQ(Quoted(std::string("a\x1b[2Jb\a\0c\x7f", 10)), "\"a\\x1b[2Jb\\x07\\x00c\\x7f\"");
    EXPECT_EQ(Quoted("tab\tline\nend\r"), "\"tab\\x09line\\x0aend\\x0d\"");
    // UTF-8 text stays; the 8-bit control CSI (U+009B) and stray bytes do not.
    EXPECT_EQ(Quoted("K\xc3\xa4se \xe2\x86\x92"), "\"K\xc3\xa4se \xe2\x86\x92\"");
    EXPECT_EQ(Quoted("\xc2\x9b" "1m"), "\"\\xc2\\x9b1m\"");
    EXPECT_EQ(Quoted("\x9b\xff\xc3"), "\"\\x9b\\xff\\xc3\"");
    EXPECT_EQ(Quoted("\xed\xa0\x80"), "\"\\xed\\xa0\\x80\"");  // a surrogate
}

TEST(Quoted, CutsLongTextAtACharacterAndSaysHowMuch) {
    const std::string huge(10'000'000, 'x');
    const std::string quote = Quoted(huge);
    EXPECT_LT(quote.size(), 250u);
    EXPECT_EQ(quote, "\"" + std::string(panelhost::quoteLength, 'x') + "\" (cut, " +
                         std::to_string(huge.size() - panelhost::quoteLength) + " more bytes)");
    // A two-byte character that would cross the limit is left out whole.
    EXPECT_EQ(Quoted("ab\xc3\xa4", 3), "\"ab\" (cut, 2 more bytes)");
    EXPECT_EQ(Quoted("abc", 3), "\"abc\"");
}

TEST(Printable, KeepsLineBreaksAndCutsEachLine) {
    EXPECT_EQ(panelhost::Printable("panel: 2 problems\n    a.cfg:3: \x1b]0;x\a"),
              "panel: 2 problems\n    a.cfg:3: \\x1b]0;x\\x07");
    EXPECT_EQ(panelhost::Printable("abcdef\nxy\n", 4), "abcd ... (cut, 2 more bytes)\nxy\n");
}

}  // namespace
