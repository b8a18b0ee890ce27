// The handle: open and close through the I/O procedure, buffered reading,
// seeking, and direct access to the I/O buffer.
#include "platform/kernel/TextConvert.h"
#include "platform/mmio/MmioHandle.h"
#include <algorithm>
#include <cstring>
#include <cwchar>
#include <new>
#include <vector>

namespace {
// Reads into the buffer from the stream position; the buffer then starts there.
MMRESULT Fill(MMIOHANDLE* h) {
    MMIOINFO& info = h->info;
    LONG pos = h->Position();
    if (info.lDiskOffset != pos && h->Call(MMIOM_SEEK, pos, SEEK_SET) != pos)
        return MMIOERR_CANNOTSEEK;
    LRESULT n = h->Call(MMIOM_READ, reinterpret_cast<LPARAM>(info.pchBuffer), info.cchBuffer);
    if (n < 0) return MMIOERR_CANNOTREAD;
    info.lBufOffset = pos;
    info.pchNext = info.pchBuffer;
    info.pchEndRead = info.pchBuffer + n;
    return MMSYSERR_NOERROR;
}

// An empty buffer positioned at pos: the next read fills it from there.
void Reposition(MMIOHANDLE* h, LONG pos) {
    h->info.lBufOffset = pos;
    h->info.pchNext = h->info.pchEndRead = h->info.pchBuffer;
}

LONG ReadUnbuffered(MMIOHANDLE* h, HPSTR pch, LONG cch) {
    LRESULT n = h->Call(MMIOM_READ, reinterpret_cast<LPARAM>(pch), cch);
    return n < 0 ? -1 : static_cast<LONG>(n);
}
} // namespace

HMMIO mmioOpenW(const WCHAR* pszFileName, MMIOINFO* pmmioinfo, DWORD fdwOpen) {
    auto fail = [pmmioinfo](UINT error) -> HMMIO {
        if (pmmioinfo != nullptr) pmmioinfo->wErrorRet = error;
        return nullptr;
    };
    const bool bCustom = pszFileName == nullptr;
    if (bCustom && (pmmioinfo == nullptr || pmmioinfo->pIOProc == nullptr))
        return fail(MMSYSERR_INVALPARAM);
    auto* h = new (std::nothrow) MMIOHANDLE;
    if (h == nullptr) return fail(MMIOERR_OUTOFMEMORY);
    h->info.dwFlags = fdwOpen;
    h->info.fccIOProc = FOURCC_DOS;
    h->info.pIOProc = mmioDosIOProc;
    h->info.hmmio = h;
    if (bCustom) {
        h->info.fccIOProc = pmmioinfo->fccIOProc;
        h->info.pIOProc = pmmioinfo->pIOProc;
        for (int i = 0; i < 3; ++i) h->info.adwInfo[i] = pmmioinfo->adwInfo[i];
        h->info.dwReserved1 = pmmioinfo->dwReserved1;
        h->info.dwReserved2 = pmmioinfo->dwReserved2;
        h->info.pProcData = pmmioinfo->pProcData;
    }
    if ((fdwOpen & MMIO_ALLOCBUF) != 0) {
        LONG size = pmmioinfo != nullptr && pmmioinfo->cchBuffer > 0 ? pmmioinfo->cchBuffer
                                                                     : MMIO_DEFAULTBUFFER;
        h->buffer.reset(new (std::nothrow) char[static_cast<size_t>(size)]);
        if (h->buffer == nullptr) {
            delete h;
            return fail(MMIOERR_OUTOFMEMORY);
        }
        h->info.cchBuffer = size;
        h->info.pchBuffer = h->info.pchNext = h->info.pchEndRead = h->info.pchEndWrite =
            h->buffer.get();
    }
    LRESULT rc;
    if (bCustom) {
        rc = h->Call(MMIOM_OPEN, 0, 0);
    } else {
        // The OS takes UTF-8 paths; a long wide path needs up to 4 bytes a
        // character, so convert without the 260-element limit rather than open
        // a cut path.
        std::vector<char> path(std::wcslen(pszFileName) * 4 + 1);
        WideToMultiByte(pszFileName, path.data(), path.size());
        rc = h->Call(MMIOM_OPEN, reinterpret_cast<LPARAM>(path.data()), 0);
    }
    if (rc != MMSYSERR_NOERROR) {
        delete h;
        return fail(static_cast<UINT>(rc));
    }
    return h;
}

MMRESULT mmioClose(HMMIO hmmio, UINT) {
    if (hmmio == nullptr) return MMSYSERR_INVALHANDLE;
    LRESULT rc = hmmio->Call(MMIOM_CLOSE, 0, 0);
    delete hmmio;
    return static_cast<MMRESULT>(rc);
}

LONG mmioRead(HMMIO hmmio, HPSTR pch, LONG cch) {
    if (hmmio == nullptr || cch < 0 || (pch == nullptr && cch > 0)) return -1;
    MMIOHANDLE* h = hmmio;
    if (!h->Buffered()) return ReadUnbuffered(h, pch, cch);
    MMIOINFO& info = h->info;
    LONG total = 0;
    while (cch > 0) {
        LONG avail = static_cast<LONG>(info.pchEndRead - info.pchNext);
        if (avail == 0) {
            if (cch >= info.cchBuffer) {
                // A read of at least a buffer goes straight to the procedure.
                LONG pos = h->Position();
                if (info.lDiskOffset != pos && h->Call(MMIOM_SEEK, pos, SEEK_SET) != pos) return -1;
                LONG n = ReadUnbuffered(h, pch, cch);
                if (n < 0) return -1;
                Reposition(h, pos + n);
                return total + n;
            }
            if (Fill(h) != MMSYSERR_NOERROR) return -1;
            avail = static_cast<LONG>(info.pchEndRead - info.pchNext);
            if (avail == 0) break; // end of the file
        }
        LONG n = std::min(avail, cch);
        std::memcpy(pch, info.pchNext, static_cast<size_t>(n));
        info.pchNext += n;
        pch += n;
        cch -= n;
        total += n;
    }
    return total;
}

LONG mmioSeek(HMMIO hmmio, LONG lOffset, int iOrigin) {
    if (hmmio == nullptr) return -1;
    MMIOHANDLE* h = hmmio;
    int64_t target;
    switch (iOrigin) {
    case SEEK_SET: target = lOffset; break;
    case SEEK_CUR: target = static_cast<int64_t>(h->Position()) + lOffset; break;
    case SEEK_END: {
        LRESULT end = h->Call(MMIOM_SEEK, 0, SEEK_END);
        if (end < 0) return -1;
        target = static_cast<int64_t>(end) + lOffset;
        break;
    }
    default: return -1;
    }
    if (target < 0 || target > MMIO_MAXOFFSET) return -1;
    LONG pos = static_cast<LONG>(target);
    if (!h->Buffered()) return h->Call(MMIOM_SEEK, pos, SEEK_SET) == pos ? pos : -1;
    // Inside the bytes already buffered only pchNext moves; elsewhere the buffer
    // is emptied and refilled by the next read.
    if (pos >= h->info.lBufOffset && pos <= h->info.lBufOffset + h->BufferedBytes())
        h->info.pchNext = h->info.pchBuffer + (pos - h->info.lBufOffset);
    else
        Reposition(h, pos);
    return pos;
}

MMRESULT mmioGetInfo(HMMIO hmmio, MMIOINFO* pmmioinfo, UINT) {
    if (hmmio == nullptr) return MMSYSERR_INVALHANDLE;
    if (pmmioinfo == nullptr) return MMSYSERR_INVALPARAM;
    *pmmioinfo = hmmio->info;
    return MMSYSERR_NOERROR;
}

MMRESULT mmioSetInfo(HMMIO hmmio, const MMIOINFO* pmmioinfo, UINT) {
    if (hmmio == nullptr) return MMSYSERR_INVALHANDLE;
    if (pmmioinfo == nullptr) return MMSYSERR_INVALPARAM;
    MMIOINFO& info = hmmio->info;
    // Only the read pointer travels back, and only within the valid bytes.
    if (pmmioinfo->pchNext < info.pchBuffer || pmmioinfo->pchNext > info.pchEndRead)
        return MMSYSERR_INVALPARAM;
    info.pchNext = pmmioinfo->pchNext;
    return MMSYSERR_NOERROR;
}

MMRESULT mmioAdvance(HMMIO hmmio, MMIOINFO* pmmioinfo, UINT fuAdvance) {
    if (hmmio == nullptr) return MMSYSERR_INVALHANDLE;
    MMIOHANDLE* h = hmmio;
    if (!h->Buffered()) return MMIOERR_UNBUFFERED;
    if (fuAdvance != MMIO_READ) return MMIOERR_CANNOTWRITE;
    if (pmmioinfo != nullptr) {
        MMRESULT rc = mmioSetInfo(hmmio, pmmioinfo, 0);
        if (rc != MMSYSERR_NOERROR) return rc;
    }
    MMRESULT rc = Fill(h);
    if (rc != MMSYSERR_NOERROR) return rc;
    if (pmmioinfo != nullptr) *pmmioinfo = h->info;
    return MMSYSERR_NOERROR;
}
