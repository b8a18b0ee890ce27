#include "host/ClassFactory.h"
#include "host/ServerCounters.h"

HRESULT CClassFactory::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    if (riid != IID_IUnknown && riid != IID_IClassFactory) {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    *ppv = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
}

ULONG CClassFactory::Release() {
    const ULONG n = --m_cRef;
    if (n == 0) delete this;
    return n;
}

HRESULT CClassFactory::CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    // An aggregated object hands its outer object the inner IUnknown only.
    if (pUnkOuter != nullptr && riid != IID_IUnknown) return E_NOINTERFACE;
    HRESULT hr = S_OK;
    INonDelegatingUnknown* pObject = m_pTemplate->m_lpfnNew(pUnkOuter, &hr);
    if (pObject == nullptr) return SUCCEEDED(hr) ? E_OUTOFMEMORY : hr;
    if (FAILED(hr)) {
        delete pObject;
        return hr;
    }
    pObject->NonDelegatingAddRef();
    hr = pObject->NonDelegatingQueryInterface(riid, ppv);
    pObject->NonDelegatingRelease();
    return hr;
}

HRESULT CClassFactory::LockServer(BOOL fLock) {
    if (fLock)
        ++ServerLockCount();
    else
        --ServerLockCount();
    return S_OK;
}
