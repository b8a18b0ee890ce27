// Auditions and previews (requests the next buffer consumes), the key map,
// and the small editor state: the grain-audition switch and the refresh
// request.
#include "files/ControlInterface.h"
#include <algorithm>

HRESULT CControlInterface::StartAudition(LONG nPad, LONG nGrain) {
    CAutoLock lock(this);
    return CVudivuVizezud::StartAudition(nPad, nGrain);
}

HRESULT CControlInterface::StopAudition(LONG nPad) {
    CAutoLock lock(this);
    return CVudivuVizezud::StopAudition(nPad);
}

HRESULT CControlInterface::StartFilePreview(LONG nEntry, LONG nSlice) {
    CAutoLock lock(this);
    return CVudivuVizezud::StartFilePreview(nEntry, nSlice);
}

HRESULT CControlInterface::StopFilePreview(LONG nEntry) {
    CAutoLock lock(this);
    return CVudivuVizezud::StopFilePreview(nEntry);
}

HRESULT CControlInterface::GetPadActive(LONG nPad, BOOL* pbActive) {
    if (pbActive == nullptr) return E_POINTER;
    if (nPad < 0 || nPad >= kPadCount) return E_INVALIDARG;
    CAutoLock lock(this);
    *pbActive = IsPadActive(nPad);
    return S_OK;
}

HRESULT CControlInterface::GetFilePreviewActive(LONG nEntry, BOOL* pbActive) {
    if (pbActive == nullptr) return E_POINTER;
    CAutoLock lock(this);
    if (nEntry < 0 || nEntry >= kLoopBinCapacity || BinEntry(nEntry) == nullptr)
        return E_INVALIDARG;
    *pbActive = IsFilePreviewActive(nEntry) ? 1 : 0;
    return S_OK;
}

HRESULT CControlInterface::GetPadKeyRange(PadKeyRange* pRange) {
    if (pRange == nullptr) return E_POINTER;
    if (pRange->nPad < 0 || pRange->nPad >= kPadCount) return E_INVALIDARG;
    CAutoLock lock(this);
    TrackKeyInfoImp entry;
    if (m_keyMap.GetEntry(static_cast<DWORD>(pRange->nPad), &entry) != 0) {
        pRange->nLowKey = entry.nLowKey;
        pRange->nHighKey = entry.nHighKey;
        pRange->nRootKey = entry.nRootKey;
        pRange->nLowVelocity = entry.nLowVelocity;
        pRange->nHighVelocity = entry.nHighVelocity;
    }
    return S_OK;
}

HRESULT CControlInterface::SetPadKeyRange(const PadKeyRange* pRange) {
    if (pRange == nullptr) return E_POINTER;
    if (pRange->nPad < 0 || pRange->nPad >= kPadCount) return E_INVALIDARG;
    CAutoLock lock(this);
    // Held to the MIDI range, so that whatever is set here a saved project
    // can be loaded again.
    auto midi = [](LONG v) { return std::clamp<LONG>(v, 0, 127); };
    TrackKeyInfoImp entry;
    entry.nPad = static_cast<DWORD>(pRange->nPad);
    entry.pTrack = m_pads[pRange->nPad];
    entry.nLowKey = midi(pRange->nLowKey);
    entry.nHighKey = midi(pRange->nHighKey);
    entry.nRootKey = midi(pRange->nRootKey);
    entry.nLowVelocity = midi(pRange->nLowVelocity);
    entry.nHighVelocity = midi(pRange->nHighVelocity);
    m_keyMap.SetEntry(entry);
    return S_OK;
}

HRESULT CControlInterface::GetClickAudition(BOOL* pbValue) {
    if (pbValue == nullptr) return E_POINTER;
    CAutoLock lock(this);
    *pbValue = GetGrainAudition();
    return S_OK;
}

HRESULT CControlInterface::SetClickAudition(BOOL bValue) {
    CAutoLock lock(this);
    SetGrainAudition(bValue);
    return S_OK;
}

HRESULT CControlInterface::TakeRefreshRequest(LONG* pnValue) {
    if (pnValue == nullptr) return E_POINTER;
    CAutoLock lock(this);
    *pnValue = m_nChangeFlag;
    m_nChangeFlag = 0;
    return S_OK;
}

HRESULT CControlInterface::RequestRefresh(LONG nValue) {
    CAutoLock lock(this);
    m_nChangeFlag = nValue;
    return S_OK;
}
