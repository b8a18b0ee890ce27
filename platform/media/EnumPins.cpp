#include "platform/media/EnumPins.h"
#include "platform/media/BasePin.h"
#include <algorithm>
#include <new>

CEnumPins::CEnumPins(CBaseFilter* pFilter, const CEnumPins* pClone) : m_pFilter(pFilter) {
    static_cast<IBaseFilter*>(m_pFilter)->AddRef();
    if (pClone != nullptr) {
        m_nPosition = pClone->m_nPosition;
        m_nPinCount = pClone->m_nPinCount;
        m_nVersion = pClone->m_nVersion;
        m_handedOut = pClone->m_handedOut;
    } else {
        Refresh();
    }
}

CEnumPins::~CEnumPins() { static_cast<IBaseFilter*>(m_pFilter)->Release(); }

HRESULT CEnumPins::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    if (riid != IID_IUnknown && riid != IID_IEnumPins) {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    *ppv = static_cast<IEnumPins*>(this);
    AddRef();
    return S_OK;
}

void CEnumPins::Refresh() {
    CAutoLock lock(m_pFilter->FilterLock());
    m_nVersion = m_pFilter->GetPinVersion();
    m_nPinCount = m_pFilter->GetPinCount();
    m_nPosition = 0;
}

HRESULT CEnumPins::Next(ULONG cPins, IPin** ppPins, ULONG* pcFetched) {
    if (ppPins == nullptr) return E_POINTER;
    if (pcFetched == nullptr && cPins > 1) return E_INVALIDARG;
    if (pcFetched != nullptr) *pcFetched = 0;
    CAutoLock lock(m_pFilter->FilterLock());
    // After a change the walk starts over; pins already handed out are skipped.
    if (OutOfSync()) Refresh();
    ULONG fetched = 0;
    while (fetched < cPins && m_nPosition < m_nPinCount) {
        CBasePin* pPin = m_pFilter->GetPin(m_nPosition++);
        if (pPin == nullptr) {
            if (pcFetched != nullptr) *pcFetched = fetched;
            return VFW_E_ENUM_OUT_OF_SYNC;
        }
        if (std::find(m_handedOut.begin(), m_handedOut.end(), pPin) != m_handedOut.end()) continue;
        m_handedOut.push_back(pPin);
        pPin->AddRef();
        ppPins[fetched++] = pPin;
    }
    if (pcFetched != nullptr) *pcFetched = fetched;
    return fetched == cPins ? S_OK : S_FALSE;
}

HRESULT CEnumPins::Skip(ULONG cPins) {
    if (OutOfSync()) return VFW_E_ENUM_OUT_OF_SYNC;
    const ULONG left = static_cast<ULONG>(m_nPinCount - m_nPosition);
    if (cPins > left) return S_FALSE;
    m_nPosition += static_cast<int>(cPins);
    return S_OK;
}

HRESULT CEnumPins::Reset() {
    Refresh();
    m_handedOut.clear();
    return S_OK;
}

HRESULT CEnumPins::Clone(IEnumPins** ppEnum) {
    if (ppEnum == nullptr) return E_POINTER;
    if (OutOfSync()) {
        *ppEnum = nullptr;
        return VFW_E_ENUM_OUT_OF_SYNC;
    }
    *ppEnum = new (std::nothrow) CEnumPins(m_pFilter, this);
    return *ppEnum != nullptr ? S_OK : E_OUTOFMEMORY;
}
