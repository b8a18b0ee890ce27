// The filter's state changes: the stream position and the tail on pause,
// the engine's pause and stop notifications, and the editor's refresh.
#include "host/Filter.h"

void CFilter::RunTailIfInputUnconnected() {
    // Without an input no sample will ever come: the outputs get their tail
    // and end of stream now. The result does not change the state change.
    if (!m_pInput->CBasePin::IsConnected()) ProcessEndOfStream();
}

HRESULT CFilter::Pause() {
    CAutoLock lock(ObjectLock());
    if (State() == State_Paused) return S_OK;
    const bool bFromStopped = State() == State_Stopped;
    SetStreamPosition(0);
    HRESULT hr = CBaseFilter::Pause();
    if (FAILED(hr)) return hr;
    RunTailIfInputUnconnected();
    if (bFromStopped) hr = OnPause();
    return hr;
}

HRESULT CFilter::Run(REFERENCE_TIME tStart) {
    CAutoLock lock(ObjectLock());
    CBaseFilter::Run(tStart);
    RunTailIfInputUnconnected();
    RequestRefresh(2);
    return S_OK;
}

HRESULT CFilter::Stop() {
    CAutoLock lock(ObjectLock());
    if (State() == State_Stopped) return S_OK;
    HRESULT hr = CBaseFilter::Stop();
    if (SUCCEEDED(hr)) hr = OnStop();
    m_nSyncReference = 0;
    RequestRefresh(2);
    return hr;
}
