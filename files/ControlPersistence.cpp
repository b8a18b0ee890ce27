// Host persistence: the project form inside the host's stream, through the
// stream I/O procedure; read and written without the engine lock, as project
// files are.
#include "files/ControlInterface.h"
#include "files/StreamIOProc.h"

HRESULT CControlInterface::SaveState(IStream* pStream) {
    if (pStream == nullptr) return E_POINTER;
    constexpr DWORD kFlags = MMIO_CREATE | MMIO_READWRITE;
    MMIOINFO info;
    const HRESULT hrSeek = PrepareStreamIO(pStream, kFlags, &info);
    if (FAILED(hrSeek)) return hrSeek;
    HMMIO h = mmioOpenW(nullptr, &info, kFlags);
    if (h == nullptr) return E_FAIL;
    const HRESULT hr = WriteProjectFrom(h);
    mmioClose(h, 0);
    return hr;
}

HRESULT CControlInterface::LoadState(IStream* pStream) {
    if (pStream == nullptr) return E_POINTER;
    MMIOINFO info;
    const HRESULT hrSeek = PrepareStreamIO(pStream, MMIO_READ, &info);
    if (FAILED(hrSeek)) return hrSeek;
    HMMIO h = mmioOpenW(nullptr, &info, MMIO_READ);
    if (h == nullptr) return E_FAIL;
    // Staged like a project file: the engine changes only when the whole form was read.
    const HRESULT hr = ReadProjectInto(h);
    mmioClose(h, 0);
    return hr;
}
