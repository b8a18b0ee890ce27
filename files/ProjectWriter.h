// Writes a project as the form `pndl` at a handle's position: common values,
// key map, Loop Bin entries with their sample data embedded, and the 16 pads.
// It writes from a copy of the project (CaptureProject, under the engine
// lock), so that the file work runs without the lock.
#pragma once
#include "engine/VudivuVizezud.h"
#include "files/ProjectImage.h"
#include "platform/mmio/Mmio.h"

// Fills pImage (empty on entry) with copies of the engine's pads and Loop Bin
// entries, their grains and the key map; the copies share the sample data by
// reference. The caller holds the engine lock. S_OK or E_OUTOFMEMORY.
HRESULT CaptureProject(CVudivuVizezud& engine, CProjectImage* pImage);

// S_OK, or E_FAIL at the first create, write or ascend that fails, or for an
// entry without sample data or a missing pad. Any thread, no lock.
HRESULT WriteProject(HMMIO hmmio, const CProjectImage& project);
