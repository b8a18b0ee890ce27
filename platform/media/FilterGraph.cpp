#include "platform/media/FilterGraph.h"
#include <algorithm>

void DisconnectPinPair(IPin* pPin) {
    IPin* pPeer = nullptr;
    if (SUCCEEDED(pPin->ConnectedTo(&pPeer)) && pPeer != nullptr) {
        pPeer->Disconnect();
        pPeer->Release();
    }
    pPin->Disconnect();
}

CFilterGraph::~CFilterGraph() { RemoveAll(); }

HRESULT CFilterGraph::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IFilterGraph)
        *ppv = static_cast<IFilterGraph*>(this);
    else if (riid == IID_IMediaEventSink)
        *ppv = static_cast<IMediaEventSink*>(this);
    else {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

HRESULT CFilterGraph::AddFilter(IBaseFilter* pFilter, const WCHAR* pName) {
    if (pFilter == nullptr) return E_POINTER;
    if (std::find(m_filters.begin(), m_filters.end(), pFilter) != m_filters.end())
        return E_INVALIDARG;
    const HRESULT hr = pFilter->JoinFilterGraph(this, pName);
    if (FAILED(hr)) return hr;
    pFilter->AddRef();
    m_filters.push_back(pFilter);
    return S_OK;
}

HRESULT CFilterGraph::RemoveFilter(IBaseFilter* pFilter) {
    auto it = std::find(m_filters.begin(), m_filters.end(), pFilter);
    if (it == m_filters.end()) return E_INVALIDARG;
    m_filters.erase(it);
    pFilter->Stop();
    IEnumPins* pEnum = nullptr;
    if (SUCCEEDED(pFilter->EnumPins(&pEnum)) && pEnum != nullptr) {
        IPin* pPin = nullptr;
        while (pEnum->Next(1, &pPin, nullptr) == S_OK) {
            DisconnectPinPair(pPin);
            pPin->Release();
        }
        pEnum->Release();
    }
    pFilter->JoinFilterGraph(nullptr, nullptr);
    pFilter->Release();
    return S_OK;
}

void CFilterGraph::RemoveAll() {
    for (IBaseFilter* p : std::vector<IBaseFilter*>(m_filters)) p->Stop();
    while (!m_filters.empty()) RemoveFilter(m_filters.back());
}

HRESULT CFilterGraph::ConnectDirect(IPin* ppinOut, IPin* ppinIn, const AM_MEDIA_TYPE* pmt) {
    if (ppinOut == nullptr || ppinIn == nullptr) return E_POINTER;
    return ppinOut->Connect(ppinIn, pmt);
}

HRESULT CFilterGraph::Reconnect(IPin* ppin) {
    if (ppin == nullptr) return E_POINTER;
    IPin* pPeer = nullptr;
    HRESULT hr = ppin->ConnectedTo(&pPeer);
    if (FAILED(hr)) return hr;
    PIN_DIRECTION dir;
    ppin->QueryDirection(&dir);
    IPin* pOut = dir == PINDIR_OUTPUT ? ppin : pPeer;
    IPin* pIn = dir == PINDIR_OUTPUT ? pPeer : ppin;
    pOut->Disconnect();
    pIn->Disconnect();
    hr = pOut->Connect(pIn, nullptr);
    pPeer->Release();
    return hr;
}

HRESULT CFilterGraph::Disconnect(IPin* ppin) {
    if (ppin == nullptr) return E_POINTER;
    return ppin->Disconnect();
}

HRESULT CFilterGraph::Notify(LONG EventCode, LONG_PTR EventParam1, LONG_PTR EventParam2) {
    std::lock_guard<std::mutex> lock(m_eventLock);
    m_events.push_back({EventCode, EventParam1, EventParam2});
    return S_OK;
}

HRESULT CFilterGraph::Run(REFERENCE_TIME tStart) {
    HRESULT hr = S_OK;
    for (IBaseFilter* p : m_filters) {
        const HRESULT h = p->Run(tStart);
        if (FAILED(h) && SUCCEEDED(hr)) hr = h;
    }
    return hr;
}

HRESULT CFilterGraph::Pause() {
    HRESULT hr = S_OK;
    for (IBaseFilter* p : m_filters) {
        const HRESULT h = p->Pause();
        if (FAILED(h) && SUCCEEDED(hr)) hr = h;
    }
    return hr;
}

HRESULT CFilterGraph::Stop() {
    HRESULT hr = S_OK;
    for (IBaseFilter* p : m_filters) {
        const HRESULT h = p->Stop();
        if (FAILED(h) && SUCCEEDED(hr)) hr = h;
    }
    return hr;
}

std::vector<GraphEvent> CFilterGraph::Events() {
    std::lock_guard<std::mutex> lock(m_eventLock);
    return m_events;
}

int CFilterGraph::CountEvents(LONG lCode) {
    std::lock_guard<std::mutex> lock(m_eventLock);
    return static_cast<int>(
        std::count_if(m_events.begin(), m_events.end(),
                      [lCode](const GraphEvent& e) { return e.lCode == lCode; }));
}

void CFilterGraph::ClearEvents() {
    std::lock_guard<std::mutex> lock(m_eventLock);
    m_events.clear();
}
