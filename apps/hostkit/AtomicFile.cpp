#include "apps/hostkit/AtomicFile.h"
#include "apps/hostkit/TempFiles.h"
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

CAtomicFile::~CAtomicFile() { Discard(); }

bool CAtomicFile::Failed(const char* pszWhat) {
    m_strError = std::string(pszWhat) + ": " + std::strerror(errno);
    Discard();
    return false;
}

bool CAtomicFile::Open(const std::string& strPath) {
    Discard();
    m_strError.clear();
    m_strPath = strPath;
    if (strPath.empty() || strPath.back() == '/') {
        m_strError = "not a file name";
        return false;
    }
    // The temporary file lives in the target's folder so that the rename
    // never crosses file systems.
    std::string strTemplate = strPath + ".tmp-XXXXXX";
    std::vector<char> name(strTemplate.begin(), strTemplate.end());
    name.push_back('\0');
    m_nFd = mkstemp(name.data());
    if (m_nFd < 0) return Failed("cannot create file");
    m_strTempPath = name.data();
    m_nTempSlot = CTempFiles::Add(m_strTempPath.c_str());
    // mkstemp makes the file private; give it the usual permissions instead.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(m_nFd, 0666 & ~mask);
    return true;
}

bool CAtomicFile::Write(const void* pData, size_t nBytes) {
    if (m_nFd < 0) {
        if (m_strError.empty()) m_strError = "file not open";
        return false;
    }
    const char* p = static_cast<const char*>(pData);
    while (nBytes > 0) {
        const ssize_t n = ::write(m_nFd, p, nBytes);
        if (n < 0) {
            if (errno == EINTR) continue;
            return Failed("cannot write");
        }
        p += n;
        nBytes -= static_cast<size_t>(n);
    }
    return true;
}

bool CAtomicFile::WriteAt(uint64_t nOffset, const void* pData, size_t nBytes) {
    if (m_nFd < 0) {
        if (m_strError.empty()) m_strError = "file not open";
        return false;
    }
    const char* p = static_cast<const char*>(pData);
    while (nBytes > 0) {
        const ssize_t n = ::pwrite(m_nFd, p, nBytes, static_cast<off_t>(nOffset));
        if (n < 0) {
            if (errno == EINTR) continue;
            return Failed("cannot write");
        }
        p += n;
        nOffset += static_cast<uint64_t>(n);
        nBytes -= static_cast<size_t>(n);
    }
    return true;
}

bool CAtomicFile::Commit() {
    if (m_nFd < 0) {
        if (m_strError.empty()) m_strError = "file not open";
        return false;
    }
    if (fsync(m_nFd) != 0 && errno != EINVAL) return Failed("cannot write");
    const int fd = m_nFd;
    m_nFd = -1;
    if (::close(fd) != 0) {
        m_nFd = -1;
        return Failed("cannot write");
    }
    if (std::rename(m_strTempPath.c_str(), m_strPath.c_str()) != 0)
        return Failed("cannot replace file");
    m_strTempPath.clear();
    CTempFiles::Remove(m_nTempSlot);
    m_nTempSlot = -1;
    return true;
}

void CAtomicFile::Discard() {
    const int saved = errno;
    if (m_nFd >= 0) ::close(m_nFd);
    m_nFd = -1;
    if (!m_strTempPath.empty()) ::unlink(m_strTempPath.c_str());
    m_strTempPath.clear();
    // Only once the file is gone, so that a signal in between still removes it.
    CTempFiles::Remove(m_nTempSlot);
    m_nTempSlot = -1;
    errno = saved;
}
