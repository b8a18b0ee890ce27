// A minimal filter graph: holds its filters (one reference each), connects
// and reconnects pins directly, changes the state of every filter, and
// receives the filters' events (kept in order for the host to read). Control
// thread; events may arrive from any thread.
#pragma once
#include "platform/com/RefCounted.h"
#include "platform/media/MediaInterfaces.h"
#include <mutex>
#include <vector>

struct GraphEvent {
    LONG lCode;
    LONG_PTR lParam1;
    LONG_PTR lParam2;
};

class CFilterGraph : public CRefCounted<IFilterGraph, IMediaEventSink> {
public:
    CFilterGraph() = default;
    CFilterGraph(const CFilterGraph&) = delete;
    CFilterGraph& operator=(const CFilterGraph&) = delete;

    HRESULT QueryInterface(REFIID riid, void** ppv) override;

    HRESULT AddFilter(IBaseFilter* pFilter, const WCHAR* pName) override;
    // Disconnects the filter's pins, leaves the graph and drops the reference.
    HRESULT RemoveFilter(IBaseFilter* pFilter) override;
    HRESULT EnumFilters(IEnumFilters**) override { return E_NOTIMPL; }
    HRESULT FindFilterByName(const WCHAR*, IBaseFilter**) override { return E_NOTIMPL; }
    HRESULT ConnectDirect(IPin* ppinOut, IPin* ppinIn, const AM_MEDIA_TYPE* pmt) override;
    // Breaks the pin's connection and connects the two pins again at once.
    HRESULT Reconnect(IPin* ppin) override;
    HRESULT Disconnect(IPin* ppin) override;
    HRESULT SetDefaultSyncSource() override { return S_OK; }

    HRESULT Notify(LONG EventCode, LONG_PTR EventParam1, LONG_PTR EventParam2) override;

    // Every filter, in the order they were added; the first failure is returned.
    HRESULT Run(REFERENCE_TIME tStart);
    HRESULT Pause();
    HRESULT Stop();
    std::vector<GraphEvent> Events();
    int CountEvents(LONG lCode);
    void ClearEvents();
    // Removes every filter (also done by the last Release).
    void RemoveAll();

private:
    ~CFilterGraph() override;

    std::vector<IBaseFilter*> m_filters;
    std::mutex m_eventLock;
    std::vector<GraphEvent> m_events;
};

// Breaks the connection of pPin and of its peer, if it has one.
void DisconnectPinPair(IPin* pPin);
