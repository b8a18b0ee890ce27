#include "host/FilterOutputPin.h"
#include "host/Filter.h"
#include <cstring>

CFilterOutputPin::CFilterOutputPin(CFilter* pFilter, const WCHAR* pName, DWORD dwId, HRESULT* phr)
    : CBaseOutputPin(pName, pFilter, pFilter->ObjectLock(), phr), m_pOwner(pFilter), m_dwId(dwId) {}

CFilterOutputPin::~CFilterOutputPin() { m_delivery.Unbind(); }

HRESULT CFilterOutputPin::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    if (riid == IID_IMediaPosition || riid == IID_IMediaSeeking) {
        // Seeking belongs to the source: pass it through to the pin upstream of our input.
        *ppv = nullptr;
        IPin* pUpstream = m_pOwner->InputPin()->GetConnected();
        return pUpstream != nullptr ? pUpstream->QueryInterface(riid, ppv) : E_NOINTERFACE;
    }
    return CBasePin::QueryInterface(riid, ppv);
}

IBaseFilter* CFilterOutputPin::UpdateFilterHold() {
    const ULONG nOutside = m_cRef - (m_bInList ? 1 : 0);
    if (nOutside > 0 && !m_bHoldsFilter) {
        m_bHoldsFilter = true;
        m_pOwner->AsBaseFilter()->AddRef();
    } else if (nOutside == 0 && m_bHoldsFilter) {
        m_bHoldsFilter = false;
        return m_pOwner->AsBaseFilter(); // released by the caller, outside the lock
    }
    return nullptr;
}

ULONG CFilterOutputPin::AddRef() {
    CAutoLock lock(&m_refLock);
    const ULONG n = ++m_cRef;
    UpdateFilterHold();
    return n;
}

ULONG CFilterOutputPin::Release() {
    IBaseFilter* pDrop = nullptr;
    ULONG n;
    {
        CAutoLock lock(&m_refLock);
        n = --m_cRef;
        pDrop = UpdateFilterHold();
    }
    if (n == 0) delete this;
    // The filter may go with this; nothing of the pin is touched after it.
    if (pDrop != nullptr) pDrop->Release();
    return n;
}

void CFilterOutputPin::SetInList(bool bInList) {
    IBaseFilter* pDrop = nullptr;
    ULONG n;
    {
        CAutoLock lock(&m_refLock);
        m_bInList = bInList;
        n = bInList ? ++m_cRef : --m_cRef;
        pDrop = UpdateFilterHold();
    }
    if (n == 0) delete this;
    if (pDrop != nullptr) pDrop->Release();
}

void CFilterOutputPin::ForceDisconnect() {
    CAutoLock lock(m_pLock);
    if (m_Connected != nullptr) m_Connected->Disconnect();
    DisconnectInternal();
}

HRESULT CFilterOutputPin::EnumMediaTypes(IEnumMediaTypes** ppEnum) {
    if (ppEnum == nullptr) return E_POINTER;
    *ppEnum = nullptr;
    IPin* pUpstream = m_pOwner->InputPin()->GetConnected();
    if (pUpstream == nullptr) return VFW_E_NOT_CONNECTED;
    return pUpstream->EnumMediaTypes(ppEnum);
}

HRESULT CFilterOutputPin::GetMediaType(int iPosition, CMediaType* pMediaType) {
    CFilterInputPin* pInput = m_pOwner->InputPin();
    if (!pInput->CBasePin::IsConnected()) return VFW_S_NO_MORE_ITEMS;
    if (iPosition < 0) return E_INVALIDARG;
    if (iPosition > 0) return VFW_S_NO_MORE_ITEMS;
    const CMediaType& in = pInput->CurrentMediaType();
    if (in.pbFormat == nullptr || in.cbFormat < sizeof(WAVEFORMATEX)) return E_FAIL;
    *pMediaType = in;
    if (pMediaType->pbFormat == nullptr || pMediaType->cbFormat < sizeof(WAVEFORMATEX))
        return E_FAIL;
    // The proposal starts as a copy of the input format; the engine may adjust it.
    WAVEFORMATEX wfx;
    std::memcpy(&wfx, pMediaType->pbFormat, sizeof(wfx));
    const HRESULT hr = m_pOwner->ProposeOutputFormat(&wfx, pMediaType);
    std::memcpy(pMediaType->pbFormat, &wfx, sizeof(wfx));
    return hr;
}

HRESULT CFilterOutputPin::CheckMediaType(const CMediaType* pmt) {
    if (m_bInCheck) return S_OK;
    m_bInCheck = true;
    HRESULT hr = m_pOwner->CheckFormat(PINDIR_OUTPUT, pmt);
    CFilterInputPin* pInput = m_pOwner->InputPin();
    if (hr == S_OK && !pInput->CBasePin::IsConnected()) hr = VFW_E_NOT_CONNECTED;
    if (hr == S_OK && m_pOwner->CheckTransformTypes(&pInput->CurrentMediaType(), pmt) != S_OK)
        hr = VFW_E_TYPE_NOT_ACCEPTED;
    m_bInCheck = false;
    return hr;
}

HRESULT CFilterOutputPin::SetMediaType(const CMediaType* pmt) {
    if (!m_pOwner->InputPin()->CBasePin::IsConnected()) return VFW_E_NOT_CONNECTED;
    HRESULT hr = CBaseOutputPin::SetMediaType(pmt);
    if (FAILED(hr)) return hr;
    CAutoLock lock(m_pLock);
    hr = m_pOwner->CheckFormat(PINDIR_OUTPUT, pmt);
    if (hr != S_OK) return FAILED(hr) ? hr : VFW_E_TYPE_NOT_ACCEPTED;
    m_pOwner->StoreOutputFormat(*pmt);
    return S_OK;
}

HRESULT CFilterOutputPin::DecideBufferSize(IMemAllocator* pAlloc, ALLOCATOR_PROPERTIES* pProp) {
    if (pAlloc == nullptr || pProp == nullptr) return E_POINTER;
    CFilterInputPin* pInput = m_pOwner->InputPin();
    if (pInput->CBasePin::IsConnected() && pInput->Allocator() != nullptr) {
        ALLOCATOR_PROPERTIES in{};
        if (SUCCEEDED(pInput->Allocator()->GetProperties(&in))) {
            *pProp = in;
            // A mono input feeding a stereo output needs twice the bytes per frame.
            const CMediaType& mtIn = pInput->CurrentMediaType();
            if (mtIn.cbFormat >= sizeof(WAVEFORMATEX) && m_mt.cbFormat >= sizeof(WAVEFORMATEX)) {
                WAVEFORMATEX wIn, wOut;
                std::memcpy(&wIn, mtIn.pbFormat, sizeof(wIn));
                std::memcpy(&wOut, m_mt.pbFormat, sizeof(wOut));
                if (wIn.nChannels == 1 && wOut.nChannels == 2) pProp->cbBuffer *= 2;
            }
        }
    }
    ALLOCATOR_PROPERTIES actual{};
    const HRESULT hr = pAlloc->SetProperties(pProp, &actual);
    if (FAILED(hr)) return hr;
    *pProp = actual;
    return S_OK;
}

HRESULT CFilterOutputPin::GetDeliveryBuffer(IPinSample** ppSample) {
    if (ppSample == nullptr) return E_POINTER;
    *ppSample = nullptr;
    // One buffer per pin at a time: the process path releases it before the next.
    if (m_delivery.IsBound()) return E_UNEXPECTED;
    IMediaSample* pSample = nullptr;
    const HRESULT hr = CBaseOutputPin::GetDeliveryBuffer(&pSample, nullptr, nullptr, 0);
    if (FAILED(hr)) return hr;
    m_delivery.Bind(pSample);
    *ppSample = &m_delivery;
    return S_OK;
}

HRESULT CFilterOutputPin::Deliver(IPinSample* pSample) {
    if (pSample != &m_delivery || !m_delivery.IsBound()) return E_INVALIDARG;
    return CBaseOutputPin::Deliver(m_delivery.Sample());
}
