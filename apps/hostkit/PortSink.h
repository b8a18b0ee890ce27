// A sink filter on one of the instrument's stereo outputs that writes what it
// receives straight into the host's two port buffers, at a frame offset set
// before each buffer is pushed. Nothing is allocated while streaming.
#pragma once
#include "apps/hostkit/InstrumentGraph.h"
#include "platform/com/RefCounted.h"
#include "platform/media/BaseFilter.h"
#include "platform/media/BaseInputPin.h"
#include <cstdint>

class CPortSink;

class CPortSinkPin : public CBaseInputPin {
public:
    CPortSinkPin(CPortSink* pFilter, CCritSec* pLock, const CMediaType& type);
    // Instantiation thread, while the graph is connected; never block.
    HRESULT CheckMediaType(const CMediaType* pmt) override;
    HRESULT GetMediaType(int iPosition, CMediaType* pmt) override;
    // Audio thread (inside the source's push); never blocks.
    HRESULT Receive(IMediaSample* pSample) override;
    HRESULT EndOfStream() override { return S_OK; }

    CMediaType m_type;
    float* m_pLeft = nullptr;
    float* m_pRight = nullptr;
    uint32_t m_nOffset = 0;   // frame in the port buffers of the next buffer
    uint32_t m_nCapacity = 0; // frames the port buffers hold
    uint32_t m_nReceived = 0; // buffers received since ResetQuiet
    bool m_bSounded = false;  // one of them was not flagged silent
};

class CPortSink : public CRefCounted<CBaseFilter> {
public:
    // Created with one reference; stereo float at dwRate.
    explicit CPortSink(DWORD dwRate);
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        return QueryBaseFilterInterface(riid, ppv);
    }
    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int n) override { return n == 0 ? &m_pin : nullptr; }
    IPin* Pin() { return &m_pin; }

    // Audio thread, never blocks: where the next buffers go (null ports are skipped).
    void Target(float* pLeft, float* pRight, uint32_t nCapacity) {
        m_pin.m_pLeft = pLeft;
        m_pin.m_pRight = pRight;
        m_pin.m_nCapacity = nCapacity;
    }
    void SetOffset(uint32_t nOffset) { m_pin.m_nOffset = nOffset; }
    // Audio thread, never block: whether exactly nBuffers buffers came since
    // ResetQuiet, every one flagged silent.
    void ResetQuiet() {
        m_pin.m_nReceived = 0;
        m_pin.m_bSounded = false;
    }
    bool Quiet(uint32_t nBuffers) const {
        return m_pin.m_nReceived == nBuffers && !m_pin.m_bSounded;
    }

    // Instantiation thread: a port sink for one output of an instrument graph,
    // named "Port"; *ppSink gets it without a reference (the graph keeps one).
    static CInstrumentGraph::Sink ForGraph(DWORD dwRate, CPortSink** ppSink);

private:
    CCritSec m_lock;
    CPortSinkPin m_pin;
};
