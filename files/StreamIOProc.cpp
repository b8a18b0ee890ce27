#include "files/StreamIOProc.h"

namespace {
ULONGLONG Base(const MMIOINFO* info) {
    return static_cast<ULONGLONG>(info->adwInfo[1]) |
           (static_cast<ULONGLONG>(info->adwInfo[2]) << 32);
}

void RaiseHighWater(MMIOINFO* info) {
    if (info->lDiskOffset > 0 && static_cast<DWORD>(info->lDiskOffset) > info->dwReserved1)
        info->dwReserved1 = static_cast<DWORD>(info->lDiskOffset);
}

LRESULT SeekTo(MMIOINFO* info, IStream* pStream, LONGLONG nOffset) {
    if (nOffset < 0 || nOffset > MMIO_MAXOFFSET) return -1;
    LARGE_INTEGER to{static_cast<LONGLONG>(Base(info)) + nOffset};
    if (FAILED(pStream->Seek(to, STREAM_SEEK_SET, nullptr))) return -1;
    info->lDiskOffset = static_cast<LONG>(nOffset);
    RaiseHighWater(info);
    return info->lDiskOffset;
}
} // namespace

HRESULT PrepareStreamIO(IStream* pStream, DWORD dwFlags, MMIOINFO* pInfo) {
    if (pStream == nullptr || pInfo == nullptr) return E_POINTER;
    *pInfo = MMIOINFO{};
    pInfo->dwFlags = dwFlags;
    pInfo->pIOProc = StreamIOProc;
    pInfo->pProcData = pStream;
    ULARGE_INTEGER pos{0};
    const HRESULT hr = pStream->Seek(LARGE_INTEGER{0}, STREAM_SEEK_CUR, &pos);
    if (FAILED(hr)) return hr;
    pInfo->adwInfo[1] = static_cast<DWORD>(pos.QuadPart);
    pInfo->adwInfo[2] = static_cast<DWORD>(pos.QuadPart >> 32);
    pInfo->lDiskOffset = 0;
    pInfo->dwReserved1 = 0;
    return S_OK;
}

LRESULT StreamIOProc(char* lpmmioinfo, UINT uMsg, LPARAM lParam1, LPARAM lParam2) {
    auto* info = reinterpret_cast<MMIOINFO*>(lpmmioinfo);
    if (info == nullptr || info->pProcData == nullptr) return MMSYSERR_INVALPARAM;
    auto* pStream = static_cast<IStream*>(info->pProcData);
    switch (uMsg) {
    case MMIOM_READ:
    case MMIOM_WRITE:
    case MMIOM_WRITEFLUSH: {
        const LONG cb = static_cast<LONG>(lParam2);
        if (cb < 0 || cb > MMIO_MAXOFFSET - info->lDiskOffset) return -1;
        ULONG n = 0;
        const HRESULT hr =
            uMsg == MMIOM_READ
                ? pStream->Read(reinterpret_cast<void*>(lParam1), static_cast<ULONG>(cb), &n)
                : pStream->Write(reinterpret_cast<const void*>(lParam1), static_cast<ULONG>(cb),
                                 &n);
        if (FAILED(hr) || n > static_cast<ULONG>(cb)) return -1;
        // A short write is a failure for the writer; a short read is the end.
        if (uMsg != MMIOM_READ && n != static_cast<ULONG>(cb)) return -1;
        info->lDiskOffset += static_cast<LONG>(n);
        RaiseHighWater(info);
        return static_cast<LRESULT>(n);
    }
    case MMIOM_SEEK:
        switch (static_cast<int>(lParam2)) {
        case SEEK_SET: return SeekTo(info, pStream, static_cast<LONG>(lParam1));
        case SEEK_CUR:
            return SeekTo(info, pStream,
                          static_cast<LONGLONG>(info->lDiskOffset) + static_cast<LONG>(lParam1));
        case SEEK_END: return -1;
        default: return 0;
        }
    case MMIOM_OPEN: return 0;
    case MMIOM_CLOSE: {
        LARGE_INTEGER to{static_cast<LONGLONG>(Base(info) + info->dwReserved1)};
        pStream->Seek(to, STREAM_SEEK_SET, nullptr);
        return 0;
    }
    default: return 0;
    }
}
