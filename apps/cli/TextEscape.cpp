#include "apps/cli/TextEscape.h"
#include <cstdio>

namespace {
// Length of the valid UTF-8 sequence at p[0], or 0 when it is not one.
size_t Utf8Length(std::string_view s, size_t i) {
    const auto b = static_cast<unsigned char>(s[i]);
    size_t n = 0;
    unsigned nMin = 0;
    unsigned cp = 0;
    if (b < 0x80) return 1;
    if ((b & 0xE0) == 0xC0)
        n = 2, nMin = 0x80, cp = b & 0x1F;
    else if ((b & 0xF0) == 0xE0)
        n = 3, nMin = 0x800, cp = b & 0x0F;
    else if ((b & 0xF8) == 0xF0)
        n = 4, nMin = 0x10000, cp = b & 0x07;
    else
        return 0;
    if (i + n > s.size()) return 0;
    for (size_t k = 1; k < n; ++k) {
        const auto c = static_cast<unsigned char>(s[i + k]);
        if ((c & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (c & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not valid.
    if (cp < nMin || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return n;
}
} // namespace

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        const size_t n = Utf8Length(text, i);
        char esc[8];
        if (n == 0) {
            // Latin-1 byte as its two-byte UTF-8 form.
            out += static_cast<char>(0xC0 | (b >> 6));
            out += static_cast<char>(0x80 | (b & 0x3F));
            i += 1;
            continue;
        }
        if (n > 1) {
            out.append(text.substr(i, n));
        } else if (b == '"' || b == '\\') {
            out += '\\';
            out += static_cast<char>(b);
        } else if (b == '\n') {
            out += "\\n";
        } else if (b == '\t') {
            out += "\\t";
        } else if (b == '\r') {
            out += "\\r";
        } else if (b < 0x20 || b == 0x7F) {
            std::snprintf(esc, sizeof(esc), "\\u%04x", b);
            out += esc;
        } else {
            out += static_cast<char>(b);
        }
        i += n;
    }
    return out + "\"";
}

std::string PrintableText(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size();) {
        const size_t n = Utf8Length(text, i);
        const auto b = static_cast<unsigned char>(text[i]);
        if (n == 0 || (n == 1 && (b < 0x20 || b == 0x7F))) {
            out += '?';
            i += 1;
        } else if (n == 2 && b == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0) {
            out += '?'; // C1 control characters
            i += 2;
        } else {
            out.append(text.substr(i, n));
            i += n;
        }
    }
    return out;
}
