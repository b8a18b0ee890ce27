#include "apps/hostkit/PortSink.h"
#include "apps/hostkit/HostSource.h"
#include <algorithm>

CPortSinkPin::CPortSinkPin(CPortSink* pFilter, CCritSec* pLock, const CMediaType& type)
    : CBaseInputPin(L"In", pFilter, pLock, nullptr), m_type(type) {}

HRESULT CPortSinkPin::CheckMediaType(const CMediaType* pmt) { return CheckSinkType(pmt, m_type); }

HRESULT CPortSinkPin::GetMediaType(int iPosition, CMediaType* pmt) {
    if (iPosition < 0) return E_INVALIDARG;
    if (iPosition > 0) return VFW_S_NO_MORE_ITEMS;
    *pmt = m_type;
    return S_OK;
}

HRESULT CPortSinkPin::Receive(IMediaSample* pSample) {
    BYTE* p = nullptr;
    if (FAILED(pSample->GetPointer(&p)) || p == nullptr) return E_POINTER;
    const LONG lBytes = pSample->GetActualDataLength();
    uint32_t nFrames = lBytes > 0 ? static_cast<uint32_t>(lBytes) / (2 * sizeof(float)) : 0;
    // A buffer flagged silent may hold stale bytes: it is written as zeros.
    const bool bSilent = IsFlaggedSilent(pSample);
    ++m_nReceived;
    if (!bSilent) m_bSounded = true;
    if (m_nOffset >= m_nCapacity) return S_OK;
    if (nFrames > m_nCapacity - m_nOffset) nFrames = m_nCapacity - m_nOffset;
    const auto* pf = reinterpret_cast<const float*>(p);
    // One plain pass per port, decided once per buffer rather than per frame.
    for (int c = 0; c < 2; ++c) {
        float* pPort = c == 0 ? m_pLeft : m_pRight;
        if (pPort == nullptr) continue;
        pPort += m_nOffset;
        if (bSilent) {
            std::fill(pPort, pPort + nFrames, 0.0f);
            continue;
        }
        for (uint32_t i = 0; i < nFrames; ++i) pPort[i] = pf[2 * i + c];
    }
    return S_OK;
}

CPortSink::CPortSink(DWORD dwRate)
    : CRefCounted(L"Port Sink", &m_lock, GUID_NULL),
      m_pin(this, &m_lock, HostFloatType(2, dwRate)) {}

CInstrumentGraph::Sink CPortSink::ForGraph(DWORD dwRate, CPortSink** ppSink) {
    ComPtr<CPortSink> pSink = MakeCom<CPortSink>(dwRate);
    *ppSink = pSink.Get();
    CInstrumentGraph::Sink sink;
    sink.pPin = pSink->Pin();
    sink.pszName = L"Port";
    sink.pFilter = std::move(pSink);
    return sink;
}
