// Pad settings. Looping, synced playback and latch mode (slots 30..35)
// ignore a pad outside the pads and still succeed; every other pad setting
// answers E_INVALIDARG. Getters check their out-pointer first.
#include "files/ControlInterface.h"
#include <algorithm>
#include <cmath>

HRESULT CControlInterface::GetPadLooping(LONG nPad, BOOL* pValue) {
    if (pValue == nullptr) return E_POINTER;
    CAutoLock lock(this);
    if (const CGrooveTrack* p = PadAt(nPad)) *pValue = p->m_bLooping;
    return S_OK;
}

HRESULT CControlInterface::SetPadLooping(LONG nPad, BOOL value) {
    CAutoLock lock(this);
    if (CGrooveTrack* p = PadAt(nPad)) p->m_bLooping = value;
    return S_OK;
}

HRESULT CControlInterface::GetPadSynced(LONG nPad, BOOL* pValue) {
    if (pValue == nullptr) return E_POINTER;
    CAutoLock lock(this);
    if (const CGrooveTrack* p = PadAt(nPad)) *pValue = p->m_bSyncedPlayback;
    return S_OK;
}

HRESULT CControlInterface::SetPadSynced(LONG nPad, BOOL value) {
    CAutoLock lock(this);
    if (CGrooveTrack* p = PadAt(nPad)) p->m_bSyncedPlayback = value;
    return S_OK;
}

HRESULT CControlInterface::GetPadLatchMode(LONG nPad, BOOL* pValue) {
    if (pValue == nullptr) return E_POINTER;
    CAutoLock lock(this);
    if (const CGrooveTrack* p = PadAt(nPad)) *pValue = p->m_bLatch;
    return S_OK;
}

HRESULT CControlInterface::SetPadLatchMode(LONG nPad, BOOL value) {
    CAutoLock lock(this);
    if (CGrooveTrack* p = PadAt(nPad)) p->m_bLatch = value;
    return S_OK;
}

HRESULT CControlInterface::GetPadMute(LONG nPad, BOOL* pValue) {
    if (pValue == nullptr) return E_POINTER;
    CAutoLock lock(this);
    const CGrooveTrack* p = PadAt(nPad);
    if (p == nullptr) return E_INVALIDARG;
    *pValue = p->m_bMute;
    return S_OK;
}

HRESULT CControlInterface::SetPadMute(LONG nPad, BOOL value) {
    CAutoLock lock(this);
    CGrooveTrack* p = PadAt(nPad);
    if (p == nullptr) return E_INVALIDARG;
    p->m_bMute = value;
    return S_OK;
}

HRESULT CControlInterface::GetPadVolume(LONG nPad, float* pValue) {
    if (pValue == nullptr) return E_POINTER;
    CAutoLock lock(this);
    const CGrooveTrack* p = PadAt(nPad);
    if (p == nullptr) return E_INVALIDARG;
    *pValue = p->m_fVolume;
    return S_OK;
}

HRESULT CControlInterface::SetPadVolume(LONG nPad, float value) {
    CAutoLock lock(this);
    CGrooveTrack* p = PadAt(nPad);
    if (p == nullptr) return E_INVALIDARG;
    // Negative (and not-a-number) values store 0.
    p->m_fVolume = value >= 0.0f ? std::min(value, 2.0f) : 0.0f;
    return S_OK;
}

HRESULT CControlInterface::GetPadPan(LONG nPad, float* pValue) {
    if (pValue == nullptr) return E_POINTER;
    CAutoLock lock(this);
    const CGrooveTrack* p = PadAt(nPad);
    if (p == nullptr) return E_INVALIDARG;
    *pValue = p->m_fPan;
    return S_OK;
}

HRESULT CControlInterface::SetPadPan(LONG nPad, float value) {
    CAutoLock lock(this);
    CGrooveTrack* p = PadAt(nPad);
    if (p == nullptr) return E_INVALIDARG;
    p->m_fPan = value >= 0.0f ? std::min(value, 1.0f) : 0.0f;
    return S_OK;
}

HRESULT CControlInterface::GetPadTails(LONG nPad, BOOL* pValue) {
    if (pValue == nullptr) return E_POINTER;
    CAutoLock lock(this);
    const CGrooveTrack* p = PadAt(nPad);
    if (p == nullptr) return E_INVALIDARG;
    *pValue = p->m_bTail;
    return S_OK;
}

HRESULT CControlInterface::SetPadTails(LONG nPad, BOOL value) {
    CAutoLock lock(this);
    CGrooveTrack* p = PadAt(nPad);
    if (p == nullptr) return E_INVALIDARG;
    p->SetTail(value);
    return S_OK;
}

HRESULT CControlInterface::GetPadPitchMarkers(LONG nPad, BOOL* pValue) {
    if (pValue == nullptr) return E_POINTER;
    CAutoLock lock(this);
    const CGrooveTrack* p = PadAt(nPad);
    if (p == nullptr) return E_INVALIDARG;
    *pValue = p->m_bFollowKey;
    return S_OK;
}

HRESULT CControlInterface::SetPadPitchMarkers(LONG nPad, BOOL value) {
    CAutoLock lock(this);
    CGrooveTrack* p = PadAt(nPad);
    if (p == nullptr) return E_INVALIDARG;
    p->m_bFollowKey = value;
    return S_OK;
}

HRESULT CControlInterface::GetPadOutput(LONG nPad, LONG* pValue) {
    if (pValue == nullptr) return E_POINTER;
    CAutoLock lock(this);
    const CGrooveTrack* p = PadAt(nPad);
    if (p == nullptr) return E_INVALIDARG;
    *pValue = p->m_nOutput;
    return S_OK;
}

HRESULT CControlInterface::SetPadOutput(LONG nPad, LONG value) {
    CAutoLock lock(this);
    CGrooveTrack* p = PadAt(nPad);
    if (p == nullptr) return E_INVALIDARG;
    if (value < 0 || value > kPadCount) return E_INVALIDARG;
    p->m_nOutput = value;
    return S_OK;
}

HRESULT CControlInterface::GetPadSolo(LONG nPad, BOOL* pValue) {
    if (pValue == nullptr) return E_POINTER;
    CAutoLock lock(this);
    const CGrooveTrack* p = PadAt(nPad);
    if (p == nullptr) return E_INVALIDARG;
    *pValue = p->m_bSolo;
    return S_OK;
}

HRESULT CControlInterface::SetPadSolo(LONG nPad, BOOL value) {
    CAutoLock lock(this);
    CGrooveTrack* p = PadAt(nPad);
    if (p == nullptr) return E_INVALIDARG;
    p->m_bSolo = value;
    UpdateAnySolo();
    return S_OK;
}

HRESULT CControlInterface::GetPadRoot(LONG nPad, LONG* pValue) {
    if (pValue == nullptr) return E_POINTER;
    CAutoLock lock(this);
    const CGrooveTrack* p = PadAt(nPad);
    if (p == nullptr) return E_INVALIDARG;
    *pValue = p->m_nKey;
    return S_OK;
}

HRESULT CControlInterface::SetPadRoot(LONG nPad, LONG value) {
    CAutoLock lock(this);
    CGrooveTrack* p = PadAt(nPad);
    if (p == nullptr) return E_INVALIDARG;
    p->SetKey(value);
    return S_OK;
}

HRESULT CControlInterface::GetPadMidiChannel(LONG nPad, LONG* pValue) {
    if (pValue == nullptr) return E_POINTER;
    CAutoLock lock(this);
    const CGrooveTrack* p = PadAt(nPad);
    if (p == nullptr) return E_INVALIDARG;
    *pValue = p->m_nMidiChannel;
    return S_OK;
}

HRESULT CControlInterface::SetPadMidiChannel(LONG nPad, LONG value) {
    CAutoLock lock(this);
    CGrooveTrack* p = PadAt(nPad);
    if (p == nullptr) return E_INVALIDARG;
    p->m_nMidiChannel = std::clamp<LONG>(value, -1, 15);
    return S_OK;
}

HRESULT CControlInterface::GetPadLatch(LONG nPad, BOOL* pValue) {
    if (pValue == nullptr) return E_POINTER;
    CAutoLock lock(this);
    const CGrooveTrack* p = PadAt(nPad);
    if (p == nullptr) return E_INVALIDARG;
    *pValue = p->m_bLatch;
    return S_OK;
}

HRESULT CControlInterface::SetPadLatch(LONG nPad, BOOL value) {
    CAutoLock lock(this);
    CGrooveTrack* p = PadAt(nPad);
    if (p == nullptr) return E_INVALIDARG;
    p->m_bLatch = value;
    return S_OK;
}

HRESULT CControlInterface::GetPadLength(LONG nKind, LONG nIndex, LONGLONG* pnTicks) {
    if (pnTicks == nullptr) return E_POINTER;
    CAutoLock lock(this);
    const CGrooveTrack* p = nKind == kKindPad       ? PadAt(nIndex)
                            : nKind == kKindLoopBin ? BinEntry(nIndex)
                                                    : nullptr;
    if (p == nullptr) return E_INVALIDARG;
    *pnTicks = p->m_nLenTicks;
    return S_OK;
}

HRESULT CControlInterface::SetPadLength(LONG nKind, LONG nIndex, LONGLONG nTicks) {
    CAutoLock lock(this);
    CGrooveTrack* p = nKind == kKindPad       ? PadAt(nIndex)
                      : nKind == kKindLoopBin ? BinEntry(nIndex)
                                              : nullptr;
    if (p == nullptr) return E_INVALIDARG;
    if (nTicks < 0) return S_OK; // lengths are never negative
    p->m_nLenTicks = nTicks;
    if (nKind == kKindPad) {
        const double dBeats = static_cast<double>(nTicks) / static_cast<double>(kTicksPerBeat);
        const double dMinutes = p->m_dTempo > 0.0 ? dBeats / p->m_dTempo : dBeats * 0.01;
        p->m_nLenSamples = static_cast<LONGLONG>(
            std::trunc(static_cast<double>(p->SampleRate()) * dMinutes * 60.0 + 0.5));
    }
    return S_OK;
}

HRESULT CControlInterface::GetPadGrainCount(LONG nKind, LONG nIndex, LONG* pnCount) {
    if (pnCount == nullptr) return E_POINTER;
    CAutoLock lock(this);
    const CGrooveTrack* p = nKind == kKindPad       ? PadAt(nIndex)
                            : nKind == kKindLoopBin ? BinEntry(nIndex)
                                                    : nullptr;
    if (p == nullptr) return E_INVALIDARG;
    *pnCount = p->GetSize();
    return S_OK;
}

HRESULT CControlInterface::GetPadContentEnd(LONG nPad, LONGLONG* pnTicks) {
    if (pnTicks == nullptr) return E_POINTER;
    CAutoLock lock(this);
    const CGrooveTrack* p = PadAt(nPad);
    if (p == nullptr) return E_INVALIDARG;
    *pnTicks = p->IsEmpty() ? 0 : p->GetAt(p->GetSize() - 1)->GetEnd(kUnitTicks);
    return S_OK;
}
