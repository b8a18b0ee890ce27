// Loading an audio file into the engine's Loop Bin: the path check, the reader
// (or the sound file decoder), the loader and the insertion, with the results
// the control interface hands on. Runs on the loading thread; the file is read
// outside the engine lock.
#pragma once
#include "engine/VudivuVizezud.h"

// Loads the file at pszPath (UTF-8) at entry nIndex (0..15 inserts, anything
// else appends). S_OK or S_FALSE with *pnStatus 1 (Loop Bin full) or 2 (the
// output format was corrected); *pnIndex gets the entry's index. A path
// already in the bin is not read again. E_INVALIDARG for a file neither the
// reader nor the decoder can take, E_UNEXPECTED beyond the loader's limits,
// E_POINTER for null arguments. pszName (UTF-8), when given, names a new entry.
HRESULT LoadFileToBinEntry(CVudivuVizezud* pEngine, const char* pszPath, LONG nIndex, LONG* pnIndex,
                           LONG* pnStatus, const char* pszName = nullptr);
