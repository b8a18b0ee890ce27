#include "apps/lv2/WaveFiles.h"
#include "apps/lv2/StateImage.h"
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

namespace fs = std::filesystem;

namespace {
using File = std::unique_ptr<FILE, int (*)(FILE*)>;

bool SameSize(const std::string& strPath, size_t nBytes) {
    std::error_code ec;
    return fs::is_regular_file(strPath, ec) && fs::file_size(strPath, ec) == nBytes && !ec;
}

// Written under a temporary name and renamed, so a file of the final name is always complete.
bool WriteWhole(const std::string& strPath, const uint8_t* pb, size_t nBytes,
                std::string* pstrError) {
    const std::string strPart = strPath + ".part";
    FILE* pf = std::fopen(strPart.c_str(), "wb");
    if (pf == nullptr) return *pstrError = strPart + ": " + std::strerror(errno), false;
    const bool bWritten = std::fwrite(pb, 1, nBytes, pf) == nBytes;
    const int nErrno = errno;
    if (std::fclose(pf) != 0 || !bWritten) {
        std::remove(strPart.c_str());
        return *pstrError = strPart + ": " + std::strerror(bWritten ? errno : nErrno), false;
    }
    std::error_code ec;
    fs::rename(strPart, strPath, ec);
    if (ec) return *pstrError = strPath + ": " + ec.message(), false;
    return true;
}

// A hard link to a file of the same content; false (and nothing left) when it cannot be made.
bool Link(const std::string& strFrom, const std::string& strPath, size_t nBytes) {
    if (strFrom.empty() || strFrom == strPath || !SameSize(strFrom, nBytes)) return false;
    const std::string strPart = strPath + ".part";
    std::error_code ec;
    fs::remove(strPart, ec);
    fs::create_hard_link(strFrom, strPart, ec);
    if (!ec) fs::rename(strPart, strPath, ec);
    if (ec) fs::remove(strPart, ec);
    return SameSize(strPath, nBytes);
}
} // namespace

CWaveFiles::Features CWaveFiles::Features::From(const LV2_Feature* const* features) {
    Features f;
    for (int i = 0; features != nullptr && features[i] != nullptr; ++i) {
        const char* pszUri = features[i]->URI;
        void* pData = features[i]->data;
        if (std::strcmp(pszUri, LV2_STATE__makePath) == 0)
            f.pMake = static_cast<const LV2_State_Make_Path*>(pData);
        else if (std::strcmp(pszUri, LV2_STATE__mapPath) == 0)
            f.pMap = static_cast<const LV2_State_Map_Path*>(pData);
        else if (std::strcmp(pszUri, LV2_STATE__freePath) == 0)
            f.pFree = static_cast<const LV2_State_Free_Path*>(pData);
    }
    return f;
}

std::string CWaveFiles::Features::Take(char* psz) const {
    if (psz == nullptr) return {};
    std::string str = psz;
    if (pFree != nullptr)
        pFree->free_path(pFree->handle, psz);
    else
        std::free(psz);
    return str;
}

bool CWaveFiles::Write(const Features& features, const uint8_t* pb, size_t nBytes, uint64_t llHash,
                       std::string* pstrStored, Written* pWritten, std::string* pstrError) {
    const std::string strName = CStateImage::FileName(llHash);
    const std::string strPath =
        features.Take(features.pMake->path(features.pMake->handle, strName.c_str()));
    if (strPath.empty()) return *pstrError = strName + ": the host gives no path for it", false;
    if (SameSize(strPath, nBytes))
        *pWritten = Written::Kept;
    else if (Link(Known(llHash), strPath, nBytes))
        *pWritten = Written::Linked;
    else if (WriteWhole(strPath, pb, nBytes, pstrError))
        *pWritten = Written::New;
    else
        return false;
    Remember(llHash, strPath);
    *pstrStored =
        features.Take(features.pMap->abstract_path(features.pMap->handle, strPath.c_str()));
    if (pstrStored->empty()) return *pstrError = strPath + ": the host cannot map its path", false;
    return true;
}

bool CWaveFiles::Read(const Features& features, const std::string& strStored, uint8_t* pDest,
                      size_t nBytes, uint64_t llHash, std::string* pstrError) {
    std::string strPath = strStored;
    if (features.pMap != nullptr)
        strPath =
            features.Take(features.pMap->absolute_path(features.pMap->handle, strStored.c_str()));
    if (strPath.empty()) return *pstrError = strStored + ": the host cannot map its path", false;
    const File pf(std::fopen(strPath.c_str(), "rb"), &std::fclose);
    if (!pf) return *pstrError = strPath + ": " + std::strerror(errno), false;
    std::error_code ec;
    const auto nSize = fs::file_size(strPath, ec);
    if (ec) return *pstrError = strPath + ": " + ec.message(), false;
    if (nSize != nBytes)
        return *pstrError = strPath + ": " + std::to_string(nSize) + " bytes, not the " +
                            std::to_string(nBytes) + " saved",
               false;
    if (std::fread(pDest, 1, nBytes, pf.get()) != nBytes)
        return *pstrError = strPath + ": cannot read it", false;
    if (CStateImage::Hash(pDest, nBytes) != llHash)
        return *pstrError = strPath + ": damaged (its bytes are not those saved)", false;
    Remember(llHash, strPath);
    return true;
}

void CWaveFiles::Remember(uint64_t llHash, const std::string& strPath) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_known[llHash] = strPath;
}

std::string CWaveFiles::Known(uint64_t llHash) {
    std::lock_guard<std::mutex> guard(m_lock);
    const auto it = m_known.find(llHash);
    return it != m_known.end() ? it->second : std::string();
}
