// Writes the whole engine state as the project form `pndl` at a handle's
// position: common values, key map, Loop Bin entries with their sample data
// embedded, and the 16 pads. The caller holds the engine lock.
#pragma once
#include "engine/VudivuVizezud.h"
#include "platform/mmio/Mmio.h"

// S_OK, or E_FAIL at the first create, write or ascend that fails, or for an
// entry without sample data.
HRESULT WriteProject(HMMIO hmmio, CVudivuVizezud& engine);
