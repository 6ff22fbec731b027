// Pieces shared by the radio sets: reading the simulator's binary-coded
// decimal frequencies and codes, lighting the digit windows with the set's
// power, and writing the frequency and course windows.
#pragma once

#include <cstddef>

#include "module/gauge_builders.h"

// One decimal digit of a binary-coded decimal value, position 0 being the
// lowest nibble. The simulator never delivers a nibble above 9; one that
// arrives anyway reads as 9, so a damaged value still decodes to digits the
// knobs and drums can show, never to a number beyond the value's four digits.
constexpr UINT32 BcdDigit(UINT32 value, unsigned position) {
    const UINT32 nibble = (value >> (4 * position)) & 0xFu;
    return nibble > 9 ? 9 : nibble;
}

// COM and NAV frequencies leave out the hundreds digit of the MHz: 0x1850 is
// 118.50 MHz, 0x0800 108.00 MHz. Bits above the four digits are not part of
// the frequency and are ignored.
constexpr FLOAT64 BcdWholeMHz(UINT32 value) {
    return 100.0 + 10.0 * BcdDigit(value, 3) + BcdDigit(value, 2);
}

// The two fraction digits as a number 0 to 99: 0x1875 gives 75.
constexpr FLOAT64 BcdFraction(UINT32 value) {
    return 10.0 * BcdDigit(value, 1) + BcdDigit(value, 0);
}

// Four digits as a number 0 to 9999: the transponder code 0x7700 is 7700.
constexpr FLOAT64 BcdFourDigits(UINT32 value) {
    return 1000.0 * BcdDigit(value, 3) + 100.0 * BcdDigit(value, 2) + 10.0 * BcdDigit(value, 1) +
           BcdDigit(value, 0);
}

// Writes the digits of value, read in the from base, as digits of the to
// base: (4100, 10, 16) gives 0x4100. A base below 2 has no digits to move and
// gives the value back.
constexpr UINT32 RebaseDigits(UINT32 value, UINT32 from, UINT32 to) {
    if (from < 2) return value;
    const UINT32 rest = value % from;
    const UINT32 higher = value / from;
    if (higher == 0 && rest == 0) return 0;
    return RebaseDigits(higher, from, to) * to + rest;
}

// Windows text of the frequency and course windows: centred horizontally
// and vertically on a single line, in the Western character set.
constexpr UINT32 windowTextFlags = 0x25;
constexpr UINT32 windowCharset = 1;

// The look of a frequency or course window.
struct WindowLook {
    PIXPOINT box{};          // text box, pixels
    UINT32 characters{};     // what the host's buffer holds, less its terminator
    UINT32 foreground{}, background{}, highlight{};
    const char* font{};
    SINT32 weight{};
};

// A window's string element: up to two source tokens, the look, the routine
// that writes its text.
constexpr ELEMENT_STRING WindowString(PIXPOINT at, GAUGEHDR* gauge, ELEMENT_HEADER** next,
                                      FAILURE_RECORD* failures, SimToken first, SimToken second,
                                      const WindowLook& look, STRING_UPDATE_CALLBACK text) {
    ELEMENT_STRING window{
        .header = ElementHeader(ELEMENT_TYPE_STRING, -1, at, gauge, next, IMAGE_LAMP, failures),
        .source_var = {Token(first), Token(second), Token(tokenNone)},
        .img_size = look.box,
        .fg_color = look.foreground,
        .bg_color = look.background,
        .hilite_color = look.highlight,
        .font_weight = look.weight,
        .font_charset = windowCharset,
        .draw_text_flags = windowTextFlags,
        .max_string_length = look.characters,
        .update_cb = text,
    };
    for (std::size_t i = 0; look.font && look.font[i] && i + 1 < FONT_FACE_SIZE; ++i) {
        window.font_name[i] = look.font[i];
    }
    return window;
}

// The row of a table of gauges that belongs to a gauge; the table's length
// when it has none.
template <typename Row, std::size_t N>
constexpr std::size_t RowIndex(const Row (&rows)[N], const GAUGEHDR* gauge) {
    for (std::size_t i = 0; i < N; ++i) {
        if (rows[i].gauge == gauge) return i;
    }
    return N;
}

// Lights a digit window while its set is on and darkens it while off, and
// takes the host's on-screen mark off the element so that it is drawn anew
// with its new lighting.
void LightDigits(ELEMENT_HEADER* element, bool lit);

// Writes a window's text into the host's buffer, cut to the window's number
// of characters.
void ShowWindowText(ELEMENT_STRING* element, const char* text);

// Writes value formatted into the window. A value that is not a finite number,
// or whose text would not fit the window, shows a row of dashes instead.
void ShowWindowNumber(ELEMENT_STRING* element, const char* format, FLOAT64 value);
