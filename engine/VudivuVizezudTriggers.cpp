// Editor-started playback: the pad buttons, the Loop Bin previews and the
// audition pad. The control interface sets flags and play states; the next
// buffer consumes them here.
#include "engine/VudivuVizezud.h"
#include <new>

namespace {
void OpenAt(PlayWindow& win, LONGLONG nStart, LONGLONG nOrigin) {
    win.nStart = nStart;
    win.nCursor = win.nOrigin = nOrigin;
    win.nEnd = win.nLength = kInfiniteTime;
}

void CloseWhenDone(PlayWindow& win) {
    if (win.nEnd >= 1 && win.nCursor >= win.nEnd) win.nEnd = win.nLength = 0;
}

void ScheduleEnd(PlayWindow& win, LONGLONG nEnd) {
    if (win.nEnd < kInfiniteTime) return;
    win.nEnd = nEnd;
    win.nLength = nEnd - win.nStart;
}

TrackPlayInfo PlayOne(LONG nKind, LONG nPad, CGrooveTrack* pTrack) {
    TrackPlayInfo info;
    info.nKind = nKind;
    info.bLatch = pTrack->m_bLatch;
    info.nPad = nPad;
    info.pTrack = pTrack;
    return info;
}
} // namespace

void CVudivuVizezud::RenderPadButtons(const BufferWindow& w) {
    for (int i = 0; i < m_pads.GetCount(); ++i) {
        CGrooveTrack* pPad = m_pads[i];
        if (pPad->IsEmpty()) continue;
        PlayState& st = m_padStates[i];
        m_abStartRequest[i] = 0;
        if (st.bNew) {
            st.bNew = 0;
            pPad->m_bStarted = 0;
            const bool bSounding = m_abActive[i] != 0;
            if (!pPad->m_bLatch || !bSounding || !pPad->m_bLooping) {
                LONGLONG nStart = w.nW0;
                if (pPad->m_bSyncedPlayback) {
                    SyncedStart(pPad, w.nW0, w.nActiveBefore);
                    if (!m_pSynthContext->IsPlaying() && w.nActiveBefore > 0)
                        nStart = w.nW0 - m_nSyncReference;
                } else {
                    pPad->m_nSyncStart = 0;
                }
                OpenAt(st.held, nStart, w.nW0);
                OpenAt(st.latched, nStart, w.nW0);
                st.bFinished = 0;
            } else {
                st.bStopRequest = 1; // the button toggles a sounding latched loop
            }
        }
        if (st.bStopRequest) {
            ScheduleEnd(st.held, w.nReleaseEnd);
            ScheduleEnd(st.latched, w.nReleaseEnd);
            st.bStopRequest = 0;
        }
        CloseWhenDone(st.held);
        CloseWhenDone(st.latched);
        if (st.held.nLength == 0) continue;
        m_playList2.Clear();
        m_playList2.Add(PlayOne(kPlayKindPad, i, pPad));
        RenderPlayList(w, st, m_playList2, nullptr);
        m_abStartRequest[i] = 1;
        st.held.nCursor += w.nWL;
        st.latched.nCursor += w.nWL;
    }
}

void CVudivuVizezud::RenderPreviews(const BufferWindow& w) {
    for (int i = 0; i < m_loopBin.GetCount(); ++i) {
        PlayState& st = m_binStates[i];
        CGrooveTrack* pEntry = m_loopBin[i];
        if (st.bNew) {
            st.bNew = 0;
            OpenAt(st.held, w.nW0, w.nW0);
            OpenAt(st.latched, w.nW0, w.nW0);
            // A preview starts at the beginning of the file, whatever the song position.
            pEntry->m_nSyncStart = w.nW0;
        }
        if (st.held.nLength == 0) continue;
        m_playList2.Clear();
        m_playList2.Add(PlayOne(kPlayKindLoopBin, i, pEntry));
        RenderPlayList(w, st, m_playList2, nullptr);
        st.held.nCursor += w.nWL;
        st.latched.nCursor += w.nWL;
    }
}

void CVudivuVizezud::RenderAudition(const BufferWindow& w) {
    PlayState& st = m_auditionState;
    if (m_auditionPad.IsEmpty()) return;
    if (st.bNew) {
        st.bNew = 0;
        OpenAt(st.held, w.nW0, w.nW0);
        OpenAt(st.latched, w.nW0, w.nW0);
        st.held.nEnd = w.nW0 + m_auditionPad.GetAt(0)->m_nLenTicks;
        st.held.nLength = st.held.nEnd - w.nW0;
    }
    CloseWhenDone(st.held);
    if (st.held.nLength == 0) return;
    m_playList2.Clear();
    TrackPlayInfo info = PlayOne(kPlayKindAudition, 0, &m_auditionPad);
    info.bLatch = 0; // the audition plays one grain length, then fades
    m_playList2.Add(info);
    RenderPlayList(w, st, m_playList2, nullptr);
    st.held.nCursor += w.nWL;
    st.latched.nCursor += w.nWL;
}

HRESULT CVudivuVizezud::StartAudition(LONG nPad, LONG nGrain) {
    if (nPad < 0 || nPad >= kPadCount) return E_INVALIDARG;
    CAutoLock lock(this);
    CGrooveTrack* pPad = m_pads[nPad];
    m_auditionPad.m_nOutput = pPad->m_nOutput;
    if (nGrain == -1) {
        PlayState& st = m_padStates[nPad];
        st.bNew = 1;
        st.bEditorStarted = 1;
        st.bStopRequest = st.bReleased = st.bFinished = 0;
        st.bNoNaturalEnd = 0;
        return S_OK;
    }
    const CGrooveEvent* pGrain = pPad->GetAt(nGrain);
    if (pGrain == nullptr) return E_INVALIDARG;
    if (!m_bGrainAudition) return S_OK;
    return AuditionGrain(*pGrain, pPad->m_bFollowKey);
}

HRESULT CVudivuVizezud::StopAudition(LONG nPad) {
    CAutoLock lock(this);
    if (nPad == -1) {
        for (PlayState& st : m_padStates) st.bStopRequest = 1;
        m_bStopAll = 1;
        return S_OK;
    }
    if (nPad < 0 || nPad >= kPadCount) return E_INVALIDARG;
    if (!m_pads[nPad]->m_bLatch) m_padStates[nPad].bStopRequest = 1;
    return S_OK;
}

HRESULT CVudivuVizezud::StartFilePreview(LONG nEntry, LONG nSlice) {
    if (nEntry < 0 || nEntry >= kLoopBinCapacity) return E_INVALIDARG;
    CAutoLock lock(this);
    CGrooveTrack* pEntry = BinEntry(nEntry);
    if (pEntry == nullptr) return E_INVALIDARG;
    if (nSlice == -1) {
        PlayState& st = m_binStates[nEntry];
        st = PlayState{};
        st.bNew = st.bEditorStarted = st.bNoNaturalEnd = 1;
        return S_OK;
    }
    const CGrooveEvent* pSlice = pEntry->GetAt(nSlice);
    if (pSlice == nullptr) return E_INVALIDARG;
    if (!m_bGrainAudition) return S_OK;
    return AuditionGrain(*pSlice, pEntry->m_bFollowKey);
}

HRESULT CVudivuVizezud::AuditionGrain(const CGrooveEvent& grain, BOOL bFollowKey) {
    auto* pCopy = new (std::nothrow) CGrooveEvent(grain);
    if (pCopy == nullptr) return E_OUTOFMEMORY;
    m_auditionPad.Clear();
    pCopy->m_nStartTicks = 0;
    pCopy->m_nStartSamples = 0;
    m_auditionPad.AddGrainAtEnd(pCopy);
    m_auditionPad.m_nLenTicks = pCopy->GetEnd(kUnitTicks);
    m_auditionPad.m_nLenSamples = pCopy->GetEnd(kUnitSamples, true);
    m_auditionPad.m_bFollowKey = bFollowKey;
    m_auditionPad.m_nKey = -1;
    PlayState& st = m_auditionState;
    st = PlayState{};
    st.bNew = st.bEditorStarted = st.bNoNaturalEnd = 1;
    return S_OK;
}

HRESULT CVudivuVizezud::StopFilePreview(LONG nEntry) {
    CAutoLock lock(this);
    if (nEntry == -1) {
        for (PlayState& st : m_binStates) st = PlayState{};
        return S_OK;
    }
    if (nEntry < 0 || nEntry >= kLoopBinCapacity) return E_INVALIDARG;
    m_binStates[nEntry] = PlayState{};
    return S_OK;
}

BOOL CVudivuVizezud::IsFilePreviewActive(int nEntry) const {
    return nEntry >= 0 && nEntry < kLoopBinCapacity && m_binStates[nEntry].held.nLength != 0;
}

void CVudivuVizezud::UpdateAnySolo() {
    m_bAnySolo = 0;
    for (const CGrooveTrack* p : m_pads)
        if (p->m_bSolo) m_bAnySolo = 1;
}
