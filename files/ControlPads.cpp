// Pad settings. Looping, synced playback and latch mode (slots 30..35)
// ignore a pad outside the pads and still succeed; every other pad setting
// answers E_INVALIDARG. Getters check their out-pointer first.
#include "files/ControlInterface.h"
#include "files/ProjectRecords.h"
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
    return ReadPad(nPad, pValue, [](const CGrooveTrack& p) { return p.m_bMute; });
}

HRESULT CControlInterface::SetPadMute(LONG nPad, BOOL value) {
    return WritePad(nPad, [=](CGrooveTrack& p) { p.m_bMute = value; });
}

HRESULT CControlInterface::GetPadVolume(LONG nPad, float* pValue) {
    return ReadPad(nPad, pValue, [](const CGrooveTrack& p) { return p.m_fVolume; });
}

HRESULT CControlInterface::SetPadVolume(LONG nPad, float value) {
    // Negative (and not-a-number) values store 0.
    return WritePad(
        nPad, [=](CGrooveTrack& p) { p.m_fVolume = value >= 0.0f ? std::min(value, 2.0f) : 0.0f; });
}

HRESULT CControlInterface::GetPadPan(LONG nPad, float* pValue) {
    return ReadPad(nPad, pValue, [](const CGrooveTrack& p) { return p.m_fPan; });
}

HRESULT CControlInterface::SetPadPan(LONG nPad, float value) {
    return WritePad(
        nPad, [=](CGrooveTrack& p) { p.m_fPan = value >= 0.0f ? std::min(value, 1.0f) : 0.0f; });
}

HRESULT CControlInterface::GetPadTails(LONG nPad, BOOL* pValue) {
    return ReadPad(nPad, pValue, [](const CGrooveTrack& p) { return p.m_bTail; });
}

HRESULT CControlInterface::SetPadTails(LONG nPad, BOOL value) {
    return WritePad(nPad, [=](CGrooveTrack& p) { p.SetTail(value); });
}

HRESULT CControlInterface::GetPadPitchMarkers(LONG nPad, BOOL* pValue) {
    return ReadPad(nPad, pValue, [](const CGrooveTrack& p) { return p.m_bFollowKey; });
}

HRESULT CControlInterface::SetPadPitchMarkers(LONG nPad, BOOL value) {
    return WritePad(nPad, [=](CGrooveTrack& p) { p.m_bFollowKey = value; });
}

HRESULT CControlInterface::GetPadOutput(LONG nPad, LONG* pValue) {
    return ReadPad(nPad, pValue, [](const CGrooveTrack& p) { return p.m_nOutput; });
}

HRESULT CControlInterface::SetPadOutput(LONG nPad, LONG value) {
    if (value < 0 || value > kPadCount) return E_INVALIDARG;
    return WritePad(nPad, [=](CGrooveTrack& p) { p.m_nOutput = value; });
}

HRESULT CControlInterface::GetPadSolo(LONG nPad, BOOL* pValue) {
    return ReadPad(nPad, pValue, [](const CGrooveTrack& p) { return p.m_bSolo; });
}

HRESULT CControlInterface::SetPadSolo(LONG nPad, BOOL value) {
    return WritePad(nPad, [=, this](CGrooveTrack& p) {
        p.m_bSolo = value;
        UpdateAnySolo();
    });
}

HRESULT CControlInterface::GetPadRoot(LONG nPad, LONG* pValue) {
    return ReadPad(nPad, pValue, [](const CGrooveTrack& p) { return p.m_nKey; });
}

HRESULT CControlInterface::SetPadRoot(LONG nPad, LONG value) {
    return WritePad(nPad, [=](CGrooveTrack& p) { p.SetKey(value); });
}

HRESULT CControlInterface::GetPadMidiChannel(LONG nPad, LONG* pValue) {
    return ReadPad(nPad, pValue, [](const CGrooveTrack& p) { return p.m_nMidiChannel; });
}

HRESULT CControlInterface::SetPadMidiChannel(LONG nPad, LONG value) {
    return WritePad(nPad,
                    [=](CGrooveTrack& p) { p.m_nMidiChannel = std::clamp<LONG>(value, -1, 15); });
}

HRESULT CControlInterface::GetPadLatch(LONG nPad, BOOL* pValue) {
    return ReadPad(nPad, pValue, [](const CGrooveTrack& p) { return p.m_bLatch; });
}

HRESULT CControlInterface::SetPadLatch(LONG nPad, BOOL value) {
    return WritePad(nPad, [=](CGrooveTrack& p) { p.m_bLatch = value; });
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
    if (nTicks < 0) return S_OK;                     // lengths are never negative
    if (nTicks > kInfiniteTime) return E_INVALIDARG; // beyond what a project stores
    if (nKind == kKindPad) {
        const double dBeats = static_cast<double>(nTicks) / static_cast<double>(kTicksPerBeat);
        const double dMinutes = p->m_dTempo > 0.0 ? dBeats / p->m_dTempo : dBeats * 0.01;
        const double dSamples =
            std::trunc(static_cast<double>(p->SampleRate()) * dMinutes * 60.0 + 0.5);
        // Longer than a project stores: the save would not load again.
        if (dSamples > static_cast<double>(kMaxTrackSamples)) return E_INVALIDARG;
        p->m_nLenTicks = nTicks;
        p->m_nLenSamples = static_cast<LONGLONG>(dSamples);
    } else {
        p->m_nLenTicks = nTicks; // an entry keeps its samples
    }
    // The tempo follows the lengths (rounded to whole samples) exactly as a
    // reload of the project derives it.
    p->RecomputeTempo();
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
