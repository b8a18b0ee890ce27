// The instrument's one input pin, "Input": the format check against every
// connected output, the engine's input format, and the streaming side: every
// media sample it receives renders one buffer on each connected output, end
// of stream renders the tail, and flushes and segments travel on to the
// outputs. Its references are the filter's. Control thread for connection;
// streaming thread for samples; both under the filter's lock.
#pragma once
#include "host/PinSampleAdapter.h"
#include "platform/media/BaseInputPin.h"

class CFilter;

class CFilterInputPin : public CBaseInputPin {
public:
    CFilterInputPin(CFilter* pFilter, HRESULT* phr);

    // No types offered (E_UNEXPECTED at every position).
    HRESULT GetMediaType(int iPosition, CMediaType* pMediaType) override;
    HRESULT CheckMediaType(const CMediaType* pmt) override;
    HRESULT SetMediaType(const CMediaType* pmt) override;
    // Outputs that no longer fit the new input type are reconnected by the graph.
    HRESULT CompleteConnect(IPin* pReceivePin) override;

    // Runs the per-buffer procedure; does not consult the state or flushing flag.
    HRESULT Receive(IMediaSample* pSample) override;
    HRESULT EndOfStream() override;
    HRESULT BeginFlush() override;
    HRESULT EndFlush() override;
    HRESULT NewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate) override;

private:
    CFilter* m_pOwner;
    bool m_bInCheck = false;
    CPinSampleAdapter m_input;
};
