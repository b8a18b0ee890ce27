// The skin: every bitmap of the editor by resource id, painted by code the
// first time it is asked for and kept for the life of the process. UI thread.
#pragma once
#include "platform/com/Types.h"
#include "platform/ui/Bitmap.h"
#include <map>

class CSkin {
public:
    // The bitmap of nID, or nullptr for an id that is no skin bitmap.
    static const CBitmap* Get(UINT nID);
    // The size the bitmap of nID has, {0, 0} for an unknown id.
    static SIZE SizeOf(UINT nID);
};
