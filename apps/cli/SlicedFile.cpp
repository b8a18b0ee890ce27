#include "apps/cli/SlicedFile.h"
#include "apps/cli/CliError.h"
#include "apps/cli/FileProblem.h"
#include "apps/hostkit/AtomicFile.h"
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>

namespace {
// The file at strPath holds exactly these bytes.
bool SameBytes(const std::string& strPath, const std::vector<uint8_t>& bytes) {
    struct stat st {};
    if (stat(strPath.c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
        static_cast<uint64_t>(st.st_size) != bytes.size())
        return false;
    FILE* f = std::fopen(strPath.c_str(), "rb");
    if (f == nullptr) return false;
    std::vector<uint8_t> have(bytes.size());
    const size_t n = std::fread(have.data(), 1, have.size(), f);
    std::fclose(f);
    return n == have.size() && have == bytes;
}
} // namespace

std::string CSlicedFile::CopyName(const std::string& strSource, int nNumber) {
    std::string strName = strSource.substr(strSource.find_last_of('/') + 1);
    const size_t nDot = strName.find_last_of('.');
    if (nDot != std::string::npos && nDot > 0) strName.resize(nDot);
    return strName + ".sliced" + (nNumber > 1 ? "-" + std::to_string(nNumber) : "") + ".wav";
}

CSlicedFile::CSlicedFile(const std::string& strSource, const std::vector<uint8_t>& bytes,
                         const std::string& strFolder, const std::set<std::string>& taken) {
    char szFolder[PATH_MAX];
    if (realpath(strFolder.c_str(), szFolder) == nullptr)
        throw CCliError(strFolder, "cannot keep the sliced copy here: " + SystemCause(errno));
    for (int n = 1; n <= kMaxNumber; ++n) {
        const std::string strPath = std::string(szFolder) + "/" + CopyName(strSource, n);
        struct stat st {};
        if (lstat(strPath.c_str(), &st) == 0) {
            if (!SameBytes(strPath, bytes)) continue;
            m_strPath = strPath;
            return;
        }
        if (errno != ENOENT || taken.count(strPath) != 0) continue;
        CAtomicFile file;
        if (!file.Open(strPath) || !file.Write(bytes.data(), bytes.size()) || !file.Commit()) {
            const std::string strWhy = WriteProblem(strPath);
            throw CCliError(strPath, "cannot keep the sliced copy: " +
                                         (strWhy.empty() ? file.Error() : strWhy));
        }
        m_strPath = strPath;
        m_bNew = true;
        return;
    }
    throw CCliError(strFolder, "no free name for the sliced copy: " + CopyName(strSource, 1) +
                                   " to " + CopyName(strSource, kMaxNumber) + " are all in use");
}

CSlicedFile::~CSlicedFile() {
    if (m_bNew && !m_bKeep) std::remove(m_strPath.c_str());
}
