// The render entry: one buffer of audio for every output, from the active
// notes, the pad buttons, the Loop Bin previews and the audition pad.
#include "engine/DenormalGuard.h"
#include "engine/MixKernels.h"
#include "engine/VudivuVizezud.h"
#include "interfaces/SynthEventList.h"
#include <algorithm>
#include <cstring>

LONGLONG CVudivuVizezud::Ticks(LONGLONG nSamples) const {
    return m_pSynthContext->SamplesToTicks(nSamples);
}

LONGLONG CVudivuVizezud::Samples(LONGLONG nTicks) const {
    return nTicks >= kInfiniteTime ? kInfiniteTime : m_pSynthContext->TicksToSamples(nTicks);
}

PinBuffer* CVudivuVizezud::FindOutput(const BufferWindow& w, DWORD dwPin) const {
    for (DWORD i = 0; i < w.nOutputs; ++i)
        if (w.pOutputs[i].dwPinId == dwPin) return &w.pOutputs[i];
    return nullptr;
}

namespace {
// Copies F frames of input into an output, converting between mono and stereo.
void CopyInput(const float* pIn, int nInCh, float* pOut, int nOutCh, LONG nFrames) {
    if (nInCh == nOutCh) {
        std::memcpy(pOut, pIn, static_cast<size_t>(nFrames) * nOutCh * sizeof(float));
        return;
    }
    for (LONG f = 0; f < nFrames; ++f) {
        if (nOutCh == 2) {
            pOut[2 * f] = pOut[2 * f + 1] = pIn[f];
        } else {
            pOut[f] = 0.5f * (pIn[2 * f] + pIn[2 * f + 1]);
        }
    }
}

int ChannelsOf(const PinBuffer& b, int nDefault) {
    const int c = b.wBlockAlign / 4;
    return c == 1 || c == 2 ? c : nDefault;
}
} // namespace

HRESULT CVudivuVizezud::Process(LONGLONG llStreamPos, PinBuffer* pInput, PinBuffer* pOutputs,
                                DWORD dwOutputs, LONGLONG, CSynthEventList* pActive) {
    if (pInput == nullptr) return S_FALSE;
    if (m_pSynthContext == nullptr) return E_FAIL;
    CAutoLock lock(this);
    const CDenormalGuard ftz; // declared after the lock: restored before it is left
    const LONG nFrames = pInput->nFrames;
    if (nFrames < 1) return S_OK;
    const float* pInData = pInput->IsSilent() ? nullptr : pInput->GetFloats();
    // The host may set the output format without a load's format check.
    if (m_wfxOut.nSamplesPerSec != 0 && m_nReleaseSamples != m_wfxOut.nSamplesPerSec * 20LL / 1000)
        RecomputeTimeConstants();

    if (m_nRunningSamples == -1) m_nRunningSamples = llStreamPos;
    BufferWindow w;
    w.nPos = m_pSynthContext->IsPlaying() ? m_nRunningSamples : llStreamPos;
    w.nFrames = nFrames;
    m_dwHostKey = m_pSynthContext->QueryPosition(Ticks(llStreamPos + nFrames / 2));
    m_nTickOffset = std::max<LONGLONG>(0, Ticks(w.nPos) - Ticks(llStreamPos));
    w.nW0 = Ticks(w.nPos);
    w.nWEnd = Ticks(w.nPos + nFrames);
    w.nWL = w.nWEnd - w.nW0;
    w.nReleaseEnd = Ticks(w.nPos + m_nReleaseSamples);
    w.pOutputs = pOutputs;
    w.nOutputs = pOutputs != nullptr ? dwOutputs : 0;
    w.nChannels = m_wfxOut.nChannels == 1 ? 1 : 2;

    // The mix is cleared; the other outputs carry the input through, or are
    // flagged silent until something renders into them.
    for (DWORD i = 0; i < w.nOutputs; ++i) {
        PinBuffer& out = pOutputs[i];
        if (out.dwPinId == m_dwMixPin && w.pMix == nullptr) {
            w.pMix = &out;
            w.nChannels = ChannelsOf(out, w.nChannels);
            if (pInData != nullptr) {
                if (BYTE* p = out.GetData()) std::memset(p, 0, out.ByteCount());
            } else {
                out.SetSilent(1);
            }
        } else if (pInData != nullptr) {
            if (float* p = out.GetFloats())
                CopyInput(pInData, ChannelsOf(*pInput, w.nChannels), p,
                          ChannelsOf(out, w.nChannels), nFrames);
        } else {
            out.SetSilent(1);
        }
    }

    for (BOOL& b : m_abSounded) b = 0;
    for (BOOL b : m_abActive) w.nActiveBefore += b ? 1 : 0;

    RenderNotes(w, pActive);
    RenderPadButtons(w);
    RenderPreviews(w);
    RenderAudition(w);

    for (int i = 0; i < kPadCount; ++i) m_abActive[i] = m_abStartRequest[i] || m_abSounded[i];

    // The "Chan" outputs are heard in the mix too.
    if (w.pMix != nullptr) {
        float* pMix = nullptr;
        const MixKernel mix = SelectFloatMixKernel(w.nChannels, w.nChannels, false);
        for (DWORD i = 0; i < w.nOutputs; ++i) {
            PinBuffer& out = pOutputs[i];
            if (&out == w.pMix || out.IsSilent() || ChannelsOf(out, w.nChannels) != w.nChannels)
                continue;
            if (pMix == nullptr) pMix = w.pMix->GetFloats();
            const float* pSrc = out.GetFloats();
            if (pMix == nullptr || pSrc == nullptr) break;
            MixJob job;
            job.pDst = pMix;
            job.pSrc = pSrc;
            job.nFrames = nFrames;
            job.dGainL = job.dGainR = 1.0;
            mix(&job);
        }
    }
    m_nRunningSamples += nFrames;
    return S_OK;
}

void CVudivuVizezud::RenderNotes(const BufferWindow& w, CSynthEventList* pActive) {
    if (pActive != nullptr)
        for (SynthEvent& ev : *pActive)
            if (ev.rec.dwType == kEventNote && ev.pNoteState != nullptr) RenderNote(w, ev);
    m_bStopAll = 0;
}
