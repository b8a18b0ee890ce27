#include "platform/com/Guid.h"
#include <cctype>
#include <cstdio>

void GuidToString(REFGUID g, char out[39]) {
    std::snprintf(out, 39, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.Data1, g.Data2,
                  g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5],
                  g.Data4[6], g.Data4[7]);
}

int StringFromGUID2(REFGUID guid, WCHAR* psz, int cchMax) {
    if (psz == nullptr || cchMax < 39) return 0;
    char text[39];
    GuidToString(guid, text);
    for (int i = 0; i < 39; ++i) psz[i] = static_cast<WCHAR>(text[i]);
    return 39;
}

namespace {
int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool ReadHex(const char*& p, int digits, uint64_t* value) {
    uint64_t v = 0;
    for (int i = 0; i < digits; ++i, ++p) {
        int h = HexValue(*p);
        if (h < 0) return false;
        v = (v << 4) | static_cast<uint64_t>(h);
    }
    *value = v;
    return true;
}
} // namespace

bool GuidFromString(const char* text, GUID* out) {
    if (text == nullptr || out == nullptr) return false;
    const char* p = text;
    if (*p++ != '{') return false;
    uint64_t v = 0;
    GUID g{};
    if (!ReadHex(p, 8, &v) || *p++ != '-') return false;
    g.Data1 = static_cast<uint32_t>(v);
    if (!ReadHex(p, 4, &v) || *p++ != '-') return false;
    g.Data2 = static_cast<uint16_t>(v);
    if (!ReadHex(p, 4, &v) || *p++ != '-') return false;
    g.Data3 = static_cast<uint16_t>(v);
    for (int i = 0; i < 8; ++i) {
        if (i == 2 && *p++ != '-') return false;
        if (!ReadHex(p, 2, &v)) return false;
        g.Data4[i] = static_cast<uint8_t>(v);
    }
    if (*p++ != '}' || *p != '\0') return false;
    *out = g;
    return true;
}
