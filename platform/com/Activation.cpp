#include "platform/com/Activation.h"
#include "platform/com/Guid.h"
#include "platform/registry/Registry.h"
#include <dlfcn.h>
#include <mutex>
#include <string>
#include <vector>

namespace {
struct ClassObject {
    GUID clsid;
    IUnknown* pUnk;
    DWORD dwCookie;
};
struct Library {
    std::string path;
    void* handle;
};

std::recursive_mutex& Mutex() {
    static std::recursive_mutex m;
    return m;
}
std::vector<ClassObject>& ClassObjects() {
    static std::vector<ClassObject> v;
    return v;
}
std::vector<Library>& Libraries() {
    static std::vector<Library> v;
    return v;
}
DWORD g_dwNextCookie = 1;
LONG g_cInit = 0;

// The library path registered for a class, or empty.
std::string InprocServerPath(REFCLSID rclsid) {
    char clsid[39];
    GuidToString(rclsid, clsid);
    const std::string sub = std::string("CLSID\\") + clsid + "\\InprocServer32";
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, sub.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return {};
    char path[4096];
    DWORD cb = sizeof(path);
    DWORD type = 0;
    const LONG r =
        RegQueryValueExA(hKey, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(path), &cb);
    RegCloseKey(hKey);
    return r == ERROR_SUCCESS ? std::string(path) : std::string();
}

void* LoadLibraryOnce(const std::string& path) {
    for (const Library& lib : Libraries())
        if (lib.path == path) return lib.handle;
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle != nullptr) Libraries().push_back({path, handle});
    return handle;
}
} // namespace

HRESULT CoInitializeEx(void*, DWORD) {
    std::lock_guard<std::recursive_mutex> lock(Mutex());
    return g_cInit++ == 0 ? S_OK : S_FALSE;
}
HRESULT CoInitialize(void* pv) { return CoInitializeEx(pv, COINIT_APARTMENTTHREADED); }
void CoUninitialize() {
    std::lock_guard<std::recursive_mutex> lock(Mutex());
    if (g_cInit > 0) --g_cInit;
}

HRESULT CoGetClassObject(REFCLSID rclsid, DWORD, void*, REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    std::lock_guard<std::recursive_mutex> lock(Mutex());
    for (const ClassObject& c : ClassObjects())
        if (c.clsid == rclsid) return c.pUnk->QueryInterface(riid, ppv);
    const std::string path = InprocServerPath(rclsid);
    if (path.empty()) return REGDB_E_CLASSNOTREG;
    void* handle = LoadLibraryOnce(path);
    if (handle == nullptr) return CO_E_DLLNOTFOUND;
    auto pfn = reinterpret_cast<PFN_DllGetClassObject>(dlsym(handle, "DllGetClassObject"));
    if (pfn == nullptr) return CO_E_ERRORINDLL;
    return pfn(rclsid, riid, ppv);
}

HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown* pUnkOuter, DWORD dwClsContext, REFIID riid,
                         void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    void* pv = nullptr;
    HRESULT hr = CoGetClassObject(rclsid, dwClsContext, nullptr, IID_IClassFactory, &pv);
    if (FAILED(hr)) return hr;
    auto* pFactory = static_cast<IClassFactory*>(pv);
    hr = pFactory->CreateInstance(pUnkOuter, riid, ppv);
    pFactory->Release();
    return hr;
}

HRESULT CoRegisterClassObject(REFCLSID rclsid, IUnknown* pUnk, DWORD, DWORD, DWORD* pdwRegister) {
    if (pUnk == nullptr || pdwRegister == nullptr) return E_INVALIDARG;
    std::lock_guard<std::recursive_mutex> lock(Mutex());
    pUnk->AddRef();
    *pdwRegister = g_dwNextCookie++;
    ClassObjects().push_back({rclsid, pUnk, *pdwRegister});
    return S_OK;
}

HRESULT CoRevokeClassObject(DWORD dwRegister) {
    IUnknown* pUnk = nullptr;
    {
        std::lock_guard<std::recursive_mutex> lock(Mutex());
        auto& v = ClassObjects();
        for (auto it = v.begin(); it != v.end(); ++it)
            if (it->dwCookie == dwRegister) {
                pUnk = it->pUnk;
                v.erase(it);
                break;
            }
    }
    if (pUnk == nullptr) return E_INVALIDARG;
    pUnk->Release();
    return S_OK;
}

void CoFreeUnusedLibraries() {
    std::lock_guard<std::recursive_mutex> lock(Mutex());
    auto& v = Libraries();
    for (auto it = v.begin(); it != v.end();) {
        auto pfn = reinterpret_cast<PFN_DllCanUnloadNow>(dlsym(it->handle, "DllCanUnloadNow"));
        if (pfn != nullptr && pfn() == S_OK) {
            dlclose(it->handle);
            it = v.erase(it);
        } else {
            ++it;
        }
    }
}
