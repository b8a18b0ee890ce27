#include "host/FilterInputPin.h"
#include "host/Filter.h"

CFilterInputPin::CFilterInputPin(CFilter* pFilter, HRESULT* phr)
    : CBaseInputPin(L"Input", pFilter, pFilter->ObjectLock(), phr), m_pOwner(pFilter) {}

HRESULT CFilterInputPin::GetMediaType(int, CMediaType*) { return E_UNEXPECTED; }

HRESULT CFilterInputPin::CheckMediaType(const CMediaType* pmt) {
    if (m_bInCheck) return S_OK;
    m_bInCheck = true;
    HRESULT hr = m_pOwner->CheckFormat(PINDIR_INPUT, pmt);
    for (DWORD i = 0; hr == S_OK && i < m_pOwner->GetOutputPinCount(); ++i) {
        auto* pOut = static_cast<CFilterOutputPin*>(m_pOwner->GetRenderOutput(i));
        if (pOut == nullptr || !pOut->CBasePin::IsConnected()) continue;
        if (m_pOwner->CheckTransformTypes(pmt, &pOut->CurrentMediaType()) != S_OK)
            hr = VFW_E_TYPE_NOT_ACCEPTED;
    }
    m_bInCheck = false;
    return hr;
}

HRESULT CFilterInputPin::SetMediaType(const CMediaType* pmt) {
    HRESULT hr = CBaseInputPin::SetMediaType(pmt);
    if (FAILED(hr)) return hr;
    CAutoLock lock(m_pLock);
    hr = m_pOwner->CheckFormat(PINDIR_INPUT, pmt);
    if (hr != S_OK) return FAILED(hr) ? hr : VFW_E_TYPE_NOT_ACCEPTED;
    m_pOwner->StoreInputFormat(*pmt);
    return S_OK;
}

HRESULT CFilterInputPin::CompleteConnect(IPin* pReceivePin) {
    HRESULT hr = CBaseInputPin::CompleteConnect(pReceivePin);
    if (FAILED(hr)) return hr;
    for (DWORD i = 0; i < m_pOwner->GetOutputPinCount(); ++i) {
        auto* pOut = static_cast<CFilterOutputPin*>(m_pOwner->GetRenderOutput(i));
        if (pOut == nullptr || !pOut->CBasePin::IsConnected()) continue;
        if (m_pOwner->CheckTransformTypes(&m_mt, &pOut->CurrentMediaType()) == S_OK) continue;
        hr = m_pOwner->ReconnectPin(pOut);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

HRESULT CFilterInputPin::Receive(IMediaSample* pSample) {
    if (pSample == nullptr) return E_POINTER;
    CAutoLock lock(m_pLock);
    pSample->AddRef();
    m_input.Bind(pSample);
    const HRESULT hr = m_pOwner->ProcessSample(&m_input);
    m_input.Unbind();
    return hr;
}

HRESULT CFilterInputPin::EndOfStream() {
    CAutoLock lock(m_pLock);
    return m_pOwner->ProcessEndOfStream();
}

namespace {
// Applies fn to every connected output in creation order; the first failure is returned.
template <typename F> HRESULT ForEachConnectedOutput(CFilter* pFilter, F fn) {
    for (DWORD i = 0; i < pFilter->GetOutputPinCount(); ++i) {
        auto* pOut = static_cast<CFilterOutputPin*>(pFilter->GetRenderOutput(i));
        if (pOut == nullptr || !pOut->CBasePin::IsConnected()) continue;
        const HRESULT hr = fn(pOut);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}
} // namespace

HRESULT CFilterInputPin::BeginFlush() {
    CAutoLock lock(m_pLock);
    const HRESULT hr = ForEachConnectedOutput(
        m_pOwner, [](CFilterOutputPin* p) { return p->DeliverBeginFlush(); });
    if (FAILED(hr)) return hr;
    return CBaseInputPin::BeginFlush();
}

HRESULT CFilterInputPin::EndFlush() {
    CAutoLock lock(m_pLock);
    const HRESULT hr =
        ForEachConnectedOutput(m_pOwner, [](CFilterOutputPin* p) { return p->DeliverEndFlush(); });
    if (FAILED(hr)) return hr;
    return CBaseInputPin::EndFlush();
}

HRESULT CFilterInputPin::NewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate) {
    CAutoLock lock(m_pLock);
    const HRESULT hr = ForEachConnectedOutput(
        m_pOwner, [&](CFilterOutputPin* p) { return p->DeliverNewSegment(tStart, tStop, dRate); });
    if (FAILED(hr)) return hr;
    return CBaseInputPin::NewSegment(tStart, tStop, dRate);
}
