// The write side of the handle: writing at the stream position (straight
// through any read buffer, so reads never see stale bytes) and creating chunks.
#include "platform/mmio/MmioHandle.h"

LONG mmioWrite(HMMIO hmmio, const char* pch, LONG cch) {
    if (hmmio == nullptr || cch < 0 || (pch == nullptr && cch > 0)) return -1;
    MMIOHANDLE* h = hmmio;
    if ((h->info.dwFlags & MMIO_RWMODE) == MMIO_READ) return -1;
    const LONG pos = h->Position();
    if (cch > MMIO_MAXOFFSET - pos) return -1; // past what a position can name
    if (h->info.lDiskOffset != pos && h->Call(MMIOM_SEEK, pos, SEEK_SET) != pos) return -1;
    const LRESULT n = h->Call(MMIOM_WRITE, reinterpret_cast<LPARAM>(pch), cch);
    if (h->Buffered()) h->DropBuffer(n < 0 ? pos : pos + static_cast<LONG>(n));
    return n < 0 ? -1 : static_cast<LONG>(n);
}

MMRESULT mmioFlush(HMMIO hmmio, UINT) {
    return hmmio == nullptr ? MMSYSERR_INVALHANDLE : MMSYSERR_NOERROR;
}

MMRESULT mmioCreateChunk(HMMIO hmmio, MMCKINFO* pmmcki, UINT fuCreate) {
    if (hmmio == nullptr) return MMSYSERR_INVALHANDLE;
    if (pmmcki == nullptr) return MMSYSERR_INVALPARAM;
    const LONG pos = mmioSeek(hmmio, 0, SEEK_CUR);
    if (pos < 0) return MMIOERR_CANNOTSEEK;
    LONG nHeader = 8;
    if ((fuCreate & MMIO_CREATERIFF) != 0)
        pmmcki->ckid = FOURCC_RIFF;
    else if ((fuCreate & MMIO_CREATELIST) != 0)
        pmmcki->ckid = FOURCC_LIST;
    if ((fuCreate & (MMIO_CREATERIFF | MMIO_CREATELIST)) != 0) nHeader = 12;
    DWORD header[3] = {pmmcki->ckid, pmmcki->cksize, pmmcki->fccType};
    if (mmioWrite(hmmio, reinterpret_cast<const char*>(header), nHeader) != nHeader)
        return MMIOERR_CANNOTWRITE;
    pmmcki->dwDataOffset = static_cast<DWORD>(pos + 8);
    pmmcki->dwFlags = MMIO_DIRTY;
    return MMSYSERR_NOERROR;
}
