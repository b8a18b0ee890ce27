// DllRegisterServer and DllUnregisterServer: the "CLSID" keys of both
// classes, the filter mapper's entry of the instrument, the type library of
// the control interface and the "MfxSoftSynths" key.
#include "host/Registration.h"
#include "host/ClassFactory.h"
#include "interfaces/IVudivuVizezud.h"
#include "platform/com/Activation.h"
#include "platform/com/TypeLib.h"
#include "platform/com/TypeLibFile.h"
#include "platform/kernel/ModulePath.h"
#include "platform/kernel/TextConvert.h"
#include "platform/registry/Registry.h"
#include <string>

namespace {
constexpr HRESULT kNotFound = HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);

std::string ClsidKey(const char* pszPrefix, REFCLSID clsid) {
    char text[39];
    GuidToString(clsid, text);
    return std::string(pszPrefix) + text;
}

LONG SetDefault(HKEY hKey, const char* pszName, const std::string& text) {
    return RegSetValueExA(hKey, pszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1));
}

// "CLSID\{...}" = name, its "InprocServer32" = module path, ThreadingModel "Both".
HRESULT RegisterClassKeys(const CFactoryTemplate& t, const std::string& module) {
    HKEY hClass = nullptr;
    LONG r = RegCreateKeyExA(HKEY_CLASSES_ROOT, ClsidKey("CLSID\\", *t.m_ClsID).c_str(), 0, nullptr,
                             0, KEY_ALL_ACCESS, nullptr, &hClass, nullptr);
    if (r != ERROR_SUCCESS) return HRESULT_FROM_WIN32(r);
    r = SetDefault(hClass, nullptr, Utf8FromWide(t.m_Name));
    HKEY hServer = nullptr;
    if (r == ERROR_SUCCESS)
        r = RegCreateKeyExA(hClass, "InprocServer32", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &hServer, nullptr);
    if (r == ERROR_SUCCESS) r = SetDefault(hServer, nullptr, module);
    if (r == ERROR_SUCCESS) r = SetDefault(hServer, "ThreadingModel", "Both");
    if (hServer != nullptr) RegCloseKey(hServer);
    RegCloseKey(hClass);
    return HRESULT_FROM_WIN32(r);
}

// The filter's mapper entry: removed, then written again when registering.
HRESULT RegisterWithMapper(bool bRegister) {
    void* pv = nullptr;
    IFilterMapper2* pMapper2 = nullptr;
    IFilterMapper* pMapper1 = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IFilterMapper2, &pv);
    if (SUCCEEDED(hr)) {
        pMapper2 = static_cast<IFilterMapper2*>(pv);
    } else {
        hr = CoCreateInstance(CLSID_FilterMapper, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper,
                              &pv);
        if (FAILED(hr)) return hr;
        pMapper1 = static_cast<IFilterMapper*>(pv);
    }
    for (int i = 0; i < g_cTemplates && SUCCEEDED(hr); ++i) {
        const CFactoryTemplate& t = g_Templates[i];
        const AMOVIESETUP_FILTER* pSetup = t.m_pAMovieSetup_Filter;
        if (pSetup == nullptr) continue;
        if (pMapper2 != nullptr) {
            hr = pMapper2->UnregisterFilter(nullptr, nullptr, *t.m_ClsID);
            if (bRegister) {
                const REGFILTER2 rf2{1, pSetup->dwMerit, pSetup->nPins, pSetup->lpPin};
                hr =
                    pMapper2->RegisterFilter(*t.m_ClsID, t.m_Name, nullptr, nullptr, nullptr, &rf2);
            }
        } else {
            hr = pMapper1->UnregisterFilter(*t.m_ClsID);
            if (bRegister) {
                hr = pMapper1->RegisterFilter(*t.m_ClsID, t.m_Name, pSetup->dwMerit);
                for (UINT p = 0; p < pSetup->nPins && SUCCEEDED(hr); ++p) {
                    const AMOVIESETUP_PIN& pin = pSetup->lpPin[p];
                    hr = pMapper1->RegisterPin(
                        *t.m_ClsID, pin.strName, pin.bRendered, pin.bOutput, pin.bZero, pin.bMany,
                        pin.clsConnectsToFilter ? *pin.clsConnectsToFilter : GUID_NULL,
                        pin.strConnectsToPin);
                    for (UINT m = 0; m < pin.nMediaTypes && SUCCEEDED(hr); ++m)
                        hr = pMapper1->RegisterPinType(*t.m_ClsID, pin.strName,
                                                       *pin.lpMediaType[m].clsMajorType,
                                                       *pin.lpMediaType[m].clsMinorType);
                }
            }
        }
        // An entry that was not there is no failure, in either version.
        if (hr == kNotFound) hr = S_OK;
    }
    if (pMapper2 != nullptr) pMapper2->Release();
    if (pMapper1 != nullptr) pMapper1->Release();
    return hr;
}
} // namespace

LONG DeleteKeyTree(HKEY hParent, const char* pszSubKey) {
    HKEY hKey = nullptr;
    const LONG r = RegOpenKeyExA(hParent, pszSubKey, 0, KEY_ALL_ACCESS, &hKey);
    if (r != ERROR_SUCCESS) return r;
    // Always the first remaining subkey, until none is left.
    char name[260];
    while (RegEnumKeyA(hKey, 0, name, sizeof(name)) == ERROR_SUCCESS)
        if (DeleteKeyTree(hKey, name) != ERROR_SUCCESS) break;
    RegCloseKey(hKey);
    return RegDeleteKeyA(hParent, pszSubKey);
}

HRESULT RegisterAllServers(bool bRegister) {
    char module[kMaxModulePath];
    if (GetModuleFileNameA(reinterpret_cast<const void*>(&RegisterAllServers), module,
                           kMaxModulePath) == 0)
        return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    if (bRegister) {
        for (int i = 0; i < g_cTemplates; ++i) {
            const HRESULT hr = RegisterClassKeys(g_Templates[i], module);
            if (FAILED(hr)) return hr;
        }
    }
    CoInitialize(nullptr);
    const HRESULT hr = RegisterWithMapper(bRegister);
    CoFreeUnusedLibraries();
    CoUninitialize();
    if (FAILED(hr)) return hr;
    if (!bRegister)
        for (int i = 0; i < g_cTemplates; ++i)
            DeleteKeyTree(HKEY_CLASSES_ROOT, ClsidKey("CLSID\\", *g_Templates[i].m_ClsID).c_str());
    return S_OK;
}

HRESULT RegisterServer() {
    HRESULT hr = RegisterAllServers(true);
    if (FAILED(hr)) return hr;
    // The control interface's type library, when there is one to load.
    char path[kMaxModulePath];
    if (GetModulePath(reinterpret_cast<const void*>(&RegisterServer), path, "Pandrel.tlb")) {
        ITypeLib* pLib = nullptr;
        const std::wstring wide = WideFromUtf8(path);
        if (SUCCEEDED(LoadTypeLib(wide.c_str(), &pLib)) && pLib != nullptr) {
            RegisterTypeLib(pLib, wide.c_str(), nullptr);
            pLib->Release();
        }
    }
    for (int i = 0; i < g_cTemplates; ++i) {
        const CFactoryTemplate& t = g_Templates[i];
        if (t.m_pAMovieSetup_Filter == nullptr) continue;
        HKEY hKey = nullptr;
        if (RegCreateKeyExA(HKEY_CLASSES_ROOT, ClsidKey("MfxSoftSynths\\", *t.m_ClsID).c_str(), 0,
                            nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey, nullptr) != ERROR_SUCCESS)
            return hr;
        SetDefault(hKey, "Description", Utf8FromWide(t.m_Name));
        RegCloseKey(hKey);
    }
    return S_OK;
}

HRESULT UnregisterServer() {
    const HRESULT hr = RegisterAllServers(false);
    if (FAILED(hr)) return hr;
    UnRegisterTypeLib(LIBID_Pandrel, kPandrelTypeLibMajor, kPandrelTypeLibMinor, 0, SYS_WIN32);
    for (int i = 0; i < g_cTemplates; ++i)
        DeleteKeyTree(HKEY_CLASSES_ROOT,
                      ClsidKey("MfxSoftSynths\\", *g_Templates[i].m_ClsID).c_str());
    return S_OK;
}
