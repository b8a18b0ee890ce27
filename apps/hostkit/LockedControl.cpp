#include "apps/hostkit/LockedControl.h"

HRESULT CLockedControl::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IVudivuVizezud) {
        *ppv = static_cast<IVudivuVizezud*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

// The type information describes the interface, not the instrument's state:
// no lock. Invoke calls the instrument's operations, any of them: under the
// lock, as a call that may start playback.
HRESULT CLockedControl::GetTypeInfoCount(UINT* pctinfo) {
    return m_pInner->GetTypeInfoCount(pctinfo);
}

HRESULT CLockedControl::GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) {
    return m_pInner->GetTypeInfo(iTInfo, lcid, ppTInfo);
}

HRESULT CLockedControl::GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                                      DISPID* rgDispId) {
    return m_pInner->GetIDsOfNames(riid, rgszNames, cNames, lcid, rgDispId);
}

HRESULT CLockedControl::Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                               DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                               UINT* puArgErr) {
    return Starting([&] {
        return m_pInner->Invoke(dispIdMember, riid, lcid, wFlags, pDispParams, pVarResult,
                                pExcepInfo, puArgErr);
    });
}
