#include "TestFilters.h"
#include "platform/mfx/MfxSilentBuffer.h"
#include <cmath>
#include <cstring>

CMediaType MakeAudioType(WORD wTag, WORD wChannels, DWORD dwRate, WORD wBits) {
    CMediaType mt;
    mt.majortype = MEDIATYPE_Audio;
    mt.subtype = wTag == WAVE_FORMAT_IEEE_FLOAT ? MEDIASUBTYPE_IEEE_FLOAT : MEDIASUBTYPE_PCM;
    mt.formattype = FORMAT_WaveFormatEx;
    WAVEFORMATEX wfx{};
    wfx.wFormatTag = wTag;
    wfx.nChannels = wChannels;
    wfx.nSamplesPerSec = dwRate;
    wfx.wBitsPerSample = wBits;
    wfx.nBlockAlign = static_cast<WORD>(wChannels * wBits / 8);
    wfx.nAvgBytesPerSec = dwRate * wfx.nBlockAlign;
    mt.SetFormat(reinterpret_cast<const BYTE*>(&wfx), sizeof(wfx));
    mt.lSampleSize = wfx.nBlockAlign;
    return mt;
}

namespace {
WAVEFORMATEX FormatOf(const CMediaType& mt) {
    WAVEFORMATEX wfx{};
    if (mt.pbFormat != nullptr && mt.cbFormat >= sizeof(wfx))
        std::memcpy(&wfx, mt.pbFormat, sizeof(wfx));
    return wfx;
}
bool SameType(const CMediaType& a, const CMediaType& b) {
    return a.majortype == b.majortype && a.cbFormat == b.cbFormat &&
           std::memcmp(a.pbFormat, b.pbFormat, a.cbFormat) == 0;
}
} // namespace

CTestSourcePin::CTestSourcePin(CTestSource* pFilter, CCritSec* pLock)
    : CBaseOutputPin(L"Output", pFilter, pLock, nullptr) {
    types.push_back(FloatType(2));
}

HRESULT CTestSourcePin::CheckMediaType(const CMediaType* pmt) {
    for (const CMediaType& t : types)
        if (SameType(t, *pmt)) return S_OK;
    return VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CTestSourcePin::GetMediaType(int iPosition, CMediaType* pmt) {
    if (iPosition < 0) return E_INVALIDARG;
    if (static_cast<size_t>(iPosition) >= types.size()) return VFW_S_NO_MORE_ITEMS;
    *pmt = types[static_cast<size_t>(iPosition)];
    return S_OK;
}

HRESULT CTestSourcePin::DecideBufferSize(IMemAllocator* pAlloc, ALLOCATOR_PROPERTIES* pProp) {
    pProp->cBuffers = cBuffers;
    pProp->cbBuffer = lFrames * FormatOf(m_mt).nBlockAlign;
    pProp->cbAlign = 16;
    pProp->cbPrefix = 0;
    ALLOCATOR_PROPERTIES actual{};
    return pAlloc->SetProperties(pProp, &actual);
}

CTestSource::CTestSource() : CRefCounted(L"Source", &lock, GUID_NULL), pin(this, &lock) {}

HRESULT CTestSource::Push(float fValue, bool bDiscontinuity, REFERENCE_TIME rtStart, bool bSilent) {
    IMediaSample* pSample = nullptr;
    HRESULT hr = pin.GetDeliveryBuffer(&pSample, nullptr, nullptr, 0);
    if (FAILED(hr)) return hr;
    BYTE* p = nullptr;
    pSample->GetPointer(&p);
    const WAVEFORMATEX wfx = FormatOf(pin.CurrentMediaType());
    const LONG lBytes = pin.lFrames * wfx.nBlockAlign;
    auto* f = reinterpret_cast<float*>(p);
    for (LONG i = 0; i < lBytes / 4; ++i) f[i] = fValue;
    pSample->SetActualDataLength(lBytes);
    pSample->SetDiscontinuity(bDiscontinuity);
    if (bDiscontinuity) pSample->SetTime(&rtStart, nullptr);
    void* pv = nullptr;
    if (SUCCEEDED(pSample->QueryInterface(IID_IMfxSilentBuffer, &pv)) && pv != nullptr) {
        static_cast<IMfxSilentBuffer*>(pv)->SetSilentFlag(bSilent ? TRUE : FALSE);
        static_cast<IMfxSilentBuffer*>(pv)->Release();
    }
    hr = pin.Deliver(pSample);
    pSample->Release();
    return hr;
}

CTestSinkPin::CTestSinkPin(CTestSink* pFilter, CCritSec* pLock)
    : CBaseInputPin(L"In", pFilter, pLock, nullptr) {}

HRESULT CTestSinkPin::CheckMediaType(const CMediaType* pmt) {
    if (accept.empty())
        return pmt->majortype == MEDIATYPE_Audio &&
                       FormatOf(*pmt).wFormatTag == WAVE_FORMAT_IEEE_FLOAT
                   ? S_OK
                   : VFW_E_TYPE_NOT_ACCEPTED;
    for (const CMediaType& t : accept)
        if (SameType(t, *pmt)) return S_OK;
    return VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CTestSinkPin::GetMediaType(int iPosition, CMediaType* pmt) {
    if (iPosition < 0) return E_INVALIDARG;
    if (static_cast<size_t>(iPosition) >= offer.size()) return VFW_S_NO_MORE_ITEMS;
    *pmt = offer[static_cast<size_t>(iPosition)];
    return S_OK;
}

HRESULT CTestSinkPin::Receive(IMediaSample* pSample) {
    ++nReceived;
    lLastLength = pSample->GetActualDataLength();
    void* pv = nullptr;
    bLastSilentFlag = FALSE;
    if (SUCCEEDED(pSample->QueryInterface(IID_IMfxSilentBuffer, &pv)) && pv != nullptr) {
        static_cast<IMfxSilentBuffer*>(pv)->GetSilentFlag(&bLastSilentFlag);
        static_cast<IMfxSilentBuffer*>(pv)->Release();
    }
    BYTE* p = nullptr;
    pSample->GetPointer(&p);
    const auto* f = reinterpret_cast<const float*>(p);
    for (LONG i = 0; i < lLastLength / 4; ++i) fPeak = std::max(fPeak, std::fabs(f[i]));
    return S_OK;
}

HRESULT CTestSinkPin::EndOfStream() {
    ++nEndOfStream;
    return S_OK;
}

CTestSink::CTestSink() : CRefCounted(L"Sink", &lock, GUID_NULL), pin(this, &lock) {}
