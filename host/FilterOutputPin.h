// One output pin of the instrument ("Mix Output", "Chan 1".."Chan 16"): its
// identifier, the media-type negotiation that follows the filter's input,
// the buffer sizing taken over from the input's allocator, and the render
// side the process path drives (IRenderOutput). It counts its own references
// under the filter's lock and deletes itself at 0; while anyone besides the
// filter's pin list holds it, it holds the filter, so a host's pin reference
// never outlives the lock and filter it points to. Control thread for
// connection; streaming thread for delivery; both under the filter's lock.
#pragma once
#include "host/PinSampleAdapter.h"
#include "host/RenderOutput.h"
#include "platform/media/BaseOutputPin.h"

class CFilter;

class CFilterOutputPin : public CBaseOutputPin, public IRenderOutput {
public:
    CFilterOutputPin(CFilter* pFilter, const WCHAR* pName, DWORD dwId, HRESULT* phr);
    virtual ~CFilterOutputPin();

    // IUnknown: IPin; IMediaPosition and IMediaSeeking pass through to the pin
    // upstream of the filter's input.
    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    ULONG AddRef() override;
    ULONG Release() override;

    // Types offered: the upstream pin's own enumerator (VFW_E_NOT_CONNECTED
    // while the input is unconnected).
    HRESULT EnumMediaTypes(IEnumMediaTypes** ppEnum) override;
    HRESULT GetMediaType(int iPosition, CMediaType* pMediaType) override;
    HRESULT CheckMediaType(const CMediaType* pmt) override;
    HRESULT SetMediaType(const CMediaType* pmt) override;
    HRESULT DecideBufferSize(IMemAllocator* pAlloc, ALLOCATOR_PROPERTIES* pProp) override;

    // IRenderOutput (the process path).
    BOOL IsConnected() override { return CBasePin::IsConnected() ? TRUE : FALSE; }
    HRESULT GetDeliveryBuffer(IPinSample** ppSample) override;
    HRESULT Deliver(IPinSample* pSample) override;
    HRESULT DeliverEndOfStream() override { return CBaseOutputPin::DeliverEndOfStream(); }

    DWORD GetId() const { return m_dwId; }
    // The pin list's reference is taken and dropped through these.
    void SetInList(bool bInList);
    // Breaks the connection from both ends, whatever the filter state (destruction).
    void ForceDisconnect();

private:
    // Holds or lets go of the filter as outside references come and go (m_refLock held).
    IBaseFilter* UpdateFilterHold();

    CFilter* m_pOwner;
    DWORD m_dwId;
    // The count has a lock of its own, not the filter's: a peer pin releases
    // this one while holding its own lock (a disconnect), the reverse of the
    // order a connection takes them in.
    CCritSec m_refLock;
    std::atomic<ULONG> m_cRef{0};
    bool m_bInList = false;
    bool m_bHoldsFilter = false;
    bool m_bInCheck = false;
    CPinSampleAdapter m_delivery;
};
