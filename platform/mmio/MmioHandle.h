// The object behind an HMMIO: its state record and the I/O buffer it owns.
// Private to the mmio sources.
#pragma once
#include "platform/mmio/Mmio.h"
#include <memory>

struct MMIOHANDLE {
    MMIOINFO info;
    std::unique_ptr<char[]> buffer; // owned I/O buffer (MMIO_ALLOCBUF), else null

    LRESULT Call(UINT msg, LPARAM p1, LPARAM p2) {
        return info.pIOProc(reinterpret_cast<char*>(&info), msg, p1, p2);
    }
    bool Buffered() const { return info.pchBuffer != nullptr; }
    // The stream position: where the next byte comes from.
    LONG Position() const {
        return Buffered() ? info.lBufOffset + static_cast<LONG>(info.pchNext - info.pchBuffer)
                          : info.lDiskOffset;
    }
    LONG BufferedBytes() const { return static_cast<LONG>(info.pchEndRead - info.pchBuffer); }
    // Empties the read buffer, which then starts at pos (buffered handles).
    void DropBuffer(LONG pos) {
        info.lBufOffset = pos;
        info.pchNext = info.pchEndRead = info.pchBuffer;
    }
};
