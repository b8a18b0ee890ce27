// The editor's cursors by name: "DRAGCOPY" (an arrow with a plus, shown while
// files or slices are dragged). UI thread.
#pragma once
#include "platform/ui/Cursor.h"

class CCursors {
public:
    // The cursor called name, or nullptr for an unknown name.
    static const CCursor* Load(const wchar_t* name);
};
