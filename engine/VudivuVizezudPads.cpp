// Rendering the pads of one trigger: finding the grain segments inside the
// buffer (synced to ticks or counted in samples, looping or one pass), routing
// to the pad's output, follow-key transposition and the click-suppression fades.
#include "engine/MixKernels.h"
#include "engine/VudivuVizezud.h"
#include <algorithm>
#include <cstring>

namespace {
// Bounds the work for a buffer far longer than its pad.
constexpr LONGLONG kMaxPassesPerRange = 128;

// Floor division and modulo, for positions before the loop reference.
LONGLONG FloorDiv(LONGLONG a, LONGLONG b) {
    return a / b - ((a % b != 0 && (a < 0) != (b < 0)) ? 1 : 0);
}
LONGLONG FloorMod(LONGLONG a, LONGLONG b) { return a - FloorDiv(a, b) * b; }
} // namespace

// Where the pad's loop end cuts a segment's grain short (in the segment's
// unit), or infinite time when the grain ends within its pass.
LONGLONG CVudivuVizezud::CutPoint(const StreamEventInfo& seg, bool bTicks, LONGLONG nPadLen) {
    const CGrooveEvent& g = *seg.pGrain;
    const LONGLONG nPassEnd = seg.nStart - (bTicks ? g.m_nStartTicks : g.m_nStartSamples) + nPadLen;
    return seg.nEnd > nPassEnd ? nPassEnd : kInfiniteTime;
}

LONG CVudivuVizezud::KeyShift(const CGrooveTrack& pad) const {
    if (!pad.m_bFollowKey || pad.m_nKey < 0 || m_dwHostKey == 0xFFFFFFFF || m_dwHostKey > 127)
        return 0;
    LONG d = static_cast<LONG>(m_dwHostKey) - pad.m_nKey;
    if (d > 5)
        d -= 12;
    else if (d < -6)
        d += 12;
    return d;
}

void CVudivuVizezud::RenderPlayList(const BufferWindow& w, PlayState& state,
                                    const CPreAllocArray<TrackPlayInfo>& list, BOOL* pbSounded) {
    bool bLatchedOneShot = false, bAllFinished = true, bOther = false;
    for (const TrackPlayInfo& info : list) {
        if (info.pTrack == nullptr || info.pTrack->IsEmpty()) continue;
        const PadResult r = RenderPad(w, state, info);
        if (r == PadResult::Sounded && info.nKind == kPlayKindPad && pbSounded != nullptr)
            pbSounded[info.nPad] = 1;
        if (info.bLatch && !info.pTrack->m_bLooping) {
            bLatchedOneShot = true;
            if (r != PadResult::Finished) bAllFinished = false;
        } else {
            bOther = true;
        }
    }
    if (bLatchedOneShot && bAllFinished && !bOther && !state.bFinished) {
        state.bStopRequest = 1;
        state.bFinished = 1;
    }
}

CVudivuVizezud::PadResult CVudivuVizezud::RenderPad(const BufferWindow& w, PlayState& state,
                                                    const TrackPlayInfo& info) {
    CGrooveTrack& pad = *info.pTrack;
    if (info.nKind == kPlayKindPad && info.bLatch) {
        PadOwnership& own = m_ownership[info.nPad];
        if (!own.bPlaying && !state.bEditorStarted) {
            if (own.pOwner != &state || !own.bWasPlaying) return PadResult::Skipped;
            // The owner of a stopped latched pad fades it out: a window that
            // is still open gets its end 20 ms from now.
            if (state.latched.nEnd >= kInfiniteTime) {
                state.latched.nEnd = w.nReleaseEnd;
                state.latched.nLength = state.latched.nEnd - state.latched.nStart;
            }
        }
    }
    const PlayWindow& win = info.bLatch ? state.latched : state.held;
    const LONGLONG nP = Samples(win.nOrigin), nE = Samples(win.nEnd);

    PinBuffer* pOut = w.pMix;
    if (pad.m_nOutput > 0 && pad.m_nOutput <= kPadCount && m_adwOutputPins[pad.m_nOutput - 1] != 0)
        if (PinBuffer* p = FindOutput(w, m_adwOutputPins[pad.m_nOutput - 1])) pOut = p;
    if (pOut == nullptr) return PadResult::Skipped;

    const bool bSynced = pad.m_bSyncedPlayback != 0;
    LONGLONG nS, nEnd, nOrigin, nStop, nRef;
    if (bSynced) {
        nS = w.nW0;
        nEnd = w.nWEnd;
        nOrigin = win.nOrigin;
        nStop = win.nEnd;
        const LONGLONG nLen = std::max<LONGLONG>(1, pad.m_nLenTicks);
        nRef = pad.m_bStarted ? FloorMod(win.nStart, nLen) - nLen : pad.m_nSyncStart;
    } else {
        nS = w.nPos;
        nEnd = w.nPos + w.nFrames;
        nOrigin = nP;
        nStop = nE;
        state.nSampleStart = nP;
        state.nSampleEnd = nE;
        state.nSampleLength = nE - nP;
        nRef = nP;
    }
    const LONGLONG nPadLen = bSynced ? pad.m_nLenTicks : pad.m_nLenSamples;
    if (!pad.m_bLooping && !state.bNoNaturalEnd && nS >= nOrigin + nPadLen)
        return PadResult::Finished;

    CollectSegments(pad, state, bSynced, nS, nEnd, nOrigin, nStop, nRef);
    pad.m_bStarted = 0;
    if (pad.m_bMute) return PadResult::Sounded;

    float* pDst = pOut->GetFloats();
    if (pDst == nullptr) return PadResult::Sounded;
    const LONG nShift = KeyShift(pad) + info.nTranspose;
    SegmentFades fades;
    fades.nTrigger = nP;
    fades.nEnd = nE;
    // A release fades what sounds when it begins; a grain that would start
    // inside it (the downbeat after a note-off on the loop boundary) is not
    // started, unless it starts with the trigger itself.
    const LONGLONG nReleaseStart = nE < kInfiniteTime ? nE - m_nReleaseSamples : kInfiniteTime;
    for (const StreamEventInfo& seg : m_segments) {
        LONGLONG s = seg.nStart, e = seg.nEnd, cs = seg.nClipStart, ce = seg.nClipEnd;
        LONGLONG cut = CutPoint(seg, bSynced, nPadLen);
        if (bSynced) {
            s = Samples(s);
            e = Samples(e);
            cs = Samples(cs);
            ce = Samples(ce);
            cut = Samples(cut);
        }
        if (ce - cs > w.nFrames || ce <= w.nPos || ce > w.nPos + w.nFrames) continue;
        cs = std::max(cs, w.nPos); // conversion rounding must never reach before the buffer
        if (ce <= cs) continue;
        if (s >= nReleaseStart && s > nP) continue;
        fades.nCut = cut;
        RenderFaded(w, *seg.pGrain, pad, s, e - s, cs, ce, fades, pDst,
                    seg.pGrain->m_nTranspose + nShift);
    }
    return PadResult::Sounded;
}

void CVudivuVizezud::CollectSegments(const CGrooveTrack& pad, const PlayState&, bool bSynced,
                                     LONGLONG nS, LONGLONG nE, LONGLONG nOrigin, LONGLONG nEnd,
                                     LONGLONG nRef) {
    m_segments.Clear();
    if (pad.IsEmpty() || (m_bAnySolo && !pad.m_bSolo)) return;
    const LONGLONG nPadLen = bSynced ? pad.m_nLenTicks : pad.m_nLenSamples;
    if (nPadLen < 1) return;
    const LONGLONG s = std::max(nS, nOrigin), e = std::min(nE, nEnd);
    if (e <= s) return;
    // Every pass of the pad that the range touches: one or two for ordinary
    // buffers, more when a buffer is longer than a looping pad (a single
    // wrap would leave the rest of such a buffer silent).
    const LONGLONG qFirst = FloorDiv(s - nRef, nPadLen), qLast = FloorDiv(e - 1 - nRef, nPadLen);
    for (LONGLONG k = qFirst; k <= qLast && k - qFirst < kMaxPassesPerRange && !m_segments.IsFull();
         ++k) {
        if (!pad.m_bLooping && k != 0) {
            if (k > 0) break;
            continue;
        }
        const LONGLONG o = k * nPadLen + nRef;
        CollectPass(pad, bSynced, k == qFirst ? s - o : 0, k == qLast ? e - o : nPadLen, o);
    }
}

void CVudivuVizezud::CollectPass(const CGrooveTrack& pad, bool bTicks, LONGLONG x, LONGLONG y,
                                 LONGLONG o) {
    for (int i = 0; i < pad.GetSize(); ++i) {
        const CGrooveEvent& g = *pad.GetAt(i);
        const LONGLONG start = bTicks ? g.m_nStartTicks : g.m_nStartSamples;
        if (start > y) break;
        LONGLONG end;
        if (!bTicks) {
            end = start + g.GetPlayingSamples();
        } else if (g.m_bSynced && !g.m_bUseTail) {
            end = start + g.m_nLenTicks;
        } else {
            // Unsynced grains keep their sample length on the host's tempo map.
            end = Ticks(m_pSynthContext->TicksToSamples(start) + g.GetPlayingSamples());
        }
        if (end > x && start < y) {
            StreamEventInfo seg;
            seg.pGrain = const_cast<CGrooveEvent*>(&g);
            seg.nStart = start + o;
            seg.nEnd = end + o;
            seg.nClipStart = std::max(start, x) + o;
            seg.nClipEnd = std::min(end, y) + o;
            m_segments.Add(seg); // a full list drops the rest
        }
    }
}

void CVudivuVizezud::RenderFaded(const BufferWindow& w, const CGrooveEvent& grain,
                                 const CGrooveTrack& pad, LONGLONG nStart, LONGLONG nTarget,
                                 LONGLONG x0, LONGLONG x1, const SegmentFades& fades, float* pDst,
                                 LONG nTranspose) {
    const WAVEFORMATEX fmt =
        MakeFloatFormat(static_cast<WORD>(w.nChannels), m_wfxOut.nSamplesPerSec);
    const LONGLONG nP = fades.nTrigger, nE = fades.nEnd, nC = fades.nCut;
    const LONGLONG nIn = m_nSamplesPerMs, nOut = m_nReleaseSamples;
    const bool bOutFade = nE < kInfiniteTime && nOut > 0, bCutFade = nC < kInfiniteTime && nIn > 0;
    const LONGLONG nInEnd = nIn > 0 ? nP + nIn : nP,
                   nOutStart = bOutFade ? nE - nOut : kInfiniteTime;
    // The cut's fade is 1 ms, like the fade-in: short enough to keep the
    // grain's sound up to the cut, long enough that the jump does not click.
    const LONGLONG nCutStart = bCutFade ? nC - nIn : kInfiniteTime;
    // Gain of the fades at output frame x.
    auto gain = [&](LONGLONG x) {
        double g = 1.0;
        if (x < nInEnd)
            g *= static_cast<double>(std::max<LONGLONG>(0, x - nP)) / static_cast<double>(nIn);
        if (x >= nOutStart)
            g *= static_cast<double>(std::max<LONGLONG>(0, nE - x)) / static_cast<double>(nOut);
        if (x >= nCutStart)
            g *= static_cast<double>(std::max<LONGLONG>(0, nC - x)) / static_cast<double>(nIn);
        return g;
    };
    const LONGLONG cuts[3] = {nInEnd, nOutStart, nCutStart};
    const LONGLONG nChunk = static_cast<LONGLONG>(kScratchFloats) / w.nChannels;
    const MixKernel ramp = SelectFloatMixKernel(w.nChannels, w.nChannels, true);
    LONGLONG a = x0;
    while (a < x1) {
        LONGLONG b = x1;
        for (LONGLONG c : cuts)
            if (c > a && c < b) b = c;
        const bool bFaded = a < nInEnd || a >= nOutStart || a >= nCutStart;
        if (!bFaded) {
            m_renderer.RenderSegment(grain, a - nStart, a - w.nPos, b - a, nTarget, pDst, fmt,
                                     pad.m_fVolume, pad.m_fPan, nTranspose);
            a = b;
            continue;
        }
        // Faded pieces go through the scratch buffer, in pieces that fit it.
        for (LONGLONG c = a; c < b; c += nChunk) {
            const LONGLONG n = std::min(nChunk, b - c);
            std::memset(m_pScratch, 0, static_cast<size_t>(n * w.nChannels) * sizeof(float));
            m_renderer.RenderSegment(grain, c - nStart, 0, n, nTarget, m_pScratch, fmt,
                                     pad.m_fVolume, pad.m_fPan, nTranspose);
            const double g0 = gain(c), g1 = gain(c + 1), g2 = gain(c + 2);
            MixJob job;
            job.pDst = pDst + (c - w.nPos) * w.nChannels;
            job.pSrc = m_pScratch;
            job.nFrames = static_cast<LONG>(n);
            job.dGainL = job.dGainR = g0;
            job.dIncL = job.dIncR = g1 - g0;
            job.dInc2L = job.dInc2R = (g2 - g1) - (g1 - g0);
            ramp(&job);
        }
        a = b;
    }
}
