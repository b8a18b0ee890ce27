// The instrument library as a host loads it: pandrel.so opened with dlopen,
// its entry points looked up, class factories obtained through them.
#pragma once
#include "platform/com/ClassFactory.h"
#include <string>

class CInstrumentModule {
public:
    using PFN_DllRegisterServer = HRESULT (*)();

    CInstrumentModule() = default;
    ~CInstrumentModule(); // unloads the library when it says it can go
    CInstrumentModule(const CInstrumentModule&) = delete;
    CInstrumentModule& operator=(const CInstrumentModule&) = delete;

    // Opens the library and finds its exports. False with the cause in *pstrError.
    bool Load(const std::string& strPath, std::string* pstrError);
    // The library's default place: next to the running executable, else in
    // the plug-in bundle of an installation (PREFIX/lib/lv2 beside
    // PREFIX/bin), else the build tree's copy, else the bundle on LV2_PATH, in
    // ~/.lv2, /usr/local/lib/lv2 or /usr/lib/lv2.
    static std::string DefaultPath();

    // The factory of a class with one reference, or null with the result in *phr.
    IClassFactory* Factory(REFCLSID clsid, HRESULT* phr) const;
    HRESULT Register() const { return m_pfnRegister ? m_pfnRegister() : E_UNEXPECTED; }
    HRESULT Unregister() const { return m_pfnUnregister ? m_pfnUnregister() : E_UNEXPECTED; }
    HRESULT CanUnloadNow() const { return m_pfnCanUnload ? m_pfnCanUnload() : S_OK; }
    const std::string& Path() const { return m_strPath; }

private:
    std::string m_strPath;
    void* m_hModule = nullptr;
    PFN_DllGetClassObject m_pfnGetClassObject = nullptr;
    PFN_DllCanUnloadNow m_pfnCanUnload = nullptr;
    PFN_DllRegisterServer m_pfnRegister = nullptr;
    PFN_DllRegisterServer m_pfnUnregister = nullptr;
};
