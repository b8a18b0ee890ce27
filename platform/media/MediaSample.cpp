#include "platform/media/MediaSample.h"
#include "platform/media/MemAllocator.h"

CMediaSample::CMediaSample(CMemAllocator* pAllocator, BYTE* pBuffer, LONG cbBuffer)
    : m_pAllocator(pAllocator), m_pBuffer(pBuffer), m_cbBuffer(cbBuffer) {}

HRESULT CMediaSample::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IMediaSample)
        *ppv = static_cast<IMediaSample*>(this);
    else if (riid == IID_IMfxSilentBuffer)
        *ppv = static_cast<IMfxSilentBuffer*>(this);
    else {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG CMediaSample::AddRef() { return ++m_cRef; }

ULONG CMediaSample::Release() {
    const ULONG n = --m_cRef;
    // The allocator may go with its last buffer: nothing of this object is
    // touched after the hand-back.
    if (n == 0) m_pAllocator->ReleaseBuffer(this);
    return n;
}

void CMediaSample::Reset() {
    m_cRef = 1;
    m_lActual = m_cbBuffer;
    m_bStartValid = m_bStopValid = m_bMediaTimeValid = false;
    m_bSyncPoint = m_bPreroll = m_bDiscontinuity = m_bSilent = FALSE;
}

HRESULT CMediaSample::GetPointer(BYTE** ppBuffer) {
    if (ppBuffer == nullptr) return E_POINTER;
    *ppBuffer = m_pBuffer;
    return S_OK;
}

HRESULT CMediaSample::GetTime(REFERENCE_TIME* pStart, REFERENCE_TIME* pEnd) {
    if (pStart == nullptr || pEnd == nullptr) return E_POINTER;
    if (!m_bStartValid) return VFW_E_SAMPLE_TIME_NOT_SET;
    *pStart = m_tStart;
    if (!m_bStopValid) {
        *pEnd = m_tStart + 1;
        return VFW_S_NO_STOP_TIME;
    }
    *pEnd = m_tStop;
    return S_OK;
}

HRESULT CMediaSample::SetTime(REFERENCE_TIME* pStart, REFERENCE_TIME* pEnd) {
    m_bStartValid = pStart != nullptr;
    m_bStopValid = pStart != nullptr && pEnd != nullptr;
    if (pStart != nullptr) m_tStart = *pStart;
    if (m_bStopValid) m_tStop = *pEnd;
    return S_OK;
}

HRESULT CMediaSample::SetSyncPoint(BOOL b) {
    m_bSyncPoint = b ? TRUE : FALSE;
    return S_OK;
}
HRESULT CMediaSample::SetPreroll(BOOL b) {
    m_bPreroll = b ? TRUE : FALSE;
    return S_OK;
}
HRESULT CMediaSample::SetDiscontinuity(BOOL b) {
    m_bDiscontinuity = b ? TRUE : FALSE;
    return S_OK;
}

HRESULT CMediaSample::SetActualDataLength(LONG lLen) {
    if (lLen < 0 || lLen > m_cbBuffer) return E_INVALIDARG;
    m_lActual = lLen;
    return S_OK;
}

HRESULT CMediaSample::GetMediaType(AM_MEDIA_TYPE** ppMediaType) {
    if (ppMediaType == nullptr) return E_POINTER;
    *ppMediaType = nullptr;
    return S_FALSE;
}
HRESULT CMediaSample::SetMediaType(AM_MEDIA_TYPE*) { return E_NOTIMPL; }

HRESULT CMediaSample::GetMediaTime(LONGLONG* pTimeStart, LONGLONG* pTimeEnd) {
    if (pTimeStart == nullptr || pTimeEnd == nullptr) return E_POINTER;
    if (!m_bMediaTimeValid) return VFW_E_SAMPLE_TIME_NOT_SET;
    *pTimeStart = m_llMediaStart;
    *pTimeEnd = m_llMediaStop;
    return S_OK;
}
HRESULT CMediaSample::SetMediaTime(LONGLONG* pTimeStart, LONGLONG* pTimeEnd) {
    m_bMediaTimeValid = pTimeStart != nullptr && pTimeEnd != nullptr;
    if (m_bMediaTimeValid) {
        m_llMediaStart = *pTimeStart;
        m_llMediaStop = *pTimeEnd;
    }
    return S_OK;
}

HRESULT CMediaSample::GetSilentFlag(BOOL* pbSilent) {
    if (pbSilent == nullptr) return E_POINTER;
    *pbSilent = m_bSilent;
    return S_OK;
}
HRESULT CMediaSample::SetSilentFlag(BOOL bSilent) {
    m_bSilent = bSilent ? TRUE : FALSE;
    return S_OK;
}
