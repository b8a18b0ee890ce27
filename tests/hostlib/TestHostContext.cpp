#include "TestHostContext.h"

HRESULT CTestHostContext::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IMfxTempoMap)
        *ppv = static_cast<IMfxTempoMap*>(this);
    else if (riid == IID_IMfxPinChangeSink && bOfferPinSink)
        *ppv = static_cast<IMfxPinChangeNotify*>(this);
    else {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

HRESULT CTestHostContext::GetTempoAt(LONG, LONG* plStart, LONG* plTempo100) {
    if (plStart != nullptr) *plStart = 0;
    if (plTempo100 != nullptr) *plTempo100 = 12000;
    return S_OK;
}

HRESULT CTestHostContext::OnPinChange(DWORD dwPhase, IBaseFilter*, DWORD dwCount) {
    calls.push_back({dwPhase, dwCount});
    return dwPhase == kPinChangeAsk ? hrAsk : S_OK;
}

HRESULT CTestEventQueue::GetCount(LONG* plCount) {
    *plCount = static_cast<LONG>(events.size());
    return S_OK;
}

HRESULT CTestEventQueue::GetAt(LONG lIndex, MfxEvent* pEvent) {
    if (lIndex < 0 || static_cast<size_t>(lIndex) >= events.size()) return E_INVALIDARG;
    *pEvent = events[static_cast<size_t>(lIndex)];
    return S_OK;
}

void CTestEventQueue::AddNote(LONG lTime, BYTE byKey, BYTE byVelocity, DWORD dwDuration) {
    MfxEvent ev{};
    ev.lTime = lTime;
    ev.dwType = 0;
    ev.byKey = byKey;
    ev.byVelocity = byVelocity;
    ev.dwDuration = dwDuration;
    events.push_back(ev);
}
