// The editor's string table: caption, font face and message texts by id.
// Any thread (the table is constant).
#pragma once
#include "platform/com/Types.h"
#include <string>

class CStringTable {
public:
    // The text of id, or an empty string for an unknown id.
    static std::wstring Load(UINT nID);
};
