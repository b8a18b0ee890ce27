#include "host/PropPagePlaceholder.h"
#include <new>

INonDelegatingUnknown* CPropPagePlaceholder::CreateInstance(IUnknown* pUnkOuter, HRESULT* phr) {
    if (pUnkOuter != nullptr) {
        *phr = CLASS_E_NOAGGREGATION;
        return nullptr;
    }
    auto* p = new (std::nothrow) CPropPagePlaceholder();
    if (p == nullptr) *phr = E_OUTOFMEMORY;
    return p;
}

HRESULT CPropPagePlaceholder::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    if (riid != IID_IUnknown) {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    *ppv = &m_unknown;
    NonDelegatingAddRef();
    return S_OK;
}

ULONG CPropPagePlaceholder::NonDelegatingRelease() {
    const ULONG n = --m_cRef;
    if (n == 0) delete this;
    return n;
}
