#include "apps/hostkit/HostSource.h"
#include "platform/mfx/MfxSilentBuffer.h"
#include "platform/mmio/WaveFormat.h"
#include <cstdint>
#include <cstring>

WAVEFORMATEX FormatOfType(const CMediaType& mt) {
    WAVEFORMATEX wfx{};
    if (mt.pbFormat != nullptr && mt.cbFormat >= sizeof(wfx))
        std::memcpy(&wfx, mt.pbFormat, sizeof(wfx));
    return wfx;
}

HRESULT CheckSinkType(const CMediaType* pmt, const CMediaType& want) {
    if (pmt == nullptr || pmt->majortype != MEDIATYPE_Audio) return VFW_E_TYPE_NOT_ACCEPTED;
    const WAVEFORMATEX got = FormatOfType(*pmt), w = FormatOfType(want);
    return got.wFormatTag == WAVE_FORMAT_IEEE_FLOAT && got.nChannels == w.nChannels &&
                   got.nSamplesPerSec == w.nSamplesPerSec
               ? S_OK
               : VFW_E_TYPE_NOT_ACCEPTED;
}

bool IsFlaggedSilent(IMediaSample* pSample) {
    BOOL bSilent = FALSE;
    void* pv = nullptr;
    if (SUCCEEDED(pSample->QueryInterface(IID_IMfxSilentBuffer, &pv)) && pv != nullptr) {
        static_cast<IMfxSilentBuffer*>(pv)->GetSilentFlag(&bSilent);
        static_cast<IMfxSilentBuffer*>(pv)->Release();
    }
    return bSilent != FALSE;
}

CMediaType HostFloatType(WORD wChannels, DWORD dwRate) {
    CMediaType mt;
    mt.majortype = MEDIATYPE_Audio;
    mt.subtype = MEDIASUBTYPE_IEEE_FLOAT;
    mt.formattype = FORMAT_WaveFormatEx;
    WAVEFORMATEX wfx{};
    wfx.wFormatTag = WAVE_FORMAT_IEEE_FLOAT;
    wfx.nChannels = wChannels;
    wfx.nSamplesPerSec = dwRate;
    wfx.wBitsPerSample = 32;
    wfx.nBlockAlign = static_cast<WORD>(wChannels * 4);
    wfx.nAvgBytesPerSec = dwRate * wfx.nBlockAlign;
    mt.SetFormat(reinterpret_cast<const BYTE*>(&wfx), sizeof(wfx));
    mt.lSampleSize = wfx.nBlockAlign;
    return mt;
}

CHostSourcePin::CHostSourcePin(CHostSource* pFilter, CCritSec* pLock, const CMediaType& type,
                               LONG lFrames)
    : CBaseOutputPin(L"Output", pFilter, pLock, nullptr), m_type(type), m_lFrames(lFrames) {}

HRESULT CHostSourcePin::CheckMediaType(const CMediaType* pmt) {
    return pmt != nullptr && pmt->cbFormat == m_type.cbFormat &&
                   std::memcmp(pmt->pbFormat, m_type.pbFormat, m_type.cbFormat) == 0
               ? S_OK
               : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CHostSourcePin::GetMediaType(int iPosition, CMediaType* pmt) {
    if (iPosition < 0) return E_INVALIDARG;
    if (iPosition > 0) return VFW_S_NO_MORE_ITEMS;
    *pmt = m_type;
    return S_OK;
}

HRESULT CHostSourcePin::DecideBufferSize(IMemAllocator* pAlloc, ALLOCATOR_PROPERTIES* pProp) {
    pProp->cBuffers = 2;
    pProp->cbBuffer = m_lFrames * FormatOfType(m_type).nBlockAlign;
    pProp->cbAlign = 16;
    pProp->cbPrefix = 0;
    ALLOCATOR_PROPERTIES actual{};
    return pAlloc->SetProperties(pProp, &actual);
}

CHostSource::CHostSource(WORD wChannels, DWORD dwRate, LONG lFrames)
    : CRefCounted(L"Host Source", &m_lock, GUID_NULL),
      m_pin(this, &m_lock, HostFloatType(wChannels, dwRate), lFrames) {}

HRESULT CHostSource::Push(LONG lFrames, bool bDiscontinuity, LONGLONG llAtFrame) {
    if (lFrames <= 0 || lFrames > m_pin.m_lFrames) return E_INVALIDARG;
    const LONGLONG llRate = FormatOfType(m_pin.m_type).nSamplesPerSec;
    // Media time is in 100 ns units; the stamp rounds up so that the
    // instrument's truncating conversion lands on llAtFrame exactly.
    if (llAtFrame < 0 || llRate == 0 || llAtFrame > INT64_MAX / 10000000) return E_INVALIDARG;
    IMediaSample* pSample = nullptr;
    HRESULT hr = m_pin.GetDeliveryBuffer(&pSample, nullptr, nullptr, 0);
    if (FAILED(hr)) return hr;
    BYTE* p = nullptr;
    pSample->GetPointer(&p);
    const LONG lBytes = lFrames * FormatOfType(m_pin.m_type).nBlockAlign;
    std::memset(p, 0, static_cast<size_t>(lBytes));
    pSample->SetActualDataLength(lBytes);
    pSample->SetDiscontinuity(bDiscontinuity);
    if (bDiscontinuity) {
        REFERENCE_TIME rtStart = (llAtFrame * 10000000 + llRate - 1) / llRate;
        pSample->SetTime(&rtStart, nullptr);
    }
    // The input carries no sound; the flag lets the instrument skip reading it.
    void* pv = nullptr;
    if (SUCCEEDED(pSample->QueryInterface(IID_IMfxSilentBuffer, &pv)) && pv != nullptr) {
        static_cast<IMfxSilentBuffer*>(pv)->SetSilentFlag(TRUE);
        static_cast<IMfxSilentBuffer*>(pv)->Release();
    }
    hr = m_pin.Deliver(pSample);
    pSample->Release();
    return hr;
}
