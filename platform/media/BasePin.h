// The base of a pin: its filter, name, direction, connection (peer and media
// type) and the connection procedure, with its two-pass negotiation of the
// media type. The derived pin answers CheckMediaType and GetMediaType.
// Reference counting goes to the filter unless a derived pin counts its own.
// Control thread; connection and state changes hold the filter's lock.
#pragma once
#include "platform/com/ClassFactory.h"
#include "platform/media/BaseFilter.h"
#include <string>

class CBasePin : public CBaseObject, public IPin {
public:
    CBasePin(const WCHAR* pName, CBaseFilter* pFilter, CCritSec* pLock, HRESULT* phr,
             PIN_DIRECTION dir);
    virtual ~CBasePin();

    // IUnknown: IPin; the references are the filter's.
    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    ULONG AddRef() override;
    ULONG Release() override;

    // IPin.
    HRESULT Connect(IPin* pReceivePin, const AM_MEDIA_TYPE* pmt) override;
    HRESULT ReceiveConnection(IPin* pConnector, const AM_MEDIA_TYPE* pmt) override;
    HRESULT Disconnect() override; // S_FALSE when not connected
    HRESULT ConnectedTo(IPin** pPin) override;
    HRESULT ConnectionMediaType(AM_MEDIA_TYPE* pmt) override;
    HRESULT QueryPinInfo(PIN_INFO* pInfo) override;
    HRESULT QueryDirection(PIN_DIRECTION* pPinDir) override;
    HRESULT QueryId(WCHAR** Id) override;
    HRESULT QueryAccept(const AM_MEDIA_TYPE* pmt) override; // S_OK or S_FALSE
    HRESULT EnumMediaTypes(IEnumMediaTypes** ppEnum) override;
    HRESULT QueryInternalConnections(IPin**, ULONG*) override { return E_NOTIMPL; }
    HRESULT EndOfStream() override { return S_OK; }
    HRESULT NewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate) override;

    // For the derived pin.
    virtual HRESULT CheckMediaType(const CMediaType* pmt) = 0;
    // The proposed type at iPosition: S_OK, VFW_S_NO_MORE_ITEMS past the end.
    virtual HRESULT GetMediaType(int iPosition, CMediaType* pMediaType);
    virtual LONG GetMediaTypeVersion() { return m_nTypeVersion; }
    virtual HRESULT SetMediaType(const CMediaType* pmt);
    virtual HRESULT CheckConnect(IPin* pPin); // the peer must have the other direction
    virtual HRESULT BreakConnect() { return S_OK; }
    virtual HRESULT CompleteConnect(IPin*) { return S_OK; }
    // Filter state changes reach the connected pins.
    virtual HRESULT Active() { return S_OK; }
    virtual HRESULT Inactive() { return S_OK; }
    virtual HRESULT Run(REFERENCE_TIME) { return S_OK; }

    bool IsConnected() const { return m_Connected != nullptr; }
    IPin* GetConnected() const { return m_Connected; }
    bool IsStopped() const { return m_pFilter->IsStopped(); }
    const std::wstring& Name() const { return m_strName; }
    const CMediaType& CurrentMediaType() const { return m_mt; }
    PIN_DIRECTION Direction() const { return m_dir; }
    CBaseFilter* Filter() const { return m_pFilter; }

protected:
    HRESULT AgreeMediaType(IPin* pReceivePin, const CMediaType* pmt);
    HRESULT TryMediaTypes(IPin* pReceivePin, const CMediaType* pmt, IEnumMediaTypes* pEnum);
    HRESULT AttemptConnection(IPin* pReceivePin, const CMediaType* pmt);
    HRESULT DisconnectInternal();

    std::wstring m_strName;
    CBaseFilter* m_pFilter;
    CCritSec* m_pLock;
    PIN_DIRECTION m_dir;
    IPin* m_Connected = nullptr; // the peer, with one reference
    CMediaType m_mt;
    REFERENCE_TIME m_tStart = 0;
    REFERENCE_TIME m_tStop = 0x7FFFFFFFFFFFFFFF;
    double m_dRate = 1.0;
    LONG m_nTypeVersion = 1;
};
