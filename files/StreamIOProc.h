// The multimedia I/O procedure that serves a handle from a host's IStream,
// so that the project form can be written and read inside the host's
// persistence stream. The context: pProcData = the stream, adwInfo[1..2] =
// the stream's position at open time (the base, low and high word),
// lDiskOffset = the offset from the base, dwReserved1 = the highest offset
// reached. Closing leaves the stream at base + that high-water mark, just
// after everything written or read. Runs on the caller's thread.
#pragma once
#include "platform/com/Stream.h"
#include "platform/mmio/Mmio.h"

LRESULT StreamIOProc(char* lpmmioinfo, UINT uMsg, LPARAM lParam1, LPARAM lParam2);

// Prepares info for mmioOpenW (no name) over pStream from its current
// position, with open flags dwFlags. Returns the stream's seek error.
HRESULT PrepareStreamIO(IStream* pStream, DWORD dwFlags, MMIOINFO* pInfo);
