#include "apps/hostkit/HostSink.h"
#include "apps/hostkit/HostSource.h"
#include <algorithm>
#include <cstring>

CHostSinkPin::CHostSinkPin(CHostSink* pFilter, CCritSec* pLock, const CMediaType& type)
    : CBaseInputPin(L"In", pFilter, pLock, nullptr), m_type(type) {}

HRESULT CHostSinkPin::CheckMediaType(const CMediaType* pmt) { return CheckSinkType(pmt, m_type); }

HRESULT CHostSinkPin::GetMediaType(int iPosition, CMediaType* pmt) {
    if (iPosition < 0) return E_INVALIDARG;
    if (iPosition > 0) return VFW_S_NO_MORE_ITEMS;
    *pmt = m_type;
    return S_OK;
}

HRESULT CHostSinkPin::Receive(IMediaSample* pSample) {
    BYTE* p = nullptr;
    if (FAILED(pSample->GetPointer(&p)) || p == nullptr) return E_POINTER;
    const LONG lBytes = pSample->GetActualDataLength();
    const size_t nFloats = lBytes > 0 ? static_cast<size_t>(lBytes) / sizeof(float) : 0;
    // A buffer flagged silent may hold stale bytes: it counts as zeros.
    bool bSilent = IsFlaggedSilent(pSample);
    const auto* pf = reinterpret_cast<const float*>(p);
    if (!bSilent) bSilent = std::all_of(pf, pf + nFloats, [](float f) { return f == 0.0f; });
    if (bSilent) {
        m_nSilentFloats += nFloats;
        return S_OK;
    }
    Complete();
    m_bSound = true;
    if (m_pTarget != nullptr) return m_pTarget->Put(pf, nFloats) ? S_OK : E_FAIL;
    m_samples.insert(m_samples.end(), pf, pf + nFloats);
    return S_OK;
}

void CHostSinkPin::Clear() {
    m_samples.clear();
    m_nSilentFloats = 0;
    m_bSound = false;
}

void CHostSinkPin::Complete() {
    if (m_pTarget != nullptr)
        m_pTarget->Put(nullptr, m_nSilentFloats);
    else
        m_samples.resize(m_samples.size() + m_nSilentFloats, 0.0f);
    m_nSilentFloats = 0;
}

CHostSink::CHostSink(WORD wChannels, DWORD dwRate)
    : CRefCounted(L"Host Sink", &m_lock, GUID_NULL),
      m_pin(this, &m_lock, HostFloatType(wChannels, dwRate)) {}
