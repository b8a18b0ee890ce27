#include "platform/media/FilterMapper.h"
#include "platform/com/Activation.h"
#include "platform/com/RefCounted.h"
#include "platform/kernel/TextConvert.h"
#include "platform/registry/Registry.h"
#include <cstdio>
#include <new>
#include <string>

const CLSID CLSID_FilterMapper2 = {
    0xCDA42200, 0xBD88, 0x11D0, {0xBD, 0x4E, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86}};
const CLSID CLSID_FilterMapper = {
    0xE436EBB2, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};

namespace {
std::string GuidText(REFGUID g) {
    char text[39];
    GuidToString(g, text);
    return text;
}

std::string FilterKey(REFCLSID clsid) { return "Filter\\" + GuidText(clsid); }

HRESULT SetText(HKEY hKey, const char* pszName, const std::string& value) {
    const LONG r =
        RegSetValueExA(hKey, pszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
    return HRESULT_FROM_WIN32(r);
}

// Creates sub under HKEY_CLASSES_ROOT and sets its values; each pair is (name, text).
HRESULT WriteKey(const std::string& sub,
                 std::initializer_list<std::pair<const char*, std::string>> values) {
    HKEY hKey = nullptr;
    LONG r = RegCreateKeyExA(HKEY_CLASSES_ROOT, sub.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                             &hKey, nullptr);
    if (r != ERROR_SUCCESS) return HRESULT_FROM_WIN32(r);
    HRESULT hr = S_OK;
    for (const auto& [name, text] : values) {
        hr = SetText(hKey, name, text);
        if (FAILED(hr)) break;
    }
    RegCloseKey(hKey);
    return hr;
}

// Deletes a key with everything under it, depth first.
LONG DeleteTree(HKEY hParent, const std::string& sub) {
    HKEY hKey = nullptr;
    LONG r = RegOpenKeyExA(hParent, sub.c_str(), 0, KEY_ALL_ACCESS, &hKey);
    if (r != ERROR_SUCCESS) return r;
    char name[260];
    while (RegEnumKeyA(hKey, 0, name, sizeof(name)) == ERROR_SUCCESS)
        if (DeleteTree(hKey, name) != ERROR_SUCCESS) break;
    RegCloseKey(hKey);
    return RegDeleteKeyA(hParent, sub.c_str());
}

std::string Utf8(const WCHAR* p) { return p != nullptr ? Utf8FromWide(p) : std::string(); }

HRESULT WritePin(REFCLSID clsid, const WCHAR* pszName, BOOL bRendered, BOOL bOutput, BOOL bZero,
                 BOOL bMany, REFCLSID connectsToFilter, const WCHAR* pszConnectsToPin) {
    return WriteKey(FilterKey(clsid) + "\\Pins\\" + Utf8(pszName),
                    {{"Direction", bOutput ? "Output" : "Input"},
                     {"Rendered", bRendered ? "1" : "0"},
                     {"ZeroAllowed", bZero ? "1" : "0"},
                     {"ManyAllowed", bMany ? "1" : "0"},
                     {"ConnectsToFilter", GuidText(connectsToFilter)},
                     {"ConnectsToPin", Utf8(pszConnectsToPin)}});
}

HRESULT WritePinType(REFCLSID clsid, const WCHAR* pszPin, int n, REFCLSID major, REFCLSID minor) {
    return WriteKey(FilterKey(clsid) + "\\Pins\\" + Utf8(pszPin) + "\\Types\\" + std::to_string(n),
                    {{"Major", GuidText(major)}, {"Sub", GuidText(minor)}});
}

HRESULT WriteFilter(REFCLSID clsid, const WCHAR* pszName, DWORD dwMerit) {
    char merit[16];
    std::snprintf(merit, sizeof(merit), "0x%08X", dwMerit);
    return WriteKey(FilterKey(clsid), {{"", Utf8(pszName)}, {"Merit", merit}});
}

HRESULT RemoveFilter(REFCLSID clsid) {
    return HRESULT_FROM_WIN32(DeleteTree(HKEY_CLASSES_ROOT, FilterKey(clsid)));
}

// Serves both mapper versions; each object is used by one thread at a time.
class CFilterMapper : public CRefCounted<IFilterMapper2, IFilterMapper> {
public:
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IFilterMapper2)
            *ppv = static_cast<IFilterMapper2*>(this);
        else if (riid == IID_IFilterMapper)
            *ppv = static_cast<IFilterMapper*>(this);
        else {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    HRESULT CreateCategory(REFCLSID, DWORD, const WCHAR*) override { return E_NOTIMPL; }
    HRESULT UnregisterFilter(const CLSID*, const WCHAR*, REFCLSID Filter) override {
        return RemoveFilter(Filter);
    }
    HRESULT RegisterFilter(REFCLSID clsidFilter, const WCHAR* Name, IMoniker**, const CLSID*,
                           const WCHAR*, const REGFILTER2* prf2) override {
        if (prf2 == nullptr) return E_POINTER;
        if (prf2->dwVersion != 1) return E_INVALIDARG;
        HRESULT hr = WriteFilter(clsidFilter, Name, prf2->dwMerit);
        for (ULONG i = 0; i < prf2->cPins && SUCCEEDED(hr); ++i) {
            const REGFILTERPINS& pin = prf2->rgPins[i];
            hr =
                WritePin(clsidFilter, pin.strName, pin.bRendered, pin.bOutput, pin.bZero, pin.bMany,
                         pin.clsConnectsToFilter != nullptr ? *pin.clsConnectsToFilter : GUID_NULL,
                         pin.strConnectsToPin);
            for (UINT t = 0; t < pin.nMediaTypes && SUCCEEDED(hr); ++t) {
                const REGPINTYPES& type = pin.lpMediaType[t];
                hr = WritePinType(clsidFilter, pin.strName, static_cast<int>(t),
                                  type.clsMajorType ? *type.clsMajorType : GUID_NULL,
                                  type.clsMinorType ? *type.clsMinorType : GUID_NULL);
            }
        }
        return hr;
    }
    HRESULT EnumMatchingFilters(void**, DWORD) override { return E_NOTIMPL; }

    HRESULT RegisterFilter(CLSID clsid, const WCHAR* Name, DWORD dwMerit) override {
        return WriteFilter(clsid, Name, dwMerit);
    }
    HRESULT RegisterFilterInstance(CLSID, const WCHAR*, CLSID*) override { return E_NOTIMPL; }
    HRESULT RegisterPin(CLSID Filter, const WCHAR* Name, BOOL bRendered, BOOL bOutput, BOOL bZero,
                        BOOL bMany, CLSID ConnectsToFilter, const WCHAR* ConnectsToPin) override {
        return WritePin(Filter, Name, bRendered, bOutput, bZero, bMany, ConnectsToFilter,
                        ConnectsToPin);
    }
    HRESULT RegisterPinType(CLSID clsFilter, const WCHAR* strName, CLSID clsMajorType,
                            CLSID clsSubType) override {
        // Types of one pin are numbered in the order they come.
        HKEY hKey = nullptr;
        int n = 0;
        const std::string types = FilterKey(clsFilter) + "\\Pins\\" + Utf8(strName) + "\\Types";
        if (RegOpenKeyExA(HKEY_CLASSES_ROOT, types.c_str(), 0, KEY_READ, &hKey) == ERROR_SUCCESS) {
            char name[260];
            while (RegEnumKeyA(hKey, static_cast<DWORD>(n), name, sizeof(name)) == ERROR_SUCCESS)
                ++n;
            RegCloseKey(hKey);
        }
        return WritePinType(clsFilter, strName, n, clsMajorType, clsSubType);
    }
    HRESULT UnregisterFilter(CLSID Filter) override { return RemoveFilter(Filter); }
    HRESULT UnregisterFilterInstance(CLSID) override { return E_NOTIMPL; }
    HRESULT UnregisterPin(CLSID Filter, const WCHAR* Name) override {
        return HRESULT_FROM_WIN32(
            DeleteTree(HKEY_CLASSES_ROOT, FilterKey(Filter) + "\\Pins\\" + Utf8(Name)));
    }

private:
    ~CFilterMapper() override = default;
};

// The class object of both versions: static, never deleted.
class CMapperClassObject : public IClassFactory {
public:
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr) return E_POINTER;
        if (riid != IID_IUnknown && riid != IID_IClassFactory) {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        *ppv = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }
    HRESULT CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv) override {
        if (ppv == nullptr) return E_POINTER;
        *ppv = nullptr;
        if (pUnkOuter != nullptr) return CLASS_E_NOAGGREGATION;
        auto* p = new (std::nothrow) CFilterMapper();
        if (p == nullptr) return E_OUTOFMEMORY;
        const HRESULT hr = static_cast<IFilterMapper2*>(p)->QueryInterface(riid, ppv);
        static_cast<IFilterMapper2*>(p)->Release();
        return hr;
    }
    HRESULT LockServer(BOOL) override { return S_OK; }
};

CMapperClassObject g_mapperClass;

// Registers the class objects when the module loads, as the system has them.
struct MapperRegistration {
    MapperRegistration() {
        DWORD cookie = 0;
        CoRegisterClassObject(CLSID_FilterMapper2, &g_mapperClass, CLSCTX_INPROC_SERVER,
                              REGCLS_MULTIPLEUSE, &cookie);
        CoRegisterClassObject(CLSID_FilterMapper, &g_mapperClass, CLSCTX_INPROC_SERVER,
                              REGCLS_MULTIPLEUSE, &cookie);
    }
} g_mapperRegistration;
} // namespace
