#include "apps/cli/FileIdentity.h"
#include "apps/cli/CliError.h"
#include <climits>
#include <cstdlib>
#include <sys/stat.h>

CFileIdentity::CFileIdentity(const std::string& strPath) {
    struct stat st {};
    if (stat(strPath.c_str(), &st) == 0) {
        m_bExists = true;
        m_dev = st.st_dev;
        m_ino = st.st_ino;
        return;
    }
    const size_t nSlash = strPath.find_last_of('/');
    const std::string strDir = nSlash == std::string::npos ? "."
                               : nSlash == 0               ? "/"
                                                           : strPath.substr(0, nSlash);
    const std::string strName = nSlash == std::string::npos ? strPath : strPath.substr(nSlash + 1);
    char szFull[PATH_MAX];
    m_strCanonical =
        realpath(strDir.c_str(), szFull) != nullptr ? std::string(szFull) + "/" + strName : strPath;
}

bool CFileIdentity::operator==(const CFileIdentity& other) const {
    if (m_bExists != other.m_bExists) return false;
    return m_bExists ? m_dev == other.m_dev && m_ino == other.m_ino
                     : m_strCanonical == other.m_strCanonical;
}

void RefuseOverwrite(const std::string& strOutput,
                     const std::vector<std::pair<std::string, std::string>>& inputs) {
    const CFileIdentity output(strOutput);
    for (const auto& [strWhat, strPath] : inputs)
        if (!strPath.empty() && CFileIdentity(strPath) == output)
            throw CCliError(strOutput, "is " + strWhat + " (" + strPath +
                                           "); choose another name for the output");
}
