#include "apps/hostkit/InstrumentModule.h"
#include <algorithm>
#include <cstdlib>
#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>
#include <vector>

CInstrumentModule::~CInstrumentModule() {
    // A library with live objects stays loaded rather than pulling code from
    // under them.
    if (m_hModule != nullptr && CanUnloadNow() == S_OK) dlclose(m_hModule);
}

std::string CInstrumentModule::DefaultPath() {
    const auto readable = [](const std::string& s) { return access(s.c_str(), R_OK) == 0; };
    char self[PATH_MAX] = {};
    const ssize_t n = readlink("/proc/self/exe", self, sizeof(self) - 1);
    if (n > 0) {
        std::string dir(self, static_cast<size_t>(n));
        dir.erase(dir.find_last_of('/') + 1);
        const std::string next = dir + "pandrel.so";
        if (readable(next)) return next;
        // An installed program: PREFIX/bin beside PREFIX/lib/lv2/pandrel.lv2.
        const std::string installed = dir + "../lib/lv2/pandrel.lv2/pandrel.so";
        if (readable(installed)) return installed;
    }
#ifdef PANDREL_BUILD_MODULE_PATH
    if (readable(PANDREL_BUILD_MODULE_PATH)) return PANDREL_BUILD_MODULE_PATH;
#endif
    // The plug-in bundle where LV2 hosts look for it.
    std::vector<std::string> folders;
    if (const char* psz = getenv("LV2_PATH")) {
        const std::string paths = psz;
        for (size_t a = 0; a <= paths.size();) {
            const size_t b = std::min(paths.find(':', a), paths.size());
            if (b > a) folders.push_back(paths.substr(a, b - a));
            a = b + 1;
        }
    }
    if (const char* pszHome = getenv("HOME"); pszHome != nullptr && *pszHome != 0)
        folders.push_back(std::string(pszHome) + "/.lv2");
    folders.push_back("/usr/local/lib/lv2");
    folders.push_back("/usr/lib/lv2");
    for (const std::string& folder : folders)
        if (const std::string p = folder + "/pandrel.lv2/pandrel.so"; readable(p)) return p;
    return "pandrel.so";
}

bool CInstrumentModule::Load(const std::string& strPath, std::string* pstrError) {
    m_strPath = strPath;
    // A bare name would be searched on the library path; a host means this file.
    const std::string strOpen = strPath.find('/') == std::string::npos ? "./" + strPath : strPath;
    m_hModule = dlopen(strOpen.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (m_hModule == nullptr) {
        const char* psz = dlerror();
        std::string cause = psz ? psz : "cannot load";
        // dlerror repeats the path; the caller names the file already.
        if (const size_t at = cause.find(": ");
            at != std::string::npos && cause.compare(0, at, strOpen) == 0)
            cause.erase(0, at + 2);
        *pstrError = "cannot load the instrument library: " + cause;
        return false;
    }
    m_pfnGetClassObject =
        reinterpret_cast<PFN_DllGetClassObject>(dlsym(m_hModule, "DllGetClassObject"));
    m_pfnCanUnload = reinterpret_cast<PFN_DllCanUnloadNow>(dlsym(m_hModule, "DllCanUnloadNow"));
    m_pfnRegister = reinterpret_cast<PFN_DllRegisterServer>(dlsym(m_hModule, "DllRegisterServer"));
    m_pfnUnregister =
        reinterpret_cast<PFN_DllRegisterServer>(dlsym(m_hModule, "DllUnregisterServer"));
    if (m_pfnGetClassObject == nullptr) {
        *pstrError = "not an instrument library (no DllGetClassObject)";
        dlclose(m_hModule);
        m_hModule = nullptr;
        return false;
    }
    return true;
}

IClassFactory* CInstrumentModule::Factory(REFCLSID clsid, HRESULT* phr) const {
    void* pv = nullptr;
    *phr = m_pfnGetClassObject ? m_pfnGetClassObject(clsid, IID_IClassFactory, &pv) : E_UNEXPECTED;
    return SUCCEEDED(*phr) ? static_cast<IClassFactory*>(pv) : nullptr;
}
