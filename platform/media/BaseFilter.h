// The base of a filter: its state (stopped, paused, running), reference
// clock, graph (held weakly) and event sink, name, class identifier and pin
// version, and the IBaseFilter operations built on GetPin/GetPinCount. The
// derived object supplies IUnknown and its pins. Control thread; every state
// change and pin walk holds the filter's lock (handed in).
#pragma once
#include "platform/com/ClassFactory.h"
#include "platform/kernel/CritSec.h"
#include "platform/media/MediaInterfaces.h"
#include <string>

class CBasePin;

class CBaseFilter : public CBaseObject, public IBaseFilter, public IAMovieSetup {
public:
    CBaseFilter(const WCHAR* pName, CCritSec* pLock, REFCLSID clsid);
    virtual ~CBaseFilter();

    // IPersist / IMediaFilter.
    HRESULT GetClassID(CLSID* pClsID) override;
    HRESULT Stop() override;                     // deactivates the connected pins
    HRESULT Pause() override;                    // from stopped: activates the connected pins
    HRESULT Run(REFERENCE_TIME tStart) override; // pauses first when stopped
    HRESULT GetState(DWORD dwMilliSecsTimeout, FILTER_STATE* State) override;
    HRESULT SetSyncSource(IReferenceClock* pClock) override;
    HRESULT GetSyncSource(IReferenceClock** pClock) override;
    // IBaseFilter.
    HRESULT EnumPins(IEnumPins** ppEnum) override;
    HRESULT FindPin(const WCHAR* Id, IPin** ppPin) override; // VFW_E_NOT_FOUND
    HRESULT QueryFilterInfo(FILTER_INFO* pInfo) override;
    HRESULT JoinFilterGraph(IFilterGraph* pGraph, const WCHAR* pName) override;
    HRESULT QueryVendorInfo(WCHAR** pVendorInfo) override {
        return pVendorInfo ? E_NOTIMPL : E_POINTER;
    }
    // IAMovieSetup: without setup data of its own a filter has nothing to do.
    HRESULT Register() override { return S_FALSE; }
    HRESULT Unregister() override { return S_FALSE; }

    // The pins, 0 .. GetPinCount() - 1; null outside.
    virtual int GetPinCount() = 0;
    virtual CBasePin* GetPin(int n) = 0;
    // Changes whenever the set of pins changes; enumerators watch it.
    LONG GetPinVersion() const { return m_nPinVersion; }
    void IncrementPinVersion() { ++m_nPinVersion; }

    bool IsStopped() const { return m_State == State_Stopped; }
    bool IsActive() const { return m_State != State_Stopped; }
    FILTER_STATE State() const { return m_State; }
    CCritSec* FilterLock() const { return m_pLock; }
    IFilterGraph* Graph() const { return m_pGraph; }
    // Sends an event to the graph's event sink, if the filter is in a graph.
    HRESULT NotifyEvent(LONG lEventCode, LONG_PTR lParam1, LONG_PTR lParam2);
    // Asks the graph to reconnect pPin; VFW_E_NOT_IN_GRAPH outside a graph.
    HRESULT ReconnectPin(IPin* pPin);
    // The base filter's interfaces for the derived object's query.
    HRESULT QueryBaseFilterInterface(REFIID riid, void** ppv);

protected:
    FILTER_STATE m_State = State_Stopped;
    IReferenceClock* m_pClock = nullptr;
    REFERENCE_TIME m_tStart = 0;
    CLSID m_clsid;
    CCritSec* m_pLock;
    std::wstring m_strName;
    IFilterGraph* m_pGraph = nullptr;   // weak: the graph holds the filter
    IMediaEventSink* m_pSink = nullptr; // weak, the graph's
    LONG m_nPinVersion = 1;
};
