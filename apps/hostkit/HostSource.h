// The host's source filter: one output pin that pushes silent float buffers
// into the instrument's "Input", each asking for one buffer of every output.
#pragma once
#include "platform/com/RefCounted.h"
#include "platform/media/BaseFilter.h"
#include "platform/media/BaseOutputPin.h"
#include "platform/mmio/WaveFormat.h"

// A float audio media type.
CMediaType HostFloatType(WORD wChannels, DWORD dwRate);
// The wave format a media type carries (zeros when it carries none).
WAVEFORMATEX FormatOfType(const CMediaType& mt);
// A sink's check: float audio with the channels and rate of `want`.
HRESULT CheckSinkType(const CMediaType* pmt, const CMediaType& want);
// The sample's silent-buffer flag; false without the extension.
bool IsFlaggedSilent(IMediaSample* pSample);

class CHostSource;

class CHostSourcePin : public CBaseOutputPin {
public:
    CHostSourcePin(CHostSource* pFilter, CCritSec* pLock, const CMediaType& type, LONG lFrames);
    HRESULT CheckMediaType(const CMediaType* pmt) override;
    HRESULT GetMediaType(int iPosition, CMediaType* pmt) override;
    HRESULT DecideBufferSize(IMemAllocator* pAlloc, ALLOCATOR_PROPERTIES* pProp) override;

    CMediaType m_type;
    LONG m_lFrames;
};

class CHostSource : public CRefCounted<CBaseFilter> {
public:
    // Created with one reference.
    CHostSource(WORD wChannels, DWORD dwRate, LONG lFrames);
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        return QueryBaseFilterInterface(riid, ppv);
    }
    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int n) override { return n == 0 ? &m_pin : nullptr; }
    IPin* Pin() { return &m_pin; }

    // Delivers one silent buffer of lFrames frames. A discontinuity (the
    // stream's first buffer, or a relocation) is stamped with its song time,
    // llAtFrame frames, from which the instrument counts its stream position.
    // The instrument renders all its outputs before this returns.
    HRESULT Push(LONG lFrames, bool bDiscontinuity, LONGLONG llAtFrame = 0);

private:
    CCritSec m_lock;
    CHostSourcePin m_pin;
};
