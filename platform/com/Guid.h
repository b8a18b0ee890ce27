// The 16-byte interface and class identifier, with its registry text form
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
#pragma once
#include "platform/com/Types.h"
#include <cstring>

struct GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
};
static_assert(sizeof(GUID) == 16);

using IID = GUID;
using CLSID = GUID;
using REFIID = const GUID&;
using REFCLSID = const GUID&;
using REFGUID = const GUID&;

inline bool operator==(const GUID& a, const GUID& b) {
    return std::memcmp(&a, &b, sizeof(GUID)) == 0;
}
inline bool operator!=(const GUID& a, const GUID& b) { return !(a == b); }
inline bool IsEqualGUID(const GUID& a, const GUID& b) { return a == b; }

constexpr GUID GUID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

// Writes the braced text form (38 characters plus the terminating 0) into
// psz; returns the number of characters written including the 0, or 0 when
// cchMax is below 39.
int StringFromGUID2(REFGUID guid, WCHAR* psz, int cchMax);
// The same text in UTF-8, for registry keys and messages.
void GuidToString(REFGUID guid, char out[39]);
// Parses the braced form (case-insensitive); false on malformed text.
bool GuidFromString(const char* text, GUID* out);
