#include "platform/kernel/ModulePath.h"
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>

DWORD GetModuleFileNameA(const void* pAddress, char* psz, DWORD cch) {
    if (psz == nullptr || cch == 0) return 0;
    psz[0] = 0;
    Dl_info info{};
    if (dladdr(pAddress, &info) == 0 || info.dli_fname == nullptr) return 0;
    // The loader reports the name it was given; hosts need the absolute path.
    char resolved[PATH_MAX];
    const char* path = realpath(info.dli_fname, resolved) != nullptr ? resolved : info.dli_fname;
    const size_t len = std::strlen(path);
    if (len + 1 > cch) return 0;
    std::memcpy(psz, path, len + 1);
    return static_cast<DWORD>(len);
}

BOOL ModulePathFromFileName(const char* pszModule, char* pszOut, const char* pszFileName) {
    if (pszOut == nullptr) return FALSE;
    pszOut[0] = 0;
    if (pszModule == nullptr) return FALSE;
    const size_t len = std::strlen(pszModule);
    if (len + 1 > kMaxModulePath) return FALSE;
    const char* slash = std::strrchr(pszModule, '/');
    // The folder with its trailing "/" (a bare name has none).
    const size_t folder = slash != nullptr ? static_cast<size_t>(slash - pszModule) + 1 : 0;
    if (pszFileName != nullptr) {
        const size_t name = std::strlen(pszFileName);
        if (folder + name + 1 > kMaxModulePath) return FALSE;
        std::memcpy(pszOut, pszModule, folder);
        std::memcpy(pszOut + folder, pszFileName, name + 1);
        return TRUE;
    }
    // The folder without its "/", except the root itself.
    const size_t keep = folder > 1 ? folder - 1 : folder;
    std::memcpy(pszOut, pszModule, keep);
    pszOut[keep] = 0;
    return TRUE;
}

BOOL GetModulePath(const void* pAddress, char* pszOut, const char* pszFileName) {
    char module[kMaxModulePath];
    if (GetModuleFileNameA(pAddress, module, kMaxModulePath) == 0) {
        if (pszOut != nullptr) pszOut[0] = 0;
        return FALSE;
    }
    return ModulePathFromFileName(module, pszOut, pszFileName);
}
