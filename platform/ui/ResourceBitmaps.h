// Bitmap resources by id and scale: the application installs a loader (the
// editor's skin, painted by code at each scale) and controls such as
// CBitmapButton ask it; a device context asks it again for the picture at its
// own scale when it draws one. UI thread.
#pragma once
#include "platform/com/Types.h"

class CBitmap;

class CResourceBitmaps {
public:
    using Loader = const CBitmap* (*)(UINT nID, double scale);
    static void SetLoader(Loader pLoader) { Slot() = pLoader; }
    // The bitmap of nID painted at the scale, or nullptr when there is none
    // (or no loader).
    static const CBitmap* Load(UINT nID, double scale = 1.0) {
        return (nID && Slot()) ? Slot()(nID, scale) : nullptr;
    }

private:
    static Loader& Slot() {
        static Loader loader = nullptr;
        return loader;
    }
};
