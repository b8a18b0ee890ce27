// The base of an input pin that takes media samples in memory: the allocator
// agreed with the upstream pin (the default memory allocator when it offers
// none), its read-only flag, and the flushing and run-time-error flags.
// Connection and flushing: control thread under the filter's lock; Receive:
// the streaming thread.
#pragma once
#include "platform/media/BasePin.h"

class CBaseInputPin : public CBasePin, public IMemInputPin {
public:
    CBaseInputPin(const WCHAR* pName, CBaseFilter* pFilter, CCritSec* pLock, HRESULT* phr);
    virtual ~CBaseInputPin();

    // IUnknown: IPin and IMemInputPin.
    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    ULONG AddRef() override { return CBasePin::AddRef(); }
    ULONG Release() override { return CBasePin::Release(); }

    // IMemInputPin.
    HRESULT GetAllocator(IMemAllocator** ppAllocator) override;
    HRESULT NotifyAllocator(IMemAllocator* pAllocator, BOOL bReadOnly) override;
    HRESULT GetAllocatorRequirements(ALLOCATOR_PROPERTIES*) override { return E_NOTIMPL; }
    // The base checks that the pin may stream (CheckStreaming).
    HRESULT Receive(IMediaSample* pSample) override;
    // Passes the samples one by one until one is not answered with S_OK.
    HRESULT ReceiveMultiple(IMediaSample** pSamples, LONG nSamples,
                            LONG* nSamplesProcessed) override;
    HRESULT ReceiveCanBlock() override { return S_FALSE; }

    // IPin.
    HRESULT BeginFlush() override;
    HRESULT EndFlush() override;

    // VFW_E_WRONG_STATE when stopped, S_FALSE while flushing,
    // VFW_E_RUNTIME_ERROR after a run-time error, else S_OK.
    HRESULT CheckStreaming();
    HRESULT BreakConnect() override;
    HRESULT Inactive() override;
    IMemAllocator* Allocator() const { return m_pAllocator; }
    BOOL IsReadOnly() const { return m_bReadOnly; }
    BOOL IsFlushing() const { return m_bFlushing; }

protected:
    IMemAllocator* m_pAllocator = nullptr;
    BOOL m_bReadOnly = FALSE;
    BOOL m_bFlushing = FALSE;
    BOOL m_bRunTimeError = FALSE;
};
