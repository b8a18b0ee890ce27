// Lays the demo loop out on pads through the instrument's control interface,
// as the built-in pattern's pad table says: which slices, synced or free,
// looping or once, transposed, and the key that plays each pad.
#pragma once
#include "platform/com/Types.h"
#include <string>

class IVudivuVizezud;

class CDemoProject {
public:
    // Loads the loop file into the Loop Bin and builds the pads. S_OK, or the
    // failing result with the step in *pstrWhat.
    static HRESULT Build(IVudivuVizezud* pControl, const std::string& strLoopPath,
                         std::string* pstrWhat);
};
