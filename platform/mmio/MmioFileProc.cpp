// The file I/O procedure: POSIX descriptor calls behind the procedure messages.
#include "platform/mmio/Mmio.h"
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {
int Descriptor(const MMIOINFO* info) { return static_cast<int>(info->adwInfo[0]); }

LRESULT Open(MMIOINFO* info, const char* path) {
    if ((info->dwFlags & MMIO_RWMODE) != MMIO_READ || (info->dwFlags & MMIO_CREATE) != 0) return MMIOERR_CANNOTOPEN;
    int fd;
    do {
        fd = ::open(path, O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        if (errno == ENOENT) return MMIOERR_FILENOTFOUND;
        if (errno == EACCES) return MMIOERR_ACCESSDENIED;
        return MMIOERR_CANNOTOPEN;
    }
    info->adwInfo[0] = static_cast<DWORD>(fd);
    info->lDiskOffset = 0;
    return MMSYSERR_NOERROR;
}

// Reads until count bytes or the end of the file; partial reads are retried.
LRESULT Read(MMIOINFO* info, char* out, LONG count) {
    if (count < 0) return -1;
    if (count > MMIO_MAXOFFSET - info->lDiskOffset) count = MMIO_MAXOFFSET - info->lDiskOffset;
    LONG done = 0;
    while (done < count) {
        ssize_t n = ::read(Descriptor(info), out + done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        done += static_cast<LONG>(n);
    }
    info->lDiskOffset += done;
    return done;
}

LRESULT Seek(MMIOINFO* info, LONG offset, int origin) {
    off_t pos = ::lseek(Descriptor(info), offset, origin);
    if (pos < 0) return -1;
    if (pos > MMIO_MAXOFFSET) {
        // Beyond what a 32-bit position can name: put the descriptor back.
        ::lseek(Descriptor(info), info->lDiskOffset, SEEK_SET);
        return -1;
    }
    info->lDiskOffset = static_cast<LONG>(pos);
    return info->lDiskOffset;
}
} // namespace

LRESULT mmioDosIOProc(char* lpmmioinfo, UINT uMsg, LPARAM lParam1, LPARAM lParam2) {
    auto* info = reinterpret_cast<MMIOINFO*>(lpmmioinfo);
    switch (uMsg) {
    case MMIOM_OPEN:
        return Open(info, reinterpret_cast<const char*>(lParam1));
    case MMIOM_READ:
        return Read(info, reinterpret_cast<char*>(lParam1), static_cast<LONG>(lParam2));
    case MMIOM_SEEK:
        return Seek(info, static_cast<LONG>(lParam1), static_cast<int>(lParam2));
    case MMIOM_CLOSE:
        return ::close(Descriptor(info)) == 0 ? MMSYSERR_NOERROR : MMIOERR_CANNOTCLOSE;
    default: // writing comes with the write side of the handle
        return -1;
    }
}
