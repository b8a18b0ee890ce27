// Grain operations: placing slices on pads, moving and copying grains
// (optionally deferred until CommitGrainEdits), per-grain settings and the
// summary records the editor draws from.
#include "files/ControlInterface.h"
#include "files/ProjectRecords.h"
#include "platform/com/TaskMem.h"
#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

namespace {
// True when placing the grain at nStartTicks on the pad (whose length and tempo
// would then be nPadTicks and dTempo) keeps the grown pad within the longest
// track a project stores, so that a save of the result loads again.
bool GrowthFits(const CGrooveTrack& pad, LONGLONG nPadTicks, double dTempo,
                const CGrooveEvent& grain, LONGLONG nStartTicks) {
    if (nStartTicks > std::numeric_limits<LONGLONG>::max() - grain.m_nLenTicks) return false;
    LONGLONG nEnd = std::max(nPadTicks, nStartTicks + grain.m_nLenTicks);
    if (!pad.IsEmpty()) nEnd = std::max(nEnd, pad.GetAt(pad.GetSize() - 1)->GetEnd(kUnitTicks));
    if (nEnd < 1) return true;
    if (nEnd > kInfiniteTime) return false;
    const double dBeats = static_cast<double>((nEnd - 1) / kTicksPerBeat + 1);
    if (!std::isfinite(dTempo) || dTempo <= 0.0) dTempo = 100.0;
    return std::floor(static_cast<double>(pad.SampleRate()) * dBeats / dTempo * 60.0 + 0.5) <=
           static_cast<double>(kMaxTrackSamples);
}
} // namespace

namespace {
// The overview blocks a grain's summary shows, kept inside the overview
// (rounding can put a slice's last block one past its end).
struct PeakRun {
    const float* pFirst = nullptr;
    DWORD nBlocks = 0;
    size_t Floats(const CGrooveEvent& g) const {
        return static_cast<size_t>(nBlocks) * g.m_pWave->m_wfx.nChannels * 2;
    }
};
PeakRun PeaksOf(const CGrooveEvent& g) {
    const CWaveMem* w = g.m_pWave;
    if (w == nullptr || w->m_pPeaks == nullptr || g.m_nPeakFirst < 0 ||
        g.m_nPeakFirst >= w->m_nPeakBlocks)
        return {};
    return {
        w->m_pPeaks + static_cast<size_t>(w->m_wfx.nChannels) * g.m_nPeakFirst * 2,
        static_cast<DWORD>(std::clamp<LONG>(g.m_nPeakCount, 0, w->m_nPeakBlocks - g.m_nPeakFirst))};
}
} // namespace

HRESULT CControlInterface::Summarise(const CGrooveTrack& track, bool bPadGrains,
                                     GrainSummary** ppArray, LONG* pnCount) {
    const int n = track.GetSize();
    *pnCount = n;
    if (n == 0) return S_OK;
    // The peaks are copied behind the summaries in the same block: the
    // caller reads them after the lock is left, when another thread may
    // already have replaced the wave they came from. One free releases both.
    size_t nFloats = 0;
    for (int i = 0; i < n; ++i) nFloats += PeaksOf(*track.GetAt(i)).Floats(*track.GetAt(i));
    const size_t nSummaryBytes = static_cast<size_t>(n) * sizeof(GrainSummary);
    auto* p = static_cast<GrainSummary*>(CoTaskMemAlloc(nSummaryBytes + nFloats * sizeof(float)));
    if (p == nullptr) {
        *pnCount = 0;
        return E_OUTOFMEMORY;
    }
    float* pCopy = reinterpret_cast<float*>(reinterpret_cast<unsigned char*>(p) + nSummaryBytes);
    for (int i = 0; i < n; ++i) {
        const CGrooveEvent& g = *track.GetAt(i);
        GrainSummary& s = p[i];
        s.nStartTicks = g.m_nStartTicks;
        s.nEndTicks = g.m_nStartTicks + g.m_nLenTicks;
        s.nTranspose = g.m_nTranspose;
        s.fVolume = static_cast<float>(g.m_dVolume);
        s.pPeaks = nullptr;
        s.nPeakCount = 0;
        s.nChannels = g.m_pWave != nullptr ? g.m_pWave->m_wfx.nChannels : 0;
        s.bUseTail = bPadGrains ? g.m_bUseTail : 0;
        const PeakRun run = PeaksOf(g);
        if (run.pFirst != nullptr) {
            const size_t nRun = run.Floats(g);
            std::copy(run.pFirst, run.pFirst + nRun, pCopy);
            s.pPeaks = pCopy;
            s.nPeakCount = run.nBlocks;
            pCopy += nRun;
        }
    }
    *ppArray = p;
    return S_OK;
}

HRESULT CControlInterface::GetPadGrains(LONG nPad, GrainSummary** ppGrains, LONG* pnCount) {
    if (ppGrains == nullptr || pnCount == nullptr) return E_POINTER;
    CAutoLock lock(this);
    const CGrooveTrack* pPad = PadAt(nPad);
    if (pPad == nullptr) {
        *pnCount = 0;
        return S_FALSE;
    }
    return Summarise(*pPad, true, ppGrains, pnCount);
}

HRESULT CControlInterface::CommitGrainEdits() {
    CAutoLock lock(this);
    for (CGrooveTrack* pPad : m_pads) pPad->Purge();
    return S_OK;
}

HRESULT CControlInterface::RemoveGrain(LONG nPad, LONG nGrain, BOOL bDefer) {
    CAutoLock lock(this);
    CGrooveTrack* pPad = PadAt(nPad);
    if (pPad == nullptr || pPad->GetAt(nGrain) == nullptr) return E_INVALIDARG;
    if (bDefer)
        pPad->MarkGrain(nGrain);
    else
        pPad->RemoveGrain(nGrain);
    return S_OK;
}

HRESULT CControlInterface::SetGrainSource(LONG nPad, LONG nGrain, LONG nEntry, LONG nSlice) {
    CAutoLock lock(this);
    CGrooveTrack* pPad = PadAt(nPad);
    const CGrooveTrack* pEntry = BinEntry(nEntry);
    if (pPad == nullptr || pEntry == nullptr) return E_INVALIDARG;
    CGrooveEvent* pOld = pPad->GetAt(nGrain);
    const CGrooveEvent* pSlice = pEntry->GetAt(nSlice);
    if (pOld == nullptr || pSlice == nullptr) return E_INVALIDARG;
    if (!GrowthFits(*pPad, pPad->m_nLenTicks, pPad->m_dTempo, *pSlice, pOld->m_nStartTicks))
        return E_INVALIDARG;
    auto* pNew = new (std::nothrow) CGrooveEvent(*pSlice);
    if (pNew == nullptr) return E_OUTOFMEMORY;
    pNew->m_nStartTicks = pOld->m_nStartTicks;
    // Insert before removing, so that a pad with one grain keeps its length
    // and tempo instead of falling back to the empty pad's.
    const int nNew = pPad->InsertGrainSorted(pNew, true);
    pPad->RemoveGrain(nNew <= nGrain ? nGrain + 1 : nGrain);
    return S_OK;
}

HRESULT CControlInterface::AddGrain(LONG nEntry, LONG nSlice, LONG nPad, LONGLONG nStartTicks) {
    CAutoLock lock(this);
    CGrooveTrack* pPad = PadAt(nPad);
    const CGrooveTrack* pEntry = BinEntry(nEntry);
    if (pPad == nullptr || pEntry == nullptr) return E_INVALIDARG;
    const CGrooveEvent* pSlice = pEntry->GetAt(nSlice);
    if (pSlice == nullptr) return E_INVALIDARG;
    const LONGLONG nStart = nStartTicks < 0 ? pSlice->m_nStartTicks : nStartTicks;
    if (!GrowthFits(*pPad, pPad->m_nLenTicks, pPad->m_dTempo, *pSlice, nStart)) return E_INVALIDARG;
    auto* pNew = new (std::nothrow) CGrooveEvent(*pSlice);
    if (pNew == nullptr) return E_OUTOFMEMORY;
    if (pPad->IsEmpty()) pPad->m_bLooping = pPad->m_bSyncedPlayback = 1;
    pNew->SetStart(kUnitTicks, nStart);
    pPad->InsertGrainSorted(pNew, true);
    return S_OK;
}

HRESULT CControlInterface::GetGrainSource(LONG nPad, LONG nGrain, LONG* pnEntry, LONG* pnSlice) {
    if (pnEntry == nullptr || pnSlice == nullptr) return E_POINTER;
    CAutoLock lock(this);
    const CGrooveTrack* pPad = PadAt(nPad);
    const CGrooveEvent* pGrain = pPad != nullptr ? pPad->GetAt(nGrain) : nullptr;
    if (pGrain == nullptr) return E_INVALIDARG;
    *pnEntry = pGrain->m_nSourceIndex;
    *pnSlice = pGrain->m_nSliceIndex;
    return S_OK;
}

namespace {
// What a move or copy into an empty pad takes over from the source pad.
struct PadShape {
    LONGLONG nLenTicks, nLenSamples;
    BOOL bLooping, bSynced, bFollowKey;
    LONG nKey;
};

HRESULT PlaceGrain(CGrooveTrack* pFrom, LONG nGrain, CGrooveTrack* pTo, LONGLONG nStartTicks,
                   LONG* pnOut, int nMode /* 0 copy, 1 move now, 2 move deferred */) {
    const CGrooveEvent* pGrain = pFrom->GetAt(nGrain);
    const LONGLONG nOwnStart = pGrain->m_nStartTicks;
    const LONGLONG nStart = nStartTicks < 0 ? nOwnStart : nStartTicks;
    // An empty target (or a pad emptied by moving its only grain) takes the
    // source pad's length and tempo first.
    const bool bEmpty = pTo->IsEmpty() || (pTo == pFrom && pTo->GetSize() == 1 && nMode == 1);
    if (!GrowthFits(*pTo, bEmpty ? pFrom->m_nLenTicks : pTo->m_nLenTicks,
                    bEmpty ? pFrom->m_dTempo : pTo->m_dTempo, *pGrain, nStart))
        return E_INVALIDARG;
    auto* pCopy = new (std::nothrow) CGrooveEvent(*pGrain);
    if (pCopy == nullptr) return E_OUTOFMEMORY;
    pCopy->m_bDeleteMark = 0;
    // Taken before the source grain goes, so that emptying the source pad
    // cannot reset what the target inherits.
    const PadShape shape{pFrom->m_nLenTicks,       pFrom->m_nLenSamples, pFrom->m_bLooping,
                         pFrom->m_bSyncedPlayback, pFrom->m_bFollowKey,  pFrom->m_nKey};
    if (nMode == 2)
        pFrom->MarkGrain(nGrain);
    else if (nMode == 1)
        pFrom->RemoveGrain(nGrain);
    if (pTo->IsEmpty()) {
        pTo->m_nLenTicks = shape.nLenTicks;
        pTo->m_nLenSamples = shape.nLenSamples;
        pTo->RecomputeTempo();
        pTo->m_bLooping = shape.bLooping;
        pTo->m_bSyncedPlayback = shape.bSynced;
        pTo->m_bFollowKey = shape.bFollowKey;
        pTo->m_nKey = shape.nKey;
    }
    const bool bGrow = pFrom != pTo || nStart >= pTo->m_nLenTicks;
    pCopy->m_nStartTicks = nStart;
    pTo->AppendGrain(pCopy, bGrow);
    if (pnOut != nullptr) *pnOut = -1;
    return S_OK;
}
} // namespace

HRESULT CControlInterface::MoveGrain(LONG nFromPad, LONG nGrain, LONG nToPad, LONGLONG nStartTicks,
                                     LONG* pnOut, BOOL bDefer) {
    CAutoLock lock(this);
    CGrooveTrack* pFrom = PadAt(nFromPad);
    CGrooveTrack* pTo = PadAt(nToPad);
    if (pFrom == nullptr || pTo == nullptr || pFrom->GetAt(nGrain) == nullptr) return E_INVALIDARG;
    return PlaceGrain(pFrom, nGrain, pTo, nStartTicks, pnOut, bDefer ? 2 : 1);
}

HRESULT CControlInterface::CopyGrain(LONG nFromPad, LONG nGrain, LONG nToPad, LONGLONG nStartTicks,
                                     LONG* pnOut) {
    CAutoLock lock(this);
    CGrooveTrack* pFrom = PadAt(nFromPad);
    CGrooveTrack* pTo = PadAt(nToPad);
    if (pFrom == nullptr || pTo == nullptr || pFrom->GetAt(nGrain) == nullptr) return E_INVALIDARG;
    return PlaceGrain(pFrom, nGrain, pTo, nStartTicks, pnOut, 0);
}

HRESULT CControlInterface::GetGrainPitch(LONG nPad, LONG nGrain, LONG* pnSemitones) {
    return ReadGrain(nPad, nGrain, pnSemitones,
                     [](const CGrooveEvent& g) { return g.m_nTranspose; });
}

HRESULT CControlInterface::SetGrainPitch(LONG nPad, LONG nGrain, LONG nSemitones) {
    return WriteGrain(nPad, nGrain, [=](CGrooveEvent& g) { g.m_nTranspose = nSemitones; });
}

HRESULT CControlInterface::GetGrainGain(LONG nPad, LONG nGrain, float* pfValue) {
    return ReadGrain(nPad, nGrain, pfValue,
                     [](const CGrooveEvent& g) { return static_cast<float>(g.m_dVolume); });
}

HRESULT CControlInterface::SetGrainGain(LONG nPad, LONG nGrain, float fValue) {
    return WriteGrain(nPad, nGrain, [=](CGrooveEvent& g) { g.m_dVolume = fValue; });
}

HRESULT CControlInterface::GetGrainPan(LONG nPad, LONG nGrain, float* pfValue) {
    return ReadGrain(nPad, nGrain, pfValue,
                     [](const CGrooveEvent& g) { return static_cast<float>(g.m_dPan); });
}

HRESULT CControlInterface::SetGrainPan(LONG nPad, LONG nGrain, float fValue) {
    return WriteGrain(nPad, nGrain, [=](CGrooveEvent& g) { g.m_dPan = fValue; });
}
