// The file I/O procedure: POSIX descriptor calls behind the procedure messages.
#include "platform/mmio/Mmio.h"
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {
int Descriptor(const MMIOINFO* info) { return static_cast<int>(info->adwInfo[0]); }
// adwInfo[1] is set when the file was opened for writing: closing it then
// syncs it, so that a failure to get the bytes to disk is reported.
bool Writable(const MMIOINFO* info) { return info->adwInfo[1] != 0; }

LRESULT Open(MMIOINFO* info, const char* path) {
    if (path == nullptr) return MMSYSERR_INVALPARAM;
    int flags = O_CLOEXEC;
    switch (info->dwFlags & MMIO_RWMODE) {
    case MMIO_READ: flags |= (info->dwFlags & MMIO_CREATE) != 0 ? O_RDWR : O_RDONLY; break;
    case MMIO_WRITE: flags |= O_WRONLY; break;
    case MMIO_READWRITE: flags |= O_RDWR; break;
    default: return MMSYSERR_INVALPARAM;
    }
    if ((info->dwFlags & MMIO_CREATE) != 0) flags |= O_CREAT | O_TRUNC;
    int fd;
    do {
        fd = ::open(path, flags, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        if (errno == ENOENT) return MMIOERR_FILENOTFOUND;
        if (errno == EACCES || errno == EROFS || errno == EPERM) return MMIOERR_ACCESSDENIED;
        return MMIOERR_CANNOTOPEN;
    }
    info->adwInfo[0] = static_cast<DWORD>(fd);
    info->adwInfo[1] = (flags & (O_WRONLY | O_RDWR)) != 0 ? 1 : 0;
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

// Writes all count bytes or fails.
LRESULT Write(MMIOINFO* info, const char* in, LONG count) {
    if (count < 0 || count > MMIO_MAXOFFSET - info->lDiskOffset) return -1;
    LONG done = 0;
    while (done < count) {
        ssize_t n = ::write(Descriptor(info), in + done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            info->lDiskOffset += done;
            return -1;
        }
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

LRESULT Close(MMIOINFO* info) {
    const bool bSynced = !Writable(info) || ::fsync(Descriptor(info)) == 0;
    const bool bClosed = ::close(Descriptor(info)) == 0;
    return bSynced && bClosed ? MMSYSERR_NOERROR : MMIOERR_CANNOTCLOSE;
}
} // namespace

LRESULT mmioDosIOProc(char* lpmmioinfo, UINT uMsg, LPARAM lParam1, LPARAM lParam2) {
    auto* info = reinterpret_cast<MMIOINFO*>(lpmmioinfo);
    switch (uMsg) {
    case MMIOM_OPEN: return Open(info, reinterpret_cast<const char*>(lParam1));
    case MMIOM_READ:
        return Read(info, reinterpret_cast<char*>(lParam1), static_cast<LONG>(lParam2));
    case MMIOM_WRITE:
    case MMIOM_WRITEFLUSH:
        return Write(info, reinterpret_cast<const char*>(lParam1), static_cast<LONG>(lParam2));
    case MMIOM_SEEK: return Seek(info, static_cast<LONG>(lParam1), static_cast<int>(lParam2));
    case MMIOM_CLOSE: return Close(info);
    default: return -1;
    }
}
