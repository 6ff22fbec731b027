// Binary-coded decimal as the simulator keeps radio frequencies and codes:
// one decimal digit a nibble, the lowest digit in the lowest nibble. Read by
// the radio gauges and written by the panel host's simulated radios.
#pragma once

#include "module/gauge_records.h"

// One decimal digit, position 0 being the lowest nibble. The simulator never
// delivers a nibble above 9; one that arrives anyway reads as 9, so a damaged
// value still decodes to digits the knobs and drums can show, never to a
// number beyond the value's digits.
constexpr UINT32 BcdDigit(UINT32 value, unsigned position) {
    const UINT32 nibble = (value >> (4 * position)) & 0xFu;
    return nibble > 9 ? 9 : nibble;
}

// One decimal digit of a whole number, position 0 the units: (118, 1) gives
// 1, (7700, 3) gives 7. The radios' knobs and drums show the digits of the
// numbers they decode from BCD, which are whole and never negative; a number
// that is negative, not a number or beyond 32 bits shows 0.
constexpr FLOAT64 DecimalDigit(FLOAT64 number, unsigned position) {
    if (!(number >= 0 && number < 4294967296.0)) return 0;
    UINT32 whole = static_cast<UINT32>(number);
    for (unsigned i = 0; i < position; ++i) whole /= 10;
    return whole % 10;
}

// Two decimal digits as BCD: 75 gives 0x75. Hundreds and above are dropped.
constexpr UINT32 BcdTwoDigits(UINT32 number) { return (number / 10 % 10) << 4 | number % 10; }

// COM and NAV frequencies leave out the hundreds digit of the MHz: 0x1850 is
// 118.50 MHz, 0x0800 108.00 MHz. Bits above the four digits are not part of
// the frequency and are ignored.
constexpr UINT32 BcdWholeMHz(UINT32 value) { return 100 + 10 * BcdDigit(value, 3) + BcdDigit(value, 2); }

// The two fraction digits as a number 0 to 99: 0x1875 gives 75.
constexpr UINT32 BcdFraction(UINT32 value) { return 10 * BcdDigit(value, 1) + BcdDigit(value, 0); }

// A COM or NAV frequency from whole MHz (100 to 199) and its two fraction
// digits: (118, 50) gives 0x1850.
constexpr UINT32 BcdFrequency(UINT32 wholeMHz, UINT32 fraction) {
    return BcdTwoDigits(wholeMHz - 100) << 8 | BcdTwoDigits(fraction);
}

// Four digits as a number 0 to 9999: the transponder code 0x7700 is 7700.
constexpr UINT32 BcdFourDigits(UINT32 value) {
    return 1000 * BcdDigit(value, 3) + 100 * BcdDigit(value, 2) + 10 * BcdDigit(value, 1) + BcdDigit(value, 0);
}

// The ADF frequency spans two tokens: the first holds the hundreds, tens and
// units of the kHz; the second the thousands as a flag of 0x100 and the
// tenths of a kHz in its lowest nibble.
constexpr UINT32 adfThousandsFlag = 0x100;

// Whole kHz of the ADF frequency, 0 to 1999.
constexpr UINT32 AdfWholeKHz(UINT32 digits, UINT32 extension) {
    return (extension >= adfThousandsFlag ? 1000 : 0) + 100 * BcdDigit(digits, 2) + 10 * BcdDigit(digits, 1) +
           BcdDigit(digits, 0);
}

// Tenths of a kHz of the ADF frequency, 0 to 9.
constexpr UINT32 AdfTenthDigit(UINT32 extension) { return BcdDigit(extension % adfThousandsFlag, 0); }

// The two tokens for a frequency of whole kHz (below 2000) and tenths.
constexpr UINT32 AdfDigits(UINT32 wholeKHz) { return wholeKHz % 1000 / 100 << 8 | BcdTwoDigits(wholeKHz % 100); }
constexpr UINT32 AdfExtension(UINT32 wholeKHz, UINT32 tenths) {
    return (wholeKHz >= 1000 ? adfThousandsFlag : 0) + tenths % 10;
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

static_assert(RebaseDigits(4100, 10, 16) == 0x4100);
static_assert(RebaseDigits(8500, 10, 16) == 0x8500);
static_assert(RebaseDigits(0, 10, 16) == 0);
static_assert(RebaseDigits(1234, 1, 16) == 1234);  // no digits in base 1: no endless descent
static_assert(DecimalDigit(118, 0) == 8 && DecimalDigit(118, 1) == 1 && DecimalDigit(136, 2) == 1);
static_assert(DecimalDigit(7700, 3) == 7 && DecimalDigit(95, 3) == 0 && DecimalDigit(-5, 0) == 0);
static_assert(BcdWholeMHz(0x1850) == 118 && BcdFraction(0x1850) == 50);
static_assert(BcdWholeMHz(0xFFFFFFFFu) == 199 && BcdFraction(0xFFFFFFFFu) == 99);
static_assert(BcdFrequency(BcdWholeMHz(0x3697), BcdFraction(0x3697)) == 0x3697);
static_assert(AdfWholeKHz(AdfDigits(1750), AdfExtension(1750, 5)) == 1750 && AdfTenthDigit(AdfExtension(1750, 5)) == 5);
