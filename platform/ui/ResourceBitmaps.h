// Bitmap resources by id: the application installs a loader (the editor's skin)
// and controls such as CBitmapButton ask it. UI thread.
#pragma once
#include "platform/com/Types.h"

class CBitmap;

class CResourceBitmaps {
public:
    using Loader = const CBitmap* (*)(UINT nID);
    static void SetLoader(Loader pLoader) { Slot() = pLoader; }
    // The bitmap of nID, or nullptr when there is none (or no loader).
    static const CBitmap* Load(UINT nID) { return (nID && Slot()) ? Slot()(nID) : nullptr; }

private:
    static Loader& Slot() {
        static Loader loader = nullptr;
        return loader;
    }
};
