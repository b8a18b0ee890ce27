#include "platform/com/TypeLib.h"
#include <mutex>
#include <vector>

namespace {
struct Registration {
    TLIBATTR attr;
    ITypeLib* pLib;
};

std::mutex& Lock() {
    static std::mutex m;
    return m;
}
std::vector<Registration>& Table() {
    static std::vector<Registration> t;
    return t;
}
} // namespace

HRESULT RegisterTypeLib(ITypeLib* ptlib, const WCHAR*, const WCHAR*) {
    if (ptlib == nullptr) return E_INVALIDARG;
    TLIBATTR attr;
    const HRESULT hr = ptlib->GetLibAttr(&attr);
    if (FAILED(hr)) return hr;
    std::lock_guard<std::mutex> lock(Lock());
    ptlib->AddRef();
    for (Registration& r : Table())
        if (r.attr.guid == attr.guid && r.attr.wMajorVerNum == attr.wMajorVerNum &&
            r.attr.wMinorVerNum == attr.wMinorVerNum) {
            r.pLib->Release();
            r = Registration{attr, ptlib};
            return S_OK;
        }
    Table().push_back(Registration{attr, ptlib});
    return S_OK;
}

HRESULT UnRegisterTypeLib(REFGUID libID, WORD wVerMajor, WORD wVerMinor, LCID, DWORD) {
    ITypeLib* pLib = nullptr;
    {
        std::lock_guard<std::mutex> lock(Lock());
        auto& t = Table();
        for (auto it = t.begin(); it != t.end(); ++it)
            if (it->attr.guid == libID && it->attr.wMajorVerNum == wVerMajor &&
                it->attr.wMinorVerNum == wVerMinor) {
                pLib = it->pLib;
                t.erase(it);
                break;
            }
    }
    if (pLib == nullptr) return TYPE_E_LIBNOTREGISTERED;
    pLib->Release();
    return S_OK;
}

HRESULT LoadRegTypeLib(REFGUID rguid, WORD wVerMajor, WORD wVerMinor, LCID, ITypeLib** pptlib) {
    if (pptlib == nullptr) return E_POINTER;
    *pptlib = nullptr;
    std::lock_guard<std::mutex> lock(Lock());
    const Registration* pBest = nullptr;
    for (const Registration& r : Table())
        if (r.attr.guid == rguid && r.attr.wMajorVerNum == wVerMajor &&
            r.attr.wMinorVerNum >= wVerMinor &&
            (pBest == nullptr || r.attr.wMinorVerNum > pBest->attr.wMinorVerNum))
            pBest = &r;
    if (pBest == nullptr) return TYPE_E_LIBNOTREGISTERED;
    pBest->pLib->AddRef();
    *pptlib = pBest->pLib;
    return S_OK;
}
