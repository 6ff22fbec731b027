// Terminal-safe quotes of input text for messages.
#include "host/core/messages.h"

#include <algorithm>

namespace panelhost {

namespace {

// Bytes of the well-formed UTF-8 character that starts text[i]; 0 when the
// bytes there are no such character (stray continuation, overlong form,
// surrogate, past U+10FFFF, cut short).
std::size_t CharacterLength(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xbf;  // range of the second byte
    if (lead < 0x80) return 1;
    if (lead >= 0xc2 && lead <= 0xdf) length = 2;
    else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        if (lead == 0xe0) low = 0xa0;
        if (lead == 0xed) high = 0x9f;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        if (lead == 0xf0) low = 0x90;
        if (lead == 0xf4) high = 0x8f;
    } else {
        return 0;
    }
    if (text.size() - i < length) return 0;
    if (byte(i + 1) < low || byte(i + 1) > high) return 0;
    for (std::size_t k = 2; k < length; ++k)
        if (byte(i + k) < 0x80 || byte(i + k) > 0xbf) return 0;
    return length;
}

// The characters U+0080 to U+009F: terminals may act on them like ESC.
bool EightBitControl(std::string_view text, std::size_t i, std::size_t length) {
    return length == 2 && static_cast<unsigned char>(text[i]) == 0xc2 &&
           static_cast<unsigned char>(text[i + 1]) < 0xa0;
}

void AppendEscaped(std::string& out, unsigned char c) {
    static constexpr char digits[] = "0123456789abcdef";
    out += "\\x";
    out += digits[c >> 4];
    out += digits[c & 0xf];
}

// Appends the text, escaped, up to the limit; returns how many bytes of it
// were taken.
std::size_t AppendPrintable(std::string& out, std::string_view text, std::size_t limit) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t length = CharacterLength(text, i);
        const std::size_t taken = length == 0 ? 1 : length;
        if (i + taken > limit) break;
        if (length == 1 && c >= 0x20 && c != 0x7f) {
            out += text[i];
        } else if (length > 1 && !EightBitControl(text, i, length)) {
            out.append(text.substr(i, length));
        } else {
            for (std::size_t k = 0; k < taken; ++k) AppendEscaped(out, static_cast<unsigned char>(text[i + k]));
        }
        i += taken;
    }
    return i;
}

std::string CutMark(std::size_t left) { return " (cut, " + std::to_string(left) + " more bytes)"; }

}  // namespace

std::string Quoted(std::string_view text, std::size_t limit) {
    std::string out = "\"";
    const std::size_t taken = AppendPrintable(out, text, limit);
    out += '"';
    if (taken < text.size()) out += CutMark(text.size() - taken);
    return out;
}

std::string Printable(std::string_view text, std::size_t limit) {
    std::string out;
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view line = text.substr(start, end - start);
        const std::size_t taken = AppendPrintable(out, line, limit);
        if (taken < line.size()) out += " ..." + CutMark(line.size() - taken);
        if (end == text.size()) break;
        out += '\n';
        start = end + 1;
    }
    return out;
}

}  // namespace panelhost
