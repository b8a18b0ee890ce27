#include "platform/media/BaseFilter.h"
#include "platform/com/TaskMem.h"
#include "platform/media/BasePin.h"
#include "platform/media/EnumPins.h"
#include <cwchar>
#include <new>

CBaseFilter::CBaseFilter(const WCHAR* pName, CCritSec* pLock, REFCLSID clsid)
    : m_clsid(clsid), m_pLock(pLock), m_strName(pName != nullptr ? pName : L"") {}

CBaseFilter::~CBaseFilter() {
    if (m_pClock != nullptr) m_pClock->Release();
}

HRESULT CBaseFilter::QueryBaseFilterInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    IUnknown* p = nullptr;
    if (riid == IID_IBaseFilter || riid == IID_IMediaFilter || riid == IID_IPersist)
        p = static_cast<IBaseFilter*>(this);
    else if (riid == IID_IAMovieSetup)
        p = static_cast<IAMovieSetup*>(this);
    *ppv = p;
    if (p == nullptr) return E_NOINTERFACE;
    p->AddRef();
    return S_OK;
}

HRESULT CBaseFilter::GetClassID(CLSID* pClsID) {
    if (pClsID == nullptr) return E_POINTER;
    *pClsID = m_clsid;
    return S_OK;
}

HRESULT CBaseFilter::Stop() {
    CAutoLock lock(m_pLock);
    HRESULT hr = S_OK;
    if (m_State != State_Stopped) {
        for (int i = 0; i < GetPinCount(); ++i) {
            CBasePin* pPin = GetPin(i);
            if (pPin == nullptr || !pPin->IsConnected()) continue;
            const HRESULT h = pPin->Inactive();
            if (FAILED(h) && SUCCEEDED(hr)) hr = h;
        }
    }
    m_State = State_Stopped;
    return hr;
}

HRESULT CBaseFilter::Pause() {
    CAutoLock lock(m_pLock);
    if (m_State == State_Stopped) {
        for (int i = 0; i < GetPinCount(); ++i) {
            CBasePin* pPin = GetPin(i);
            if (pPin == nullptr || !pPin->IsConnected()) continue;
            const HRESULT hr = pPin->Active();
            if (FAILED(hr)) return hr;
        }
    }
    m_State = State_Paused;
    return S_OK;
}

HRESULT CBaseFilter::Run(REFERENCE_TIME tStart) {
    CAutoLock lock(m_pLock);
    m_tStart = tStart;
    if (m_State == State_Stopped) {
        const HRESULT hr = Pause(); // the derived filter's pause
        if (FAILED(hr)) return hr;
    }
    if (m_State != State_Running) {
        for (int i = 0; i < GetPinCount(); ++i) {
            CBasePin* pPin = GetPin(i);
            if (pPin == nullptr || !pPin->IsConnected()) continue;
            const HRESULT hr = pPin->Run(tStart);
            if (FAILED(hr)) return hr;
        }
    }
    m_State = State_Running;
    return S_OK;
}

HRESULT CBaseFilter::GetState(DWORD, FILTER_STATE* State) {
    if (State == nullptr) return E_POINTER;
    *State = m_State;
    return S_OK;
}

HRESULT CBaseFilter::SetSyncSource(IReferenceClock* pClock) {
    CAutoLock lock(m_pLock);
    if (pClock != nullptr) pClock->AddRef();
    if (m_pClock != nullptr) m_pClock->Release();
    m_pClock = pClock;
    return S_OK;
}

HRESULT CBaseFilter::GetSyncSource(IReferenceClock** pClock) {
    if (pClock == nullptr) return E_POINTER;
    CAutoLock lock(m_pLock);
    *pClock = m_pClock;
    if (m_pClock != nullptr) m_pClock->AddRef();
    return S_OK;
}

HRESULT CBaseFilter::EnumPins(IEnumPins** ppEnum) {
    if (ppEnum == nullptr) return E_POINTER;
    *ppEnum = new (std::nothrow) CEnumPins(this, nullptr);
    return *ppEnum != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT CBaseFilter::FindPin(const WCHAR* Id, IPin** ppPin) {
    if (Id == nullptr || ppPin == nullptr) return E_POINTER;
    CAutoLock lock(m_pLock);
    for (int i = 0; i < GetPinCount(); ++i) {
        CBasePin* pPin = GetPin(i);
        if (pPin != nullptr && pPin->Name() == Id) {
            *ppPin = pPin;
            pPin->AddRef();
            return S_OK;
        }
    }
    *ppPin = nullptr;
    return VFW_E_NOT_FOUND;
}

HRESULT CBaseFilter::QueryFilterInfo(FILTER_INFO* pInfo) {
    if (pInfo == nullptr) return E_POINTER;
    std::wcsncpy(pInfo->achName, m_strName.c_str(), MAX_FILTER_NAME - 1);
    pInfo->achName[MAX_FILTER_NAME - 1] = 0;
    pInfo->pGraph = m_pGraph;
    if (m_pGraph != nullptr) m_pGraph->AddRef();
    return S_OK;
}

HRESULT CBaseFilter::JoinFilterGraph(IFilterGraph* pGraph, const WCHAR* pName) {
    CAutoLock lock(m_pLock);
    m_pGraph = pGraph;
    m_pSink = nullptr;
    if (pGraph != nullptr) {
        void* pv = nullptr;
        if (SUCCEEDED(pGraph->QueryInterface(IID_IMediaEventSink, &pv)) && pv != nullptr) {
            m_pSink = static_cast<IMediaEventSink*>(pv);
            m_pSink->Release(); // weak, as the graph is
        }
    }
    m_strName = pName != nullptr ? pName : L"";
    return S_OK;
}

HRESULT CBaseFilter::NotifyEvent(LONG lEventCode, LONG_PTR lParam1, LONG_PTR lParam2) {
    IMediaEventSink* pSink = m_pSink;
    return pSink != nullptr ? pSink->Notify(lEventCode, lParam1, lParam2) : E_NOTIMPL;
}

HRESULT CBaseFilter::ReconnectPin(IPin* pPin) {
    CAutoLock lock(m_pLock);
    if (m_pGraph == nullptr) return VFW_E_NOT_IN_GRAPH;
    return m_pGraph->Reconnect(pPin);
}
