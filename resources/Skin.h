// The skin: every bitmap of the editor by resource id and scale, painted by
// code at that scale the first time it is asked for (so a 2x page gets
// pictures drawn at twice the resolution, not enlarged ones) and kept for the
// life of the process. UI thread.
#pragma once
#include "platform/com/Types.h"
#include "platform/ui/Bitmap.h"
#include <map>

class CSkin {
public:
    // The bitmap of nID painted at the scale (its size in page pixels stays
    // SizeOf(nID)), or nullptr for an id that is no skin bitmap.
    static const CBitmap* Get(UINT nID, double scale = 1.0);
    // The size the bitmap of nID has in page pixels, {0, 0} for an unknown id.
    static SIZE SizeOf(UINT nID);
};
