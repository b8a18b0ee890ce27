#include "platform/kernel/TextConvert.h"
#include <cstdint>

namespace {
constexpr char32_t kReplacement = 0xFFFD;

// Decodes one UTF-8 sequence at p; advances p past it (at least one byte).
char32_t DecodeUtf8(const unsigned char*& p) {
    unsigned char c = *p++;
    if (c < 0x80) return c;
    int extra = 0;
    char32_t cp = 0;
    if ((c & 0xE0) == 0xC0) {
        extra = 1;
        cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        extra = 2;
        cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        extra = 3;
        cp = c & 0x07;
    } else {
        return kReplacement;
    }
    for (int i = 0; i < extra; ++i) {
        if ((*p & 0xC0) != 0x80) return kReplacement; // truncated: leave *p for the next round
        cp = (cp << 6) | (*p++ & 0x3F);
    }
    static constexpr char32_t kMin[4] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return kReplacement;
    return cp;
}

size_t EncodeUtf8(char32_t cp, char* out) {
    if (cp < 0x80) {
        out[0] = static_cast<char>(cp);
        return 1;
    }
    if (cp < 0x800) {
        out[0] = static_cast<char>(0xC0 | (cp >> 6));
        out[1] = static_cast<char>(0x80 | (cp & 0x3F));
        return 2;
    }
    if (cp < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (cp >> 12));
        out[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (cp & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (cp >> 18));
    out[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (cp & 0x3F));
    return 4;
}
} // namespace

size_t MultiByteToWide(const char* text, wchar_t* out, size_t cch) {
    if (out == nullptr || cch == 0) return 0;
    size_t n = 0;
    if (text != nullptr) {
        auto p = reinterpret_cast<const unsigned char*>(text);
        while (*p != 0 && n + 1 < cch) out[n++] = static_cast<wchar_t>(DecodeUtf8(p));
    }
    out[n] = 0;
    out[cch - 1] = 0;
    return n;
}

size_t WideToMultiByte(const wchar_t* text, char* out, size_t cb) {
    if (out == nullptr || cb == 0) return 0;
    size_t n = 0;
    if (text != nullptr) {
        for (; *text != 0; ++text) {
            char32_t cp = static_cast<char32_t>(*text);
            if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = kReplacement;
            char seq[4];
            size_t len = EncodeUtf8(cp, seq);
            if (n + len + 1 > cb) break;
            for (size_t i = 0; i < len; ++i) out[n++] = seq[i];
        }
    }
    out[n] = 0;
    out[cb - 1] = 0;
    return n;
}

std::wstring WideFromUtf8(const char* text) {
    wchar_t buffer[kTextBufferLength];
    MultiByteToWide(text, buffer, kTextBufferLength);
    return buffer;
}

std::string Utf8FromWide(const wchar_t* text) {
    char buffer[kTextBufferLength];
    WideToMultiByte(text, buffer, kTextBufferLength);
    return buffer;
}
