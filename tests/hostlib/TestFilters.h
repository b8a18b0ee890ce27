// A host's side of the graph, built on the platform's media-filter base
// only: a source filter with one output pin that pushes float audio, and a
// sink filter with one input pin that records what arrives.
#pragma once
#include "platform/com/RefCounted.h"
#include "platform/media/BaseFilter.h"
#include "platform/media/BaseInputPin.h"
#include "platform/media/BaseOutputPin.h"
#include "platform/mmio/WaveFormat.h"
#include <vector>

// An audio media type of the given wave format (float unless the tag says otherwise).
CMediaType MakeAudioType(WORD wTag, WORD wChannels, DWORD dwRate, WORD wBits);
inline CMediaType FloatType(WORD wChannels, DWORD dwRate = 48000) {
    return MakeAudioType(WAVE_FORMAT_IEEE_FLOAT, wChannels, dwRate, 32);
}

class CTestSource;

class CTestSourcePin : public CBaseOutputPin {
public:
    CTestSourcePin(CTestSource* pFilter, CCritSec* pLock);
    HRESULT CheckMediaType(const CMediaType* pmt) override;
    HRESULT GetMediaType(int iPosition, CMediaType* pmt) override;
    HRESULT DecideBufferSize(IMemAllocator* pAlloc, ALLOCATOR_PROPERTIES* pProp) override;

    std::vector<CMediaType> types; // offered, in order
    LONG lFrames = 256;            // frames per buffer
    LONG cBuffers = 2;
};

class CTestSource : public CRefCounted<CBaseFilter> {
public:
    CTestSource();
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        return QueryBaseFilterInterface(riid, ppv);
    }
    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int n) override { return n == 0 ? &pin : nullptr; }

    // Fills one buffer with lFrames frames of fValue and delivers it; a
    // discontinuity carries the start time; bSilent sets the sample's silent flag.
    HRESULT Push(float fValue, bool bDiscontinuity = false, REFERENCE_TIME rtStart = 0,
                 bool bSilent = false);

    CCritSec lock;
    CTestSourcePin pin;
};

class CTestSink;

class CTestSinkPin : public CBaseInputPin {
public:
    CTestSinkPin(CTestSink* pFilter, CCritSec* pLock);
    HRESULT CheckMediaType(const CMediaType* pmt) override;
    HRESULT GetMediaType(int iPosition, CMediaType* pmt) override;
    // Records the buffer, whatever the state.
    HRESULT Receive(IMediaSample* pSample) override;
    HRESULT EndOfStream() override;

    std::vector<CMediaType> accept; // empty: any float audio
    std::vector<CMediaType> offer;  // proposed in negotiation
    int nReceived = 0;
    int nEndOfStream = 0;
    LONG lLastLength = 0;
    float fPeak = 0.0f;
    BOOL bLastSilentFlag = FALSE;
};

class CTestSink : public CRefCounted<CBaseFilter> {
public:
    CTestSink();
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        return QueryBaseFilterInterface(riid, ppv);
    }
    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int n) override { return n == 0 ? &pin : nullptr; }

    CCritSec lock;
    CTestSinkPin pin;
};
