// The host's sink filter: one input pin that keeps every float it receives
// from one of the instrument's outputs, or streams them to a target (a file
// being written). Silence before the first sound is only counted, so an
// output that stays silent costs no memory and writes nothing.
#pragma once
#include "apps/hostkit/SampleTarget.h"
#include "platform/com/RefCounted.h"
#include "platform/media/BaseFilter.h"
#include "platform/media/BaseInputPin.h"
#include <vector>

class CHostSink;

class CHostSinkPin : public CBaseInputPin {
public:
    CHostSinkPin(CHostSink* pFilter, CCritSec* pLock, const CMediaType& type);
    HRESULT CheckMediaType(const CMediaType* pmt) override;
    HRESULT GetMediaType(int iPosition, CMediaType* pmt) override;
    HRESULT Receive(IMediaSample* pSample) override;
    HRESULT EndOfStream() override { return S_OK; }

    void Clear();
    // Appends the silence counted since the last sound.
    void Complete();

    CMediaType m_type;
    ISampleTarget* m_pTarget = nullptr; // where samples go instead of m_samples
    std::vector<float> m_samples;       // interleaved, received up to the last sound
    size_t m_nSilentFloats = 0;         // zeros received after that
    bool m_bSound = false;
};

class CHostSink : public CRefCounted<CBaseFilter> {
public:
    CHostSink(WORD wChannels, DWORD dwRate);
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        return QueryBaseFilterInterface(riid, ppv);
    }
    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int n) override { return n == 0 ? &m_pin : nullptr; }
    IPin* Pin() { return &m_pin; }
    void Clear() { m_pin.Clear(); }
    // Streams to pTarget (not owned) from now on; null keeps the samples again.
    void StreamTo(ISampleTarget* pTarget) { m_pin.m_pTarget = pTarget; }
    bool HasSound() const { return m_pin.m_bSound; }
    // Appends (or streams) the silence counted since the last sound.
    void Complete() { m_pin.Complete(); }
    // Everything received, interleaved (when kept; a stream is finished with
    // the silence since the last sound).
    const std::vector<float>& Samples() {
        m_pin.Complete();
        return m_pin.m_samples;
    }

private:
    CCritSec m_lock;
    CHostSinkPin m_pin;
};
