// RIFF chunk navigation over a handle: descend into or search for a chunk,
// ascend to the end of one.
#include "platform/mmio/MmioHandle.h"

namespace {
constexpr LONG kHeaderBytes = 8;

bool ReadExact(HMMIO h, void* out, LONG n) { return mmioRead(h, static_cast<char*>(out), n) == n; }

bool IsList(FOURCC id) { return id == FOURCC_RIFF || id == FOURCC_LIST; }

bool Matches(const MMCKINFO& found, const MMCKINFO& wanted, UINT mode) {
    switch (mode) {
    case MMIO_FINDCHUNK: return found.ckid == wanted.ckid;
    case MMIO_FINDRIFF: return found.ckid == FOURCC_RIFF && found.fccType == wanted.fccType;
    case MMIO_FINDLIST: return found.ckid == FOURCC_LIST && found.fccType == wanted.fccType;
    default: return true;
    }
}

// Offset just past a chunk and its pad byte; 64-bit, so a huge size cannot wrap.
int64_t ChunkEnd(const MMCKINFO& ck) {
    return static_cast<int64_t>(ck.dwDataOffset) + ck.cksize + (ck.cksize & 1);
}
} // namespace

MMRESULT mmioDescend(HMMIO hmmio, MMCKINFO* pmmcki, const MMCKINFO* pmmckiParent, UINT fuDescend) {
    if (hmmio == nullptr) return MMSYSERR_INVALHANDLE;
    if (pmmcki == nullptr) return MMSYSERR_INVALPARAM;
    const UINT mode = fuDescend & (MMIO_FINDCHUNK | MMIO_FINDRIFF | MMIO_FINDLIST);
    if (mode != 0 && mode != MMIO_FINDCHUNK && mode != MMIO_FINDRIFF && mode != MMIO_FINDLIST)
        return MMSYSERR_INVALPARAM;
    // Chunk headers must lie within the parent's body.
    const int64_t limit =
        pmmckiParent != nullptr
            ? static_cast<int64_t>(pmmckiParent->dwDataOffset) + pmmckiParent->cksize
            : INT64_MAX;
    const MMCKINFO wanted = *pmmcki;
    for (;;) {
        LONG pos = mmioSeek(hmmio, 0, SEEK_CUR);
        if (pos < 0) return MMIOERR_CANNOTSEEK;
        if (pos + int64_t{kHeaderBytes} > limit) return MMIOERR_CHUNKNOTFOUND;
        DWORD header[2];
        if (!ReadExact(hmmio, header, kHeaderBytes)) return MMIOERR_CHUNKNOTFOUND;
        MMCKINFO found{};
        found.ckid = header[0];
        found.cksize = header[1];
        found.dwDataOffset = static_cast<DWORD>(pos + kHeaderBytes);
        if (IsList(found.ckid)) {
            if (pos + int64_t{kHeaderBytes} + 4 > limit) return MMIOERR_CHUNKNOTFOUND;
            if (!ReadExact(hmmio, &found.fccType, 4)) return MMIOERR_CHUNKNOTFOUND;
        }
        if (Matches(found, wanted, mode)) {
            *pmmcki = found;
            return MMSYSERR_NOERROR;
        }
        // A chunk reaching past what a position can name has nothing behind it.
        int64_t next = ChunkEnd(found);
        if (next > MMIO_MAXOFFSET || mmioSeek(hmmio, static_cast<LONG>(next), SEEK_SET) < 0)
            return MMIOERR_CHUNKNOTFOUND;
    }
}

MMRESULT mmioAscend(HMMIO hmmio, MMCKINFO* pmmcki, UINT) {
    if (hmmio == nullptr) return MMSYSERR_INVALHANDLE;
    if (pmmcki == nullptr) return MMSYSERR_INVALPARAM;
    if ((pmmcki->dwFlags & MMIO_DIRTY) != 0) {
        // The chunk ends where the writer stands: patch the size, pad to even.
        const LONG pos = mmioSeek(hmmio, 0, SEEK_CUR);
        if (pos < 0 || static_cast<int64_t>(pos) < pmmcki->dwDataOffset) return MMIOERR_CANNOTSEEK;
        const DWORD size = static_cast<DWORD>(pos) - pmmcki->dwDataOffset;
        if (size != pmmcki->cksize) {
            if (mmioSeek(hmmio, static_cast<LONG>(pmmcki->dwDataOffset) - 4, SEEK_SET) < 0)
                return MMIOERR_CANNOTSEEK;
            if (mmioWrite(hmmio, reinterpret_cast<const char*>(&size), 4) != 4)
                return MMIOERR_CANNOTWRITE;
            if (mmioSeek(hmmio, pos, SEEK_SET) != pos) return MMIOERR_CANNOTSEEK;
        }
        if ((size & 1) != 0) {
            const char pad = 0;
            if (mmioWrite(hmmio, &pad, 1) != 1) return MMIOERR_CANNOTWRITE;
        }
        pmmcki->cksize = size;
        pmmcki->dwFlags &= ~MMIO_DIRTY;
        return MMSYSERR_NOERROR;
    }
    int64_t end = ChunkEnd(*pmmcki);
    if (end > MMIO_MAXOFFSET || mmioSeek(hmmio, static_cast<LONG>(end), SEEK_SET) < 0)
        return MMIOERR_CANNOTSEEK;
    return MMSYSERR_NOERROR;
}
