// A stream over a file descriptor. Reads and writes retry partial transfers;
// errors map to the storage codes.
#include "platform/com/StreamBase.h"
#include "platform/com/TaskMem.h"
#include <cerrno>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace {
HRESULT FromErrno(int e, HRESULT hrDefault) {
    switch (e) {
    case ENOENT: return STG_E_FILENOTFOUND;
    case EACCES:
    case EPERM:
    case EROFS: return STG_E_ACCESSDENIED;
    case ENOSPC:
    case EFBIG: return STG_E_MEDIUMFULL;
    default: return hrDefault;
    }
}

class CFileStream final : public CStreamBase {
public:
    explicit CFileStream(int fd, DWORD grfMode) : m_fd(fd), m_grfMode(grfMode) {}

    HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) override {
        if (pcbRead != nullptr) *pcbRead = 0;
        if (pv == nullptr && cb > 0) return STG_E_INVALIDPOINTER;
        ULONG done = 0;
        while (done < cb) {
            const ssize_t n = ::read(m_fd, static_cast<char*>(pv) + done, cb - done);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return FromErrno(errno, STG_E_READFAULT);
            if (n == 0) break;
            done += static_cast<ULONG>(n);
        }
        if (pcbRead != nullptr) *pcbRead = done;
        return S_OK;
    }
    HRESULT Write(const void* pv, ULONG cb, ULONG* pcbWritten) override {
        if (pcbWritten != nullptr) *pcbWritten = 0;
        if (pv == nullptr && cb > 0) return STG_E_INVALIDPOINTER;
        ULONG done = 0;
        while (done < cb) {
            const ssize_t n = ::write(m_fd, static_cast<const char*>(pv) + done, cb - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                if (pcbWritten != nullptr) *pcbWritten = done;
                return FromErrno(n < 0 ? errno : ENOSPC, STG_E_WRITEFAULT);
            }
            done += static_cast<ULONG>(n);
        }
        if (pcbWritten != nullptr) *pcbWritten = done;
        return S_OK;
    }
    HRESULT Seek(LARGE_INTEGER dlibMove, DWORD dwOrigin, ULARGE_INTEGER* plibNewPosition) override {
        static constexpr int kWhence[3] = {SEEK_SET, SEEK_CUR, SEEK_END};
        if (dwOrigin > STREAM_SEEK_END) return STG_E_INVALIDFUNCTION;
        const off_t n = ::lseek(m_fd, static_cast<off_t>(dlibMove.QuadPart), kWhence[dwOrigin]);
        if (n < 0) return STG_E_SEEKERROR;
        if (plibNewPosition != nullptr) plibNewPosition->QuadPart = static_cast<ULONGLONG>(n);
        return S_OK;
    }
    HRESULT SetSize(ULARGE_INTEGER libNewSize) override {
        if (::ftruncate(m_fd, static_cast<off_t>(libNewSize.QuadPart)) != 0)
            return FromErrno(errno, STG_E_WRITEFAULT);
        return S_OK;
    }
    HRESULT Commit(DWORD) override {
        return ::fsync(m_fd) == 0 ? S_OK : FromErrno(errno, STG_E_WRITEFAULT);
    }
    HRESULT Stat(STATSTG* pstatstg, DWORD) override {
        if (pstatstg == nullptr) return STG_E_INVALIDPOINTER;
        struct stat st {};
        if (::fstat(m_fd, &st) != 0) return STG_E_ACCESSDENIED;
        *pstatstg = STATSTG{};
        pstatstg->type = STGTY_STREAM;
        pstatstg->cbSize.QuadPart = static_cast<ULONGLONG>(st.st_size);
        pstatstg->grfMode = m_grfMode;
        return S_OK;
    }

private:
    ~CFileStream() override { ::close(m_fd); }

    int m_fd;
    DWORD m_grfMode;
};
} // namespace

HRESULT CreateFileStream(const char* pszPath, DWORD grfMode, IStream** ppstm) {
    if (ppstm == nullptr) return E_POINTER;
    *ppstm = nullptr;
    if (pszPath == nullptr) return STG_E_INVALIDPOINTER;
    int flags = O_CLOEXEC;
    switch (grfMode & 3) {
    case STGM_READ: flags |= O_RDONLY; break;
    case STGM_WRITE: flags |= O_WRONLY; break;
    case STGM_READWRITE: flags |= O_RDWR; break;
    default: return STG_E_INVALIDFLAG;
    }
    if ((grfMode & STGM_CREATE) != 0) {
        if ((grfMode & 3) == STGM_READ) return STG_E_INVALIDFLAG;
        flags |= O_CREAT | O_TRUNC;
    }
    int fd;
    do {
        fd = ::open(pszPath, flags, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return FromErrno(errno, STG_E_ACCESSDENIED);
    *ppstm = new (std::nothrow) CFileStream(fd, grfMode);
    if (*ppstm == nullptr) {
        ::close(fd);
        return E_OUTOFMEMORY;
    }
    return S_OK;
}
