// The base of an output pin that delivers media samples in memory to a
// downstream IMemInputPin: the allocator it agrees with that pin at
// connection (DecideAllocator, sized by the derived pin's DecideBufferSize),
// committed while the filter is active, and delivery of samples, end of
// stream, flushes and segments. Connection: control thread under the filter's
// lock; delivery: the streaming thread.
#pragma once
#include "platform/media/BasePin.h"

class CBaseOutputPin : public CBasePin {
public:
    CBaseOutputPin(const WCHAR* pName, CBaseFilter* pFilter, CCritSec* pLock, HRESULT* phr);
    virtual ~CBaseOutputPin();

    // Notifications that only travel downstream answer E_UNEXPECTED here.
    HRESULT EndOfStream() override { return E_UNEXPECTED; }
    HRESULT BeginFlush() override { return E_UNEXPECTED; }
    HRESULT EndFlush() override { return E_UNEXPECTED; }

    HRESULT CheckConnect(IPin* pPin) override; // the peer must take samples in memory
    HRESULT BreakConnect() override;
    HRESULT CompleteConnect(IPin* pReceivePin) override;
    HRESULT Active() override;   // commits the allocator
    HRESULT Inactive() override; // decommits it

    virtual HRESULT DecideAllocator(IMemInputPin* pPin, IMemAllocator** ppAlloc);
    virtual HRESULT DecideBufferSize(IMemAllocator* pAlloc, ALLOCATOR_PROPERTIES* pProp) = 0;

    HRESULT GetDeliveryBuffer(IMediaSample** ppSample, REFERENCE_TIME* pStartTime,
                              REFERENCE_TIME* pEndTime, DWORD dwFlags);
    HRESULT Deliver(IMediaSample* pSample); // VFW_E_NOT_CONNECTED
    HRESULT DeliverEndOfStream();
    HRESULT DeliverBeginFlush();
    HRESULT DeliverEndFlush();
    HRESULT DeliverNewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate);
    IMemAllocator* Allocator() const { return m_pAllocator; }

protected:
    IMemAllocator* m_pAllocator = nullptr;
    IMemInputPin* m_pInputPin = nullptr; // the peer's, with a reference
};
