#include "apps/hostkit/HostEventQueue.h"

HRESULT CHostEventQueue::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IMfxEventQueue) {
        *ppv = static_cast<IMfxEventQueue*>(this);
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

HRESULT CHostEventQueue::GetCount(LONG* plCount) {
    if (plCount == nullptr) return E_POINTER;
    *plCount = static_cast<LONG>(m_events.size());
    return S_OK;
}

HRESULT CHostEventQueue::GetAt(LONG lIndex, MfxEvent* pEvent) {
    if (pEvent == nullptr) return E_POINTER;
    if (lIndex < 0 || static_cast<size_t>(lIndex) >= m_events.size()) return E_INVALIDARG;
    *pEvent = m_events[static_cast<size_t>(lIndex)];
    return S_OK;
}

void CHostEventQueue::AddNote(LONG lTime, BYTE byChannel, BYTE byKey, BYTE byVelocity, bool bOn) {
    MfxEvent ev{};
    ev.lTime = lTime;
    ev.byChannel = byChannel;
    ev.dwType = 0;
    ev.byKey = byKey;
    ev.byVelocity = bOn ? byVelocity : 0;
    ev.byRelease = 64;
    ev.dwDuration = bOn ? 0xFFFFFFFF : 0;
    m_events.push_back(ev);
}
