// Queueing host events, dispatching the due ones to the active list, and
// retiring finished ones.
#include "host/SoftSynth.h"
#include <cstring>

namespace {
BYTE ClampMidi(int v) { return static_cast<BYTE>(v < 0 ? 0 : (v > 127 ? 127 : v)); }

// Fills the live-input record for one MIDI message; false for messages that
// are not queued (system messages, stray data bytes).
bool FillFromMidi(const MfxData& item, HostEventRecord& rec) {
    const BYTE d1 = item.byData1 & 127;
    const BYTE d2 = item.byData2 & 127;
    switch (item.byStatus & 0xF0) {
    case 0x80:
    case 0x90:
        rec.dwType = kEventNote;
        rec.byKey = d1;
        rec.byVelocity = d2;
        // A note-on with velocity 0 is a note-off.
        rec.dwDuration = ((item.byStatus & 0xF0) == 0x90 && d2 != 0) ? kDurationHeld : 0;
        return true;
    case 0xA0:
        rec.dwType = kEventKeyAftertouch;
        rec.byKey = d1;
        rec.byVelocity = d2;
        return true;
    case 0xB0:
        rec.dwType = kEventController;
        rec.byKey = d1;
        rec.byVelocity = d2;
        return true;
    case 0xC0: {
        rec.dwType = kEventPatch;
        rec.byKey = d1;
        rec.byVelocity = d2;
        const WORD bankNone = 0xFFFF; // bytes 12..13
        std::memcpy(reinterpret_cast<BYTE*>(&rec) + 12, &bankNone, sizeof bankNone);
        return true;
    }
    case 0xD0:
        rec.dwType = kEventChannelAftertouch;
        rec.byVelocity = d1;
        return true;
    case 0xE0: {
        rec.dwType = kEventPitchWheel;
        const WORD wheel = static_cast<WORD>((d2 << 7) | d1); // bytes 10..11
        std::memcpy(reinterpret_cast<BYTE*>(&rec) + 10, &wheel, sizeof wheel);
        return true;
    }
    default: return false;
    }
}
} // namespace

// Offers one event to the engine and queues it when the engine accepts it.
// Returns a failure that ends the queueing loop, else S_OK; *phrLast gets the
// engine's answer.
HRESULT CSoftSynth::QueueOne(SynthEvent& ev, HRESULT* phrLast) {
    HRESULT hr = m_pOwner->FilterEvent(&ev);
    *phrLast = hr;
    if (hr < 0) return hr;
    if (hr == 0) m_pending.Insert(ev); // a full pool drops and counts
    return S_OK;
}

HRESULT CSoftSynth::QueueEvents(LONG, LONG, DWORD dwSource, IMfxEventQueue* pQueue) {
    CAutoLock lock(Lock());
    if (pQueue == nullptr) return E_POINTER;
    if (m_pTempoMap == nullptr) return E_UNEXPECTED;
    LONG lCount = 0;
    HRESULT hr = pQueue->GetCount(&lCount);
    if (FAILED(hr) || lCount < 1) return hr;
    HRESULT hrLast = S_OK;
    for (LONG i = 0; i < lCount; ++i) {
        SynthEvent ev{};
        hr = pQueue->GetAt(i, &ev.rec);
        if (FAILED(hr)) return hr;
        ev.llSampleTime = MidiTicksToSamples(ev.rec.lTime) - m_llTickOrigin + m_llLoopOffset;
        ev.dwSource = dwSource;
        ev.pNoteState = nullptr;
        hr = QueueOne(ev, &hrLast);
        if (FAILED(hr)) return hr;
    }
    return hrLast;
}

HRESULT CSoftSynth::QueueInput(DWORD dwSource, IMfxDataQueue* pQueue) {
    CAutoLock lock(Lock());
    if (pQueue == nullptr) return E_POINTER;
    if (m_pTempoMap == nullptr) return E_UNEXPECTED;
    LONG lCount = 0;
    HRESULT hr = pQueue->GetCount(&lCount);
    if (FAILED(hr) || lCount < 1) return hr;
    HRESULT hrLast = S_OK;
    LONG lBase = 0;
    for (LONG i = 0; i < lCount; ++i) {
        MfxData item{};
        hr = pQueue->GetAt(i, &item);
        if (FAILED(hr)) return hr;
        if (i == 0) lBase = item.lTime;
        SynthEvent ev{};
        ev.rec.lTime = item.lTime;
        ev.rec.byMuteBits = 0;
        ev.rec.byChannel = item.byStatus & 15;
        ev.rec.byRelease = 64;
        if (!FillFromMidi(item, ev.rec)) continue;
        // Unsigned difference: hosts' times may wrap without undefined overflow.
        LONG lDelta = static_cast<LONG>(static_cast<DWORD>(item.lTime) - static_cast<DWORD>(lBase));
        ev.llSampleTime = MidiTicksToSamples(lDelta) + m_llSampleClock;
        ev.dwSource = dwSource;
        hr = QueueOne(ev, &hrLast);
        if (FAILED(hr)) return hr;
    }
    return hrLast;
}

HRESULT CSoftSynth::Dispatch(LONGLONG llClock, LONG lFrames) {
    CAutoLock lock(Lock());
    const LONGLONG llEnd = llClock + (lFrames > 0 ? lFrames : 0);
    int h = m_pending.GetHead();
    while (h != CPendingQueue::kEnd) {
        const SynthEvent& queued = m_pending.GetAt(h);
        if (queued.llSampleTime >= llEnd) break;
        // Late events stay until a transport start or stop empties the queue.
        if (queued.llSampleTime < llClock) {
            h = m_pending.GetNext(h);
            continue;
        }
        SynthEvent ev = queued;
        h = m_pending.RemoveAt(h);
        HRESULT hr = DispatchEvent(ev);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

HRESULT CSoftSynth::DispatchEvent(SynthEvent& ev) {
    SourceState fallback; // used, not kept, when the table is full
    SourceState* ps = m_sources.FindOrCreate(static_cast<LONG>(ev.dwSource));
    if (ps == nullptr) ps = &fallback;
    HostEventRecord& rec = ev.rec;

    if (rec.dwType == kEventMuteMask)
        ps->byMuteBits = static_cast<BYTE>((ps->byMuteBits & ~rec.byChannel) | rec.byMuteBits);
    if (ps->byMuteBits != 0) return S_OK;
    if (rec.dwType == kEventNote) {
        rec.byKey = ClampMidi(rec.byKey + ps->nKeyOffsetA + ps->nKeyOffsetB);
        rec.byVelocity = ClampMidi(rec.byVelocity + ps->nVelocityOffsetA + ps->nVelocityOffsetB);
    }
    if (ps->byForcedChannel != kNoForcedChannel) rec.byChannel = ps->byForcedChannel & 15;

    if (rec.dwType == kEventNote && rec.dwDuration == 0) {
        // Paired at once against the notes already open, so a note-off never
        // needs a slot and never ends a note that starts after it.
        ReleaseEarliestOpen(rec.byKey);
        return S_OK;
    }
    if (m_active.IsFull()) {
        // Checked before ActivateNote, so the engine never creates state that
        // no list holds.
        ++m_dwDroppedActive;
        return S_OK;
    }
    if (rec.dwType == kEventNote) {
        HRESULT hr = m_pOwner->ActivateNote(&ev);
        if (hr < 0) return hr;
        if (hr > 0) return S_OK;
    }
    m_active.AddTail(ev);
    return S_OK;
}

void CSoftSynth::ReleaseEarliestOpen(BYTE byKey) {
    for (SynthEvent& ev : m_active) {
        if (ev.rec.dwType == kEventNote && ev.rec.dwDuration == kDurationHeld &&
            ev.rec.byKey == byKey) {
            ev.rec.dwDuration = 0;
            return;
        }
    }
}

HRESULT CSoftSynth::Retire(LONGLONG llClock, DWORD dwForce) {
    CAutoLock lock(Lock());
    return m_active.Sweep([&](SynthEvent& ev) -> HRESULT {
        if (ev.rec.dwType == kEventNote) return m_pOwner->RetireNote(&ev, dwForce);
        return ev.llSampleTime < llClock ? S_OK : S_FALSE;
    });
}
