#include "apps/cli/FileProblem.h"
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::string SystemCause(int nErrno) {
    switch (nErrno) {
    case ENOENT: return "does not exist";
    case EACCES:
    case EPERM: return "permission denied";
    case EISDIR: return "is a folder";
    case ENOTDIR: return "a part of the path is not a folder";
    case EROFS: return "read-only file system";
    default: return std::strerror(nErrno);
    }
}

std::string ReadProblem(const std::string& strPath) {
    struct stat st {};
    if (stat(strPath.c_str(), &st) != 0) return SystemCause(errno);
    if (S_ISDIR(st.st_mode)) return "is a folder";
    const int fd = open(strPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return SystemCause(errno);
    close(fd);
    return {};
}

std::string WriteProblem(const std::string& strPath) {
    if (strPath.empty()) return "not a file name";
    struct stat st {};
    if (stat(strPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return "is a folder";
    if (strPath.back() == '/') return "not a file name";
    // The file is made beside its target and renamed over it: the folder
    // must take new files.
    const size_t nSlash = strPath.find_last_of('/');
    const std::string strDir = nSlash == std::string::npos ? "."
                               : nSlash == 0               ? "/"
                                                           : strPath.substr(0, nSlash);
    if (stat(strDir.c_str(), &st) != 0)
        return errno == ENOENT ? "folder " + strDir + " does not exist" : SystemCause(errno);
    if (!S_ISDIR(st.st_mode)) return strDir + " is not a folder";
    if (access(strDir.c_str(), W_OK | X_OK) != 0) return SystemCause(errno);
    return {};
}
