// MIDI notes: their play states, the ownership of latched pads, synced
// starts, releases with the 20 ms look-ahead, and retiring.
#include "engine/VudivuVizezud.h"

namespace {
void MoveWindow(PlayWindow& win, LONGLONG nBy) {
    // Infinite values stay infinite, so "still open" tests keep working.
    for (LONGLONG* p : {&win.nStart, &win.nEnd, &win.nCursor, &win.nOrigin})
        if (*p < kInfiniteTime) *p += nBy;
}

void OpenWindow(PlayWindow& win, LONGLONG nAt) {
    win.nStart = win.nCursor = win.nOrigin = nAt;
    win.nEnd = win.nLength = kInfiniteTime;
}

bool IsReleased(const SynthEvent& ev, const PlayState& st) {
    return st.bReleased || ev.rec.dwDuration == 0 || ev.rec.dwDuration == kDurationHandled;
}
} // namespace

HRESULT CVudivuVizezud::ActivateNote(SynthEvent* pEvent) {
    if (pEvent == nullptr) return E_POINTER;
    PlayState* st = m_notePool.Take();
    if (st == nullptr) return S_FALSE; // every voice busy: the note is dropped, nothing aborts
    const LONGLONG nStart = static_cast<LONGLONG>(pEvent->rec.lTime) << 16;
    st->bNew = 1;
    st->held.nStart = st->held.nCursor = st->held.nOrigin = nStart;
    st->held.nEnd = pEvent->rec.dwDuration == kDurationHeld
                        ? kInfiniteTime
                        : nStart + (static_cast<LONGLONG>(pEvent->rec.dwDuration) << 16);
    st->held.nLength = st->held.nEnd >= kInfiniteTime ? kInfiniteTime : st->held.nEnd - nStart;
    OpenWindow(st->latched, nStart);
    pEvent->pNoteState = st;
    return S_OK;
}

HRESULT CVudivuVizezud::RetireNote(SynthEvent* pEvent, DWORD dwForce) {
    if (pEvent == nullptr) return S_OK;
    PlayState* st = pEvent->pNoteState;
    if (st == nullptr) return S_OK;
    if (!dwForce && (st->held.nCursor < st->held.nEnd || st->latched.nCursor < st->latched.nEnd))
        return S_FALSE;
    CAutoLock lock(this);
    for (PadOwnership& o : m_ownership)
        if (o.pOwner == st) {
            o.pOwner = nullptr;
            o.bWasPlaying = 0;
        }
    m_notePool.Give(st);
    pEvent->pNoteState = nullptr;
    return S_OK;
}

void CVudivuVizezud::SyncedStart(CGrooveTrack* pPad, LONGLONG nStart, int nActive) {
    if (m_pSynthContext->IsPlaying()) {
        // The song's own phase.
        m_nSyncReference = 0;
        pPad->m_nSyncStart = 0;
    } else if (nActive == 0) {
        pPad->m_bStarted = 1;
        m_nSyncReference = nStart;
        pPad->m_nSyncStart = nStart;
    } else {
        // Keep the phase of the pads already playing.
        pPad->m_nSyncStart = m_nSyncReference;
    }
}

void CVudivuVizezud::RenderNote(const BufferWindow& w, SynthEvent& ev) {
    PlayState& st = *ev.pNoteState;
    m_keyMap.LookUp(ev.rec.byKey, ev.rec.byChannel, ev.rec.byVelocity, &m_playList);

    if (st.bNew) {
        st.bNew = 0;
        if (ev.rec.dwDuration == kDurationHeld) {
            OpenWindow(st.held, w.nW0);
            OpenWindow(st.latched, w.nW0);
        } else {
            MoveWindow(st.held, m_nTickOffset);
            MoveWindow(st.latched, m_nTickOffset);
        }
        for (const TrackPlayInfo& info : m_playList) {
            CGrooveTrack* pPad = info.pTrack;
            PadOwnership& own = m_ownership[info.nPad];
            if (pPad->IsEmpty()) {
                own.bPlaying = 0;
                own.pOwner = nullptr;
                continue;
            }
            if (pPad->m_bLatch) {
                own.bWasPlaying = own.bPlaying;
                if (pPad->m_bLooping && own.bPlaying) {
                    own.bPlaying = 0; // a second note stops a latched loop
                } else {
                    own.bPlaying = 1;
                    own.pOwner = &st;
                }
            }
            if (pPad->m_bSyncedPlayback) SyncedStart(pPad, st.latched.nStart, w.nActiveBefore);
        }
    }

    bool bOwns = false;
    for (const TrackPlayInfo& info : m_playList) {
        const PadOwnership& own = m_ownership[info.nPad];
        if (info.pTrack->m_bLatch && own.bPlaying && own.pOwner == &st) bOwns = true;
    }

    if (ev.rec.dwDuration == 0) {
        if (st.held.nCursor != 0) {
            st.held.nEnd = w.nReleaseEnd;
            st.held.nLength = st.held.nEnd - st.held.nStart;
            ev.rec.dwDuration = kDurationHandled;
        } else {
            st.latched.nEnd = st.latched.nLength = 0;
        }
    }
    if (st.held.nEnd >= 1 && st.held.nCursor >= st.held.nEnd) {
        st.bReleased = 1;
        st.held.nEnd = st.held.nLength = 0;
    }

    const bool bReleased = IsReleased(ev, st);
    if ((st.bStopRequest || (bReleased && !bOwns)) && st.latched.nEnd >= kInfiniteTime) {
        st.bReleased = 1;
        st.bStopRequest = 0;
        st.latched.nEnd = w.nReleaseEnd;
        st.latched.nLength = st.latched.nEnd - st.latched.nStart;
        if (st.latched.nEnd < st.latched.nCursor) {
            st.latched.nEnd += w.nWL;
            st.latched.nLength += w.nWL;
        }
    }
    if ((IsReleased(ev, st) && st.latched.nEnd >= 1 && st.latched.nCursor >= st.latched.nEnd) ||
        m_bStopAll) {
        st.latched.nEnd = st.latched.nLength = 0;
        ev.rec.dwDuration = 0;
    }

    RenderPlayList(w, st, m_playList, m_abSounded);

    // The held window of a released note closes when its cursor passes the
    // end (above), so the 20 ms release fade always plays out.
    st.held.nCursor += w.nWL;
    st.latched.nCursor += w.nWL;
}
